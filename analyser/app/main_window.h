#pragma once
// The main window (object name frmLomtra): the analyser's file list with its menus, tool bar and
// status bar. The rows live in the engine's DataFileEntry list; the list control shows them. The
// window is the engine's host.
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

#include "engine/clock.h"
#include "engine/data_file_entry.h"
#include "engine/engine_state.h"
#include "engine/findings.h"
#include "engine/host.h"
#include "platform/output_format.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/message_service.h"

class QAction;
class QDockWidget;
class QLabel;
class QMimeData;
class QProgressBar;
class QToolBar;
class QTreeWidget;

namespace lomtra {

class AboutBox;
class AddFilesDialog;
class CoverageView;
class ReportFileDialog;

// What the window reaches outside itself, injected so that tests can script
// the answers and see what would have been opened or started.
struct WindowServices {
  platform::ui::MessageService& messages;
  platform::ui::DocumentOpener& opener;
  platform::ui::ProgramStarter& starter;
  ReportFileDialog& dialog;
  const Clock& clock;
};

// "Lomtra 1.2": the window caption, from the build's version.
QString WindowCaption();

class AnalyserWindow : public QMainWindow, private Host {
  Q_OBJECT
 public:
  explicit AnalyserWindow(const WindowServices& services, QWidget* parent = nullptr);
  ~AnalyserWindow() override;

  // The commands of the menus and the tool bar (guarded as the menus do).
  void AddFiles(const QStringList& paths);
  void RemoveSelectedFiles();
  void ClearList();
  void Analyse(bool reanalyse_all);
  void Stop();
  void SaveReport();
  void OpenReport();
  void ExportToSpreadsheet();
  // The list as csv or jsonl rows, or into a database's files table.
  void ExportList(platform::OutputFormat format);
  void ShowAddFiles();
  void ShowAbout();
  // View > Coverage: the files on a time axis, in a dock under the list that
  // is hidden until asked for.
  void ShowCoverage();
  void OpenManual();
  void OpenUpdates();
  void OpenHomePage();
  void StartSysInfo();
  void Exit();
  // Files dropped on the list; ignored during a run.
  void DropFiles(const QMimeData& data);

  const std::vector<DataFileEntry>& Rows() const { return rows_; }
  bool AnalyserRunning() const { return state_.analyser_running; }
  bool StopRequested() const { return state_.stop_requested; }
  bool ResultsMark() const { return results_mark_; }
  QString PanelText(int panel) const;
  AddFilesDialog* CurrentAddFilesDialog() const { return open_dialog_; }
  AboutBox* CurrentAboutBox() const;
  QIcon SwitchIcon(int code) const;
  CoverageView* Coverage() const { return coverage_; }

  // Where the manual is looked for (the program's folder by default), where
  // exported workbooks go (the temporary folder), and how a program is
  // found on the PATH: all replaceable for tests.
  void SetApplicationFolder(const QString& folder) { application_folder_ = folder; }
  void SetTemporaryFolder(const QString& folder) { temporary_folder_ = folder; }
  void SetExecutableFinder(std::function<QString(const QString&)> finder) {
    find_executable_ = std::move(finder);
  }
  // Called at every PumpEvents of a run (tests press Stop or close here).
  void SetPumpHook(std::function<void()> hook) { pump_hook_ = std::move(hook); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Host
  MessageAnswer ShowMessage(const Message& message) override;
  int ProgressValue() const override;
  void SetProgress(int value) override;
  void SetStatusPanel(StatusPanel panel, const std::string& text) override;
  void PumpEvents() override;
  void RowStarted(std::size_t row, std::size_t k, std::size_t n) override;
  void RowChanged(std::size_t row) override;
  void SetResultsMark(bool on) override;
  bool AskStop() override;

  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void ToolbarButton(int number);
  void RebuildList();
  void RefreshTexts();
  void UpdateItem(std::size_t row);
  void FitColumns(int first, int last);
  void ShowRunProgress();
  void SetRunning(bool running);
  void ShowError(const std::string& text);
  void OpenAddress(const char* address);
  void BuildCoverage();
  // The coverage view is drawn from the rows when it is open, and marked
  // stale while it is hidden, so a hidden view costs a list nothing.
  void UpdateCoverage();
  // The checks of `lomtra check` over the list's files, shown in the view.
  void CheckSeriesOfList();
  void ForgetFindings();
  void ShowSelectionInCoverage();
  void SelectRowOfBar(std::size_t row);

  WindowServices services_;
  std::vector<DataFileEntry> rows_;
  EngineState state_;
  bool results_mark_ = false;
  bool closing_ = false;  // the window was closed during a run
  QIcon images_[9];
  QTreeWidget* list_;
  QToolBar* toolbar_;
  QProgressBar* progress_;
  QLabel* panels_[6] = {};
  QLabel* files_done_;  // "file k of N" beside the progress bar
  QDockWidget* coverage_dock_ = nullptr;
  CoverageView* coverage_ = nullptr;
  bool coverage_stale_ = true;
  std::vector<Finding> findings_;  // of the last check; cleared when the list changes
  bool checked_ = false;
  bool checking_ = false;
  // Commands that do nothing during a run, disabled while it goes on.
  std::vector<QAction*> idle_commands_;
  QAction* stop_command_[2] = {};
  // The run's progress reaches the widgets when events are pumped, not at
  // every record: a repaint per record would cost more than the reading.
  int progress_value_ = 0;
  std::size_t file_k_ = 0;
  std::size_t file_n_ = 0;
  std::chrono::steady_clock::time_point last_pump_;
  AddFilesDialog* open_dialog_ = nullptr;
  QPointer<AboutBox> about_;
  QString application_folder_;
  QString temporary_folder_;
  std::function<QString(const QString&)> find_executable_;
  std::function<void()> pump_hook_;
};

}  // namespace lomtra
