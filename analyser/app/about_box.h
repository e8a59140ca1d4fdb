#pragma once
// The about box (object name frmAbout): name, version and description of the program, the maker's
// address and the System Info button. OK destroys it; the next About
// command makes a new one.
#include <QDialog>

namespace lomtra {

// The maker's pages: one fixed address each.
inline constexpr const char* kHomePage = "https://www.norva.example/";
inline constexpr const char* kUpdatesPage = "https://www.norva.example/updates/lomtra";

// "Version 1.2.0" from the build's version numbers.
QString VersionLabel();

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);

 signals:
  void SysInfoRequested();
  void HomePageRequested();
};

}  // namespace lomtra
