#pragma once
// Form1: pick AXE files, name the output, Extract or Show Sample.
#include <QMainWindow>

#include "extraction_run.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/message_service.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace platform::ui {
class FilePickerPanel;
}

namespace pardel {

class Form1 : public QMainWindow, private Host {
  Q_OBJECT
 public:
  Form1(platform::ui::MessageService& messages, platform::ui::DocumentOpener& viewer,
        QWidget* parent = nullptr);

  platform::ui::FilePickerPanel* Panel() const { return panel_; }
  // The output path that the window starts with.
  static QString DefaultOutputPath();
  static QString ProgramTitle();
  // Runs Extract (sample false) or Show Sample (true), as the buttons do.
  RunResult RunExtraction(bool sample);

 private:
  Answer ShowMessage(const Message& message) override;
  void SetStatus(const std::string& files_panel, const std::string& file_panel) override;
  void SetProgress(int value) override;
  void OpenInTextViewer(const std::filesystem::path& path) override;

  platform::ui::MessageService& messages_;
  platform::ui::DocumentOpener& viewer_;
  platform::ui::FilePickerPanel* panel_;
  QLineEdit* output_;
  QPushButton* sample_button_;
  QPushButton* extract_button_;
  QPushButton* cancel_button_;
  QProgressBar* progress_;
  QLabel* files_panel_;
  QLabel* file_panel_;
};

}  // namespace pardel
