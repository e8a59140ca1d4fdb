#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/about_box.h"
#include "app/add_files_dialog.h"
#include "app/coverage_view.h"
#include "app/list_export.h"
#include "app/report_dialog.h"
#include "app/spreadsheet_export.h"
#include "app/switch_images.h"
#include "app/system_info.h"
#include "engine/analysis_run.h"
#include "engine/file_list.h"
#include "engine/report_file.h"
#include "engine/series_checks.h"
#include "platform/file_replacer.h"
#include "platform/open_file.h"
#include "platform/parallel.h"

namespace lomtra {
namespace {

namespace ui = platform::ui;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

struct Column {
  const char* heading;
  Qt::Alignment alignment;
  int width;
};

// Column 0 holds the path; the others follow the report's order.
const Column kColumns[] = {
    {"Binary File", Qt::AlignLeft, 200}, {"No", Qt::AlignRight, 33},
    {"Switch", Qt::AlignHCenter, 77},    {"Start Time", Qt::AlignHCenter, 120},
    {"End Time", Qt::AlignHCenter, 120}, {"Records", Qt::AlignRight, 93},
    {"Size", Qt::AlignRight, 96},
};

QStringList RowTexts(const DataFileEntry& row) {
  return {
      Text(row.binary_file),  Text(row.no),      Text(row.switch_name), Text(StartTimeText(row)),
      Text(EndTimeText(row)), Text(row.records), Text(row.size)};
}

}  // namespace

QString WindowCaption() {
  return QStringLiteral("Lomtra %1.%2").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
}

AnalyserWindow::AnalyserWindow(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      application_folder_(QCoreApplication::applicationDirPath()),
      temporary_folder_(QDir::tempPath()),
      find_executable_([](const QString& name) { return QStandardPaths::findExecutable(name); }) {
  setObjectName("frmLomtra");
  setWindowTitle(WindowCaption());
  for (int code = 1; code <= 8; ++code) images_[code] = SwitchImage(code);

  list_ = new QTreeWidget(this);
  list_->setObjectName("ListView1");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setColumnCount(7);
  list_->setIconSize(QSize(16, 16));
  QTreeWidgetItem* header = list_->headerItem();
  for (int c = 0; c < 7; ++c) {
    header->setText(c, kColumns[c].heading);
    header->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
    list_->setColumnWidth(c, kColumns[c].width);
  }
  list_->header()->setStretchLastSection(false);
  list_->setAcceptDrops(true);
  list_->viewport()->setAcceptDrops(true);
  list_->viewport()->installEventFilter(this);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(list_);
  setCentralWidget(central);

  BuildCoverage();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  // 8000 x 5000 twips.
  setMinimumSize(533, 333);
  resize(780, 480);
}

AnalyserWindow::~AnalyserWindow() = default;

void AnalyserWindow::BuildMenus() {
  // `idle`: the command does nothing during a run, so it is disabled then.
  auto item = [this](QMenu* menu, const char* name, const QString& text,
                     const QList<QKeySequence>& keys, bool idle, auto handler) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, handler);
    if (idle) idle_commands_.push_back(action);
    return action;
  };
  auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };
  menuBar()->setObjectName("menuBar");
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("menFile");
  item(file, "menOpen", "&Open Report", {QKeySequence::Open}, true, [this] { OpenReport(); });
  item(file, "menSave", "&Save Report", {QKeySequence::Save}, true, [this] { SaveReport(); });
  // The list for other tools, beside the report.
  QMenu* exports = file->addMenu("Ex&port");
  exports->setObjectName("menExport");
  exports->menuAction()->setObjectName("menExport");
  item(exports, "menExportCsv", "List as &CSV...", {}, true,
       [this] { ExportList(platform::OutputFormat::kCsv); });
  item(exports, "menExportJsonl", "List as &JSON Lines...", {}, true,
       [this] { ExportList(platform::OutputFormat::kJsonl); });
  item(exports, "menExportSqlite", "List into a &SQLite Database...", {}, true,
       [this] { ExportList(platform::OutputFormat::kSqlite); });
  separator(file, "menDash1");
  item(file, "menAnalyse", "&Analyse", {Qt::Key_F5}, true, [this] { Analyse(false); });
  item(file, "menRedo", "&Re Analyse", {Qt::CTRL | Qt::Key_F5, Qt::SHIFT | Qt::Key_F5}, true,
       [this] { Analyse(true); });
  stop_command_[0] = item(file, "menStop", "S&top", {Qt::Key_Escape}, false, [this] { Stop(); });
  separator(file, "menDahsh2");
  item(file, "menExit", "E&xit", {Qt::CTRL | Qt::Key_Q}, true, [this] { Exit(); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("menEdit");
  item(edit, "menAdd", "&Add Files", {Qt::Key_Insert, Qt::CTRL | Qt::Key_N}, true,
       [this] { ShowAddFiles(); });
  item(edit, "menRemove", "&Remove Files", {Qt::Key_Delete}, true,
       [this] { RemoveSelectedFiles(); });
  item(edit, "menClear", "&Clear", {}, true, [this] { ClearList(); });

  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("menView");
  QAction* coverage = coverage_dock_->toggleViewAction();
  coverage->setObjectName("menCoverage");
  coverage->setText("&Coverage");
  view->addAction(coverage);

  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("menHelp");
  item(help, "menManual", "User &Manual", {QKeySequence::HelpContents}, false,
       [this] { OpenManual(); });
  item(help, "menUpdates", "Check for &Updates", {}, false, [this] { OpenUpdates(); });
  separator(help, "menDash3");
  item(help, "menAbout", "&About", {}, true, [this] { ShowAbout(); });
}

void AnalyserWindow::BuildToolBar() {
  toolbar_ = addToolBar("Tools");
  toolbar_->setObjectName("Toolbar1");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(20, 20));
  struct Button {
    QStyle::StandardPixmap image;
    const char* tip;  // nullptr: a separator
  };
  const Button buttons[12] = {
      {QStyle::SP_FileDialogNewFolder, "Add Files to Analyser"},
      {QStyle::SP_TrashIcon, "Remove Selected Files From Analyser"},
      {QStyle::SP_DialogResetButton, "Clear Analyser Content"},
      {QStyle::SP_CustomBase, nullptr},
      {QStyle::SP_DialogSaveButton, "Save the Report"},
      {QStyle::SP_DialogOpenButton, "Open Analyser Report"},
      {QStyle::SP_CustomBase, nullptr},
      {QStyle::SP_MediaPlay, "Analyse"},
      {QStyle::SP_MediaStop, "Stop Analyser"},
      {QStyle::SP_FileDialogDetailedView, "Open Report In Excel"},
      {QStyle::SP_CustomBase, nullptr},
      {QStyle::SP_MessageBoxInformation, "About Lomtra"},
  };
  for (int i = 0; i < 12; ++i) {
    const int number = i + 1;
    QAction* action = nullptr;
    if (buttons[i].tip == nullptr) {
      action = toolbar_->addSeparator();
    } else {
      action = toolbar_->addAction(style()->standardIcon(buttons[i].image), buttons[i].tip);
      action->setToolTip(buttons[i].tip);
      connect(action, &QAction::triggered, this, [this, number] { ToolbarButton(number); });
      if (number == 9) {
        stop_command_[1] = action;
      } else {
        idle_commands_.push_back(action);
      }
    }
    action->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(number));
  }
}

void AnalyserWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("sb1");
  bar->setSizeGripEnabled(true);
  const int widths[6] = {0, 200, 33, 96, 96, 217};
  const char* tips[6] = {"",
                         "Analyser Progress",
                         "Total Valid Data Files",
                         "Total Valid Data File Size",
                         "Total Records ",
                         ""};
  for (int p = 1; p <= 5; ++p) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("sb1_Panel%1").arg(p));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setToolTip(tips[p]);
    if (p == 5) {
      panel->setMinimumWidth(96);
      bar->addWidget(panel, 1);
    } else {
      panel->setFixedWidth(widths[p]);
      bar->addWidget(panel);
    }
    panels_[p] = panel;
  }
  // The progress bar lies over panel 1, the count of files beside it.
  auto* holder = new QHBoxLayout(panels_[1]);
  holder->setContentsMargins(2, 2, 2, 2);
  holder->setSpacing(4);
  progress_ = new QProgressBar(panels_[1]);
  progress_->setObjectName("ProgressBar1");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(13);
  progress_->setToolTip("Analyser Progress");
  holder->addWidget(progress_, 1);
  files_done_ = new QLabel(panels_[1]);
  files_done_->setObjectName("lblFiles");
  // The count is read whole; the bar gives way.
  files_done_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  progress_->setMinimumWidth(24);
  holder->addWidget(files_done_);
  SetRunning(false);
}

QString AnalyserWindow::PanelText(int panel) const {
  return panel >= 1 && panel <= 5 ? panels_[panel]->text() : QString();
}

AboutBox* AnalyserWindow::CurrentAboutBox() const {
  return about_.data();
}

QIcon AnalyserWindow::SwitchIcon(int code) const {
  return code >= 1 && code <= 8 ? images_[code] : QIcon();
}

// ---- coverage ----

void AnalyserWindow::BuildCoverage() {
  coverage_dock_ = new QDockWidget("Coverage", this);
  coverage_dock_->setObjectName("dockCoverage");
  coverage_dock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  coverage_ = new CoverageView(coverage_dock_);
  coverage_dock_->setWidget(coverage_);
  addDockWidget(Qt::BottomDockWidgetArea, coverage_dock_);
  coverage_dock_->hide();
  connect(coverage_dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible && coverage_stale_) UpdateCoverage();
  });
  connect(coverage_, &CoverageView::RowClicked, this, &AnalyserWindow::SelectRowOfBar);
  connect(coverage_, &CoverageView::CheckRequested, this, &AnalyserWindow::CheckSeriesOfList);
  connect(list_, &QTreeWidget::itemSelectionChanged, this,
          &AnalyserWindow::ShowSelectionInCoverage);
  coverage_->SetPictureCallbacks(
      [this] { return services_.dialog.PictureName(this); },
      [this](const QString& path) {
        ShowError("The picture was not saved: " + path.toStdString() + " could not be written.");
      });
}

void AnalyserWindow::ShowCoverage() {
  coverage_dock_->show();
  coverage_dock_->raise();
  if (coverage_stale_) UpdateCoverage();
}

void AnalyserWindow::UpdateCoverage() {
  coverage_stale_ = true;
  if (coverage_dock_ == nullptr || coverage_dock_->isHidden()) return;
  coverage_->SetData(CoverageLanes(rows_), findings_);
  coverage_stale_ = false;
  ShowSelectionInCoverage();
}

void AnalyserWindow::ForgetFindings() {
  if (findings_.empty() && !checked_) return;
  findings_.clear();
  checked_ = false;
  coverage_->SetCheckSummary({});
}

void AnalyserWindow::CheckSeriesOfList() {
  if (state_.analyser_running || checking_ || rows_.empty()) return;
  std::vector<std::string> paths;
  paths.reserve(rows_.size());
  for (const DataFileEntry& row : rows_) paths.push_back(row.binary_file);
  AnalyserContext context{*this, services_.clock, state_};
  // The pass over the calls runs after the analysis has ended: `checking_`
  // keeps Stop working and a second run out until it is over.
  checking_ = true;
  SetRunning(true);
  SeriesCheckOptions options;
  options.workers = platform::DefaultWorkers();
  const SeriesCheckOutcome outcome = CheckSeries(paths, options, context);
  SetRunning(false);
  checking_ = false;
  state_.stop_requested = false;
  // The last "Checking FILE" would stay up as if the check still ran.
  SetStatusPanel(StatusPanel::kStatusText, "");
  if (closing_) {
    QCoreApplication::quit();
    return;
  }
  ForgetFindings();
  if (outcome.stopped) {
    coverage_->SetCheckSummary("The check was stopped.");
    return;
  }
  if (!outcome.error.empty()) {
    ShowMessage({"The check ended because of an error: " + outcome.error, kProgramTitle,
                 MessageIcon::kError, MessageButtons::kOk});
    return;
  }
  findings_ = outcome.findings;
  checked_ = true;
  std::size_t failing = 0;
  for (const Finding& finding : findings_) failing += MeansMissingOrDuplicated(finding.kind);
  auto counted = [](std::size_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
  };
  QString summary = counted(outcome.files, "file", "files") + " in " +
                    counted(outcome.series, "series", "series") + " checked: ";
  if (failing > 0) {
    summary += counted(findings_.size(), "finding", "findings") +
               QStringLiteral(
                   ", %1 of them missing, duplicated or unreadable data "
                   "(hover over a marked file)")
                   .arg(failing);
  } else if (!findings_.empty()) {
    summary += "every series is whole; " + counted(findings_.size(), "finding", "findings") +
               " to look at";
  } else {
    summary += QStringLiteral("every series is whole");
  }
  coverage_->SetCheckSummary(summary);
  coverage_stale_ = true;
  UpdateCoverage();
}

void AnalyserWindow::ShowSelectionInCoverage() {
  if (coverage_stale_) return;
  std::vector<std::size_t> rows;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (list_->topLevelItem(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
  }
  coverage_->SetSelectedRows(rows);
}

void AnalyserWindow::SelectRowOfBar(std::size_t row) {
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row));
  if (item == nullptr) return;
  list_->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
  list_->scrollToItem(item);
}

// ---- the list ----

void AnalyserWindow::RebuildList() {
  ForgetFindings();
  list_->clear();
  QList<QTreeWidgetItem*> items;
  for (const DataFileEntry& row : rows_) {
    auto* item = new QTreeWidgetItem(RowTexts(row));
    for (int c = 0; c < 7; ++c) item->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
    item->setIcon(0, SwitchIcon(row.image));
    items.append(item);
  }
  list_->addTopLevelItems(items);
  FitColumns(0, list_->topLevelItemCount());
  UpdateCoverage();
}

// The initial widths were made for a small 8-point font; with the desktop's
// font a date and time would be cut, so the path and time columns grow (never
// shrink) to what their texts need. Only the items from `first` to before
// `last` are measured: a run changes one row at a time.
void AnalyserWindow::FitColumns(int first, int last) {
  const QFontMetrics metrics(list_->font());
  for (int c : {0, 3, 4}) {
    int widest = 0;
    for (int i = first; i < last; ++i)
      widest = std::max(widest, metrics.horizontalAdvance(list_->topLevelItem(i)->text(c)));
    const int padding = c == 0 ? 16 + 20 : 16;  // the image and the cell margins
    const int wanted = std::min(widest + padding, c == 0 ? 420 : 200);
    if (wanted > list_->columnWidth(c)) list_->setColumnWidth(c, wanted);
  }
}

void AnalyserWindow::UpdateItem(std::size_t row) {
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row));
  if (item == nullptr || row >= rows_.size()) return;
  const QStringList texts = RowTexts(rows_[row]);
  for (int c = 0; c < 7; ++c) {
    if (item->text(c) != texts[c]) item->setText(c, texts[c]);
  }
}

// After a command: rows appended at the end get new items, every other row's
// texts are compared (adding renumbers all rows).
void AnalyserWindow::RefreshTexts() {
  const int shown = list_->topLevelItemCount();
  if (shown > static_cast<int>(rows_.size())) {
    RebuildList();
    return;
  }
  for (int i = 0; i < shown; ++i) UpdateItem(static_cast<std::size_t>(i));
  QList<QTreeWidgetItem*> items;
  for (std::size_t i = static_cast<std::size_t>(shown); i < rows_.size(); ++i) {
    auto* item = new QTreeWidgetItem(RowTexts(rows_[i]));
    for (int c = 0; c < 7; ++c) item->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
    item->setIcon(0, SwitchIcon(rows_[i].image));
    items.append(item);
  }
  list_->addTopLevelItems(items);
  FitColumns(0, list_->topLevelItemCount());
  UpdateCoverage();
}

void AnalyserWindow::AddFiles(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(path.toStdString());
  AddFilesOutcome outcome;
  {
    ui::BusyCursor busy;
    outcome = lomtra::AddFiles(rows_, files, *this);
  }
  // Every file that was not a duplicate went through AddDataFile, which
  // switches the mark off whether it was added or not.
  if (files.size() > outcome.duplicates.size()) SetResultsMark(false);
  ForgetFindings();
  RefreshTexts();
}

void AnalyserWindow::DropFiles(const QMimeData& data) {
  if (state_.analyser_running || !data.hasUrls()) return;
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths << QDir::toNativeSeparators(url.toLocalFile());
  }
  if (!paths.isEmpty()) AddFiles(paths);
}

bool AnalyserWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != list_->viewport()) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (drag->mimeData()->hasUrls() && !state_.analyser_running) {
        drag->acceptProposedAction();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      drop->acceptProposedAction();
      DropFiles(*drop->mimeData());
      return true;
    }
    default:
      return QMainWindow::eventFilter(watched, event);
  }
}

void AnalyserWindow::RemoveSelectedFiles() {
  if (state_.analyser_running) return;
  std::vector<std::size_t> selected;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (list_->topLevelItem(i)->isSelected()) selected.push_back(static_cast<std::size_t>(i));
  }
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*it));
  }
  if (!selected.empty()) RenumberRows(rows_);
  RebuildList();
  if (rows_.empty()) SetResultsMark(false);
}

void AnalyserWindow::ClearList() {
  if (state_.analyser_running) return;
  rows_.clear();
  RebuildList();
  SetResultsMark(false);
}

// ---- commands ----

void AnalyserWindow::ToolbarButton(int number) {
  // While a run goes on, only Stop is looked at.
  if (state_.analyser_running && number != 9) return;
  switch (number) {
    case 1:
      ShowAddFiles();
      break;
    case 2:
      RemoveSelectedFiles();
      break;
    case 3:
      ClearList();
      break;
    case 5:
      SaveReport();
      break;
    case 6:
      OpenReport();
      break;
    case 8:
      Analyse(false);
      break;
    case 9:
      Stop();
      break;
    case 10:
      ExportToSpreadsheet();
      break;
    case 12:
      ShowAbout();
      break;
    default:
      break;
  }
}

void AnalyserWindow::Analyse(bool reanalyse_all) {
  if (state_.analyser_running) return;
  if (checking_) return;
  ForgetFindings();
  AnalyserContext context{*this, services_.clock, state_};
  SetRunning(true);
  AnalyseFiles(rows_, reanalyse_all, context, platform::DefaultWorkers());
  SetRunning(false);
  RefreshTexts();
  if (closing_) QCoreApplication::quit();
}

void AnalyserWindow::Stop() {
  if (state_.analyser_running || checking_) state_.stop_requested = true;
}

void AnalyserWindow::ShowAddFiles() {
  if (state_.analyser_running) return;
  if (open_dialog_ == nullptr) {
    open_dialog_ = new AddFilesDialog([this](const QStringList& paths) { AddFiles(paths); },
                                      [this](const QString& drive) {
                                        ShowError(drive.toStdString() +
                                                  " cannot be opened: the drive "
                                                  "is not ready or not readable.");
                                      },
                                      this);
  }
  open_dialog_->show();
  open_dialog_->raise();
  open_dialog_->activateWindow();
}

void AnalyserWindow::ShowAbout() {
  if (state_.analyser_running) return;
  if (about_ == nullptr) {
    about_ = new AboutBox(this);
    connect(about_, &AboutBox::SysInfoRequested, this, &AnalyserWindow::StartSysInfo);
    connect(about_, &AboutBox::HomePageRequested, this, &AnalyserWindow::OpenHomePage);
  }
  about_->show();
  about_->raise();
}

void AnalyserWindow::Exit() {
  if (state_.analyser_running) return;
  close();
}

void AnalyserWindow::closeEvent(QCloseEvent* event) {
  // Closing ends the program, during a run too: the run is told to stop,
  // asks nothing more and the program quits when it has returned.
  if (state_.analyser_running) {
    closing_ = true;
    state_.stop_requested = true;
  }
  if (open_dialog_ != nullptr) open_dialog_->hide();
  if (about_ != nullptr) about_->close();
  event->accept();
}

// ---- report files ----

void AnalyserWindow::SaveReport() {
  if (state_.analyser_running) return;
  for (;;) {
    const QString chosen = services_.dialog.SaveName(this);
    if (chosen.isEmpty()) return;
    const std::string target = NormaliseReportName(chosen.toStdString());
    std::error_code ec;
    if (std::filesystem::exists(platform::PathOf(target), ec)) {
      const MessageAnswer answer =
          ShowMessage({"File Exists. Do you want to OverWrite?", kProgramTitle,
                       MessageIcon::kQuestion, MessageButtons::kYesNo});
      if (answer != MessageAnswer::kYes) continue;
    }
    std::string error;
    if (!WriteReportFile(platform::PathOf(target), rows_, services_.clock.Now(), &error)) {
      ShowError("The report was not saved: " + error);
      return;
    }
    SetStatusText("File " + target + " Saved");
    return;
  }
}

void AnalyserWindow::OpenReport() {
  if (state_.analyser_running) return;
  const QString chosen = services_.dialog.OpenName(this);
  if (chosen.isEmpty()) {
    ResetSB();
    if (!rows_.empty()) SetResultsMark(true);
    return;
  }
  rows_.clear();
  RebuildList();
  ReportReadResult report = ReadReportFile(platform::PathOf(chosen.toStdString()));
  if (!report.ok) {
    ShowError(report.error);
    return;
  }
  rows_ = std::move(report.rows);
  RebuildList();
  ResetSB();
  if (!rows_.empty()) SetResultsMark(true);
}

// ---- spreadsheet ----

void AnalyserWindow::ExportToSpreadsheet() {
  if (state_.analyser_running) return;
  if (rows_.empty()) {
    ShowError("Nothing to Save");
    return;
  }
  SpreadsheetTotals totals;
  totals.valid_files = PanelText(2).toStdString();
  totals.size = PanelText(3).toStdString();
  totals.records = PanelText(4).toStdString();
  const std::filesystem::path target =
      platform::UniquePath(platform::PathOf(temporary_folder_.toStdString()), "Lomtra-", ".xlsx");
  std::string error;
  {
    ui::BusyCursor busy;
    if (!WriteWorkbookFile(target, rows_, totals, &error)) {
      ShowError(error);
      return;
    }
  }
  if (!services_.opener.Open(Text(target.string()))) {
    ShowMessage({"The workbook " + target.string() +
                     " was written, but no spreadsheet program could open it.",
                 kProgramTitle, MessageIcon::kInformation, MessageButtons::kOk});
  }
}

// ---- csv, jsonl, database ----

void AnalyserWindow::ExportList(platform::OutputFormat format) {
  if (state_.analyser_running) return;
  if (rows_.empty()) {
    ShowError("Nothing to Save");
    return;
  }
  for (;;) {
    const QString chosen = services_.dialog.ExportName(this, format);
    if (chosen.isEmpty()) return;
    const std::string target = chosen.toStdString();
    std::error_code ec;
    if (format != platform::OutputFormat::kSqlite &&
        std::filesystem::exists(platform::PathOf(target), ec)) {
      const MessageAnswer answer =
          ShowMessage({"File Exists. Do you want to OverWrite?", kProgramTitle,
                       MessageIcon::kQuestion, MessageButtons::kYesNo});
      if (answer != MessageAnswer::kYes) continue;
    }
    std::string error;
    bool exported = false;
    {
      ui::BusyCursor busy;
      exported = lomtra::ExportList(platform::PathOf(target), format, rows_, &error);
    }
    if (!exported) {
      ShowError("The list was not exported: " + error);
      return;
    }
    SetStatusText(ExportedText(target, format, rows_.size()));
    return;
  }
}

// ---- help, updates, system information ----

void AnalyserWindow::OpenManual() {
  // The PDF first; the .doc when the PDF is missing or nothing opens it.
  const QDir folder(application_folder_);
  const QString pdf = QDir::toNativeSeparators(folder.filePath("lomtra.pdf"));
  const QString doc = QDir::toNativeSeparators(folder.filePath("lomtra.doc"));
  const bool has_pdf = QFileInfo::exists(pdf);
  const bool has_doc = QFileInfo::exists(doc);
  if (has_pdf && services_.opener.Open(pdf)) return;
  if (has_doc && services_.opener.Open(doc)) return;
  if (!has_pdf && !has_doc) {
    ShowError("Help File lomtra.pdf or lomtra.doc not found in the application folder");
    return;
  }
  // The manual is there; what is missing is a program to show it.
  ShowError(has_pdf ? "No program to open " + pdf.toStdString() +
                          " was found. Install a PDF viewer, or open the file yourself."
                    : "No program to open " + doc.toStdString() +
                          " was found. Install a word processor, or open the file yourself.");
}

void AnalyserWindow::OpenAddress(const char* address) {
  if (services_.opener.Open(address)) return;
  ShowError(std::string("No web browser could open ") + address +
            ". Open the address in a browser yourself.");
}

void AnalyserWindow::OpenUpdates() {
  OpenAddress(kUpdatesPage);
}

void AnalyserWindow::OpenHomePage() {
  OpenAddress(kHomePage);
}

void AnalyserWindow::StartSysInfo() {
  const QString tool = FindSystemInfoTool(find_executable_);
  if (!tool.isEmpty() && services_.starter.Start(tool, {})) return;
  ShowMessage({"System Information Is Unavailable At This Time", kProgramTitle, MessageIcon::kNone,
               MessageButtons::kOk});
}

// ---- host ----

void AnalyserWindow::ShowError(const std::string& text) {
  ShowMessage({text, kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
}

MessageAnswer AnalyserWindow::ShowMessage(const Message& message) {
  // After the window was closed during a run nothing more is shown.
  if (closing_) {
    return message.buttons == MessageButtons::kYesNo ? MessageAnswer::kYes : MessageAnswer::kOk;
  }
  ShowRunProgress();  // a question or the closing message sees the run's last state
  return ui::ShowMessage(services_.messages, message, QString(kProgramTitle));
}

int AnalyserWindow::ProgressValue() const {
  return progress_value_;
}

void AnalyserWindow::SetProgress(int value) {
  progress_value_ = value;
  if (!state_.analyser_running) progress_->setValue(value);
}

void AnalyserWindow::SetStatusPanel(StatusPanel panel, const std::string& text) {
  const int index = static_cast<int>(panel);
  if (index >= 2 && index <= 5) panels_[index]->setText(Text(text));
}

// Detectors pump after every few records; the queue is looked at only every
// 50 ms, so a long list costs about as much as in batch. Stop still answers
// within a blink.
void AnalyserWindow::PumpEvents() {
  constexpr auto kInterval = std::chrono::milliseconds(50);
  const auto now = std::chrono::steady_clock::now();
  if (now - last_pump_ >= kInterval) {
    last_pump_ = now;
    ShowRunProgress();
    QCoreApplication::processEvents();
  }
  if (pump_hook_) pump_hook_();
}

void AnalyserWindow::RowStarted(std::size_t /*row*/, std::size_t k, std::size_t n) {
  file_k_ = k;
  file_n_ = n;
}

void AnalyserWindow::RowChanged(std::size_t row) {
  UpdateItem(row);
  FitColumns(static_cast<int>(row), static_cast<int>(row) + 1);
}

void AnalyserWindow::ShowRunProgress() {
  if (progress_->value() != progress_value_) progress_->setValue(progress_value_);
  const QString files =
      file_n_ == 0 ? QString() : QStringLiteral("file %1 of %2").arg(file_k_).arg(file_n_);
  if (files_done_->text() != files) files_done_->setText(files);
}

void AnalyserWindow::SetRunning(bool running) {
  for (QAction* action : idle_commands_) action->setEnabled(!running);
  for (QAction* action : stop_command_) action->setEnabled(running);
  file_k_ = 0;
  file_n_ = 0;
  // The first pump of a run shows the window at once.
  last_pump_ = {};
  ShowRunProgress();
}

void AnalyserWindow::SetResultsMark(bool on) {
  // The mark shows as alternating row colours: the list holds results.
  results_mark_ = on;
  list_->setAlternatingRowColors(on);
}

bool AnalyserWindow::AskStop() {
  if (closing_) return true;
  return Host::AskStop();
}

}  // namespace lomtra
