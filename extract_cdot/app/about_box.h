#pragma once
// CdotAboutBox: the about box, opened by a double-click on the window background.
#include <QDialog>

namespace kelvan {

class CdotAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit CdotAboutBox(QWidget* parent = nullptr);
};

}  // namespace kelvan
