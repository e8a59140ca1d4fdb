#pragma once
// The window frmCDR: the "CDR Extractor" tab (files, fields, output file and
// the extraction run), the "Analyser" tab (Binary File Details and trimming)
// and the "About" tab. It holds no format logic: it gathers what the user
// chose, hands it to the core and shows what comes back.
#include <QWidget>
#include <functional>
#include <optional>

#include "ostrel/file_analysis.h"
#include "ostrel/host.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace platform::ui {
class EventPump;
class FilePickerPanel;
class MessageService;
}  // namespace platform::ui

namespace ostrel {

class OcbExtractorWindow : public QWidget, public Host {
  Q_OBJECT
 public:
  explicit OcbExtractorWindow(platform::ui::MessageService& messages, QWidget* parent = nullptr);

  // The open-file dialog of ">>"; tests put their own chooser in.
  void SetFileChooser(std::function<QString()> chooser) { choose_file_ = std::move(chooser); }
  // What ends the program (Cancel, a confirmed Stop); tests record it instead.
  void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  bool ExtractionRunning() const { return running_; }
  platform::ui::FilePickerPanel* Picker() const { return picker_; }

  // Host
  MessageAnswer ShowMessage(const Message& message) override;
  void SetProgress(int percent) override;
  void SetStatusText(const std::string& text) override;
  void SetBusy(bool busy) override;
  // Through the pump of the work going on, on a clock: a run takes input (its
  // Stop), a trim only repaints.
  void PumpEvents() override;
  bool StopRequested() override { return stop_requested_; }

  // The default output file: "C:\ostrel.txt" on Windows, ostrel.txt in the
  // home folder elsewhere.
  static QString DefaultOutputPath();

 protected:
  // Closing the window during a run is the Stop command: asked, never abrupt.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildExtractorTab();
  QWidget* BuildAnalyserTab();
  QWidget* BuildAboutTab();
  QLineEdit* DetailBox(const char* name);

  void OnExtract();
  void OnCancelOrStop();
  void OnChooseFile();
  void OnAnalyse(bool trim);
  void OnAnalyserCancel();
  void ShowDetails(const FileDetails& details);

  platform::ui::MessageService& messages_;
  std::function<QString()> choose_file_;
  std::function<void()> quit_;
  bool running_ = false;
  bool stop_requested_ = false;
  bool busy_ = false;
  platform::ui::EventPump* pump_ = nullptr;
  bool first_pump_ = false;  // input queued before a run is let through at its first block

  QTabWidget* tabs_ = nullptr;
  platform::ui::FilePickerPanel* picker_ = nullptr;
  QCheckBox* fields_[18] = {};
  QLineEdit* output_name_ = nullptr;
  // Text, CSV, JSON Lines, SQLite, PostgreSQL: OutputFormat's order. For the
  // databases the output name is the database file or the connection text.
  QComboBox* output_format_ = nullptr;
  QPushButton* extract_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* current_file_ = nullptr;
  QLineEdit* analysis_file_ = nullptr;
  QLabel* first_block_ = nullptr;
  QLabel* last_block_ = nullptr;
};

}  // namespace ostrel
