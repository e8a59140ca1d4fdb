#pragma once
// AxeExtractorWindow: pick AXE files, name the output, Extract or Show Sample.
#include <QMainWindow>
#include <memory>

#include "pardel/extraction_run.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/message_service.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace platform::ui {
class EventPump;
class FilePickerPanel;
}  // namespace platform::ui

namespace pardel {

class AxeExtractorWindow : public QMainWindow, private Host {
  Q_OBJECT
 public:
  AxeExtractorWindow(platform::ui::MessageService& messages, platform::ui::DocumentOpener& viewer,
                     QWidget* parent = nullptr);
  ~AxeExtractorWindow() override;

  platform::ui::FilePickerPanel* Panel() const { return panel_; }
  // The output path that the window starts with.
  static QString DefaultOutputPath();
  static QString ProgramTitle();
  // Runs Extract (sample false) or Show Sample (true), as the buttons do.
  RunResult RunExtraction(bool sample);
  // What the output name box should hold once `format` is chosen, given what
  // it holds: a file name takes the format's extension, PostgreSQL takes a
  // connection text (empty: the PG* variables) instead of a file name.
  static QString OutputNameFor(platform::OutputFormat format, const QString& name);

 private:
  Answer ShowMessage(const Message& message) override;
  void SetStatus(const std::string& files_panel, const std::string& file_panel) override;
  void SetProgress(int value) override;
  void OpenInTextViewer(const std::filesystem::path& path) override;
  bool StopRequested() override;
  void PumpEvents() override;
  platform::OutputFormat ChosenFormat() const;
  void OnFormatChosen();

  platform::ui::MessageService& messages_;
  platform::ui::DocumentOpener& viewer_;
  platform::ui::FilePickerPanel* panel_;
  QLineEdit* output_;
  QComboBox* format_;
  QPushButton* sample_button_;
  QPushButton* extract_button_;
  QPushButton* cancel_button_;
  QProgressBar* progress_;
  QLabel* files_panel_;
  QLabel* file_panel_;
  // Keeps the window drawing while a run holds it (the run takes no input).
  std::unique_ptr<platform::ui::EventPump> pump_;
};

}  // namespace pardel
