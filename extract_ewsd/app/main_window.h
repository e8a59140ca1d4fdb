#pragma once
// The main window (object name frmVantor): pick EWSD files, choose the columns, Extract; analyse
// one file; program information.
#include <QMainWindow>
#include <array>
#include <functional>

#include "platform/ui/desktop_services.h"
#include "platform/ui/message_service.h"
#include "vantor/extraction_run.h"
#include "vantor/host.h"

class QCheckBox;
class QLabel;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace platform::ui {
class EventPump;
class FilePickerPanel;
}  // namespace platform::ui

namespace vantor {

class EwsdExtractorWindow : public QMainWindow, private Host {
  Q_OBJECT
 public:
  EwsdExtractorWindow(platform::ui::MessageService& messages, platform::ui::DocumentOpener& browser,
                      QWidget* parent = nullptr);

  static QString ProgramTitle();
  static QString DefaultOutputPath();
  static QString UpdateAddress();

  platform::ui::FilePickerPanel* Panel() const { return panel_; }
  // Stands in for the file-open dialog of ">>" (tests give their own).
  void SetOpenFileDialog(std::function<QString()> dialog) { open_dialog_ = std::move(dialog); }

  // What the buttons do.
  RunResult Extract();
  void Cancel();
  void ChooseAnalysisFile();
  void Analyse();
  void OpenUpdatePage();
  bool RunBusy() const { return run_.Busy(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildExtractorTab();
  QWidget* BuildAnalyserTab();
  QWidget* BuildAboutTab();
  void ShowDriveError(const QString& drive);

  MessageAnswer ShowMessage(const Message& message) override;
  void SetStatusText(const std::string& text) override;
  void SetProgress(int value) override;
  void SetAnalysisProgress(int value) override;
  void SetAnalysisLabels(const AnalysisLabels& labels) override;
  void PumpEvents() override;
  // The pump of the work going on: a run takes input (Cancel), an analysis
  // only repaints. Events are let through on a clock, not after every record.
  platform::ui::EventPump* pump_ = nullptr;
  bool first_pump_ = false;  // a run lets input queued before it through at its first record
  void Pumping(platform::ui::EventPump* pump, const std::function<void()>& work);

  platform::ui::MessageService& messages_;
  platform::ui::DocumentOpener& browser_;
  ExtractionRun run_;
  std::function<QString()> open_dialog_;

  QTabWidget* tabs_ = nullptr;
  platform::ui::FilePickerPanel* panel_ = nullptr;
  QComboBox* output_format_ = nullptr;
  QLineEdit* output_ = nullptr;
  std::array<QCheckBox*, 20> columns_{};
  QPushButton* extract_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QProgressBar* run_progress_ = nullptr;
  QLabel* current_file_ = nullptr;
  QLineEdit* analysis_file_ = nullptr;
  std::array<QLabel*, 10> report_{};
  QProgressBar* analysis_progress_ = nullptr;
  QLabel* update_link_ = nullptr;
};

}  // namespace vantor
