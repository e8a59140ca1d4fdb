#include "main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "platform/parallel.h"
#include "platform/ui/event_pump.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/output_format_box.h"
#include "platform/ui/remembered.h"
#include "vantor/ewsd_decoder.h"
#include "vantor/record_analysis.h"

namespace vantor {
namespace {

// Tool tips of the column boxes; the others have none.
QString ColumnToolTip(int slot) {
  switch (slot) {
    case 0:
      return "Record Serial Number";
    case 19:
      return "Needs THRIDPARTY";
    case 18:
      return "Needs CALLIND";
    case 17:
      return "Needs BGID";
    case 15:
      return "Needs TRAFQUAL";
    case 11:
      return "Needs CONNID";
    case 7:
      return "Needs RECTRID";
    case 6:
      return "Needs CHARGES";
    case 3:
      return "Needs RECOWNER OR OCLGDN";
    case 1:
    case 2:
    case 4:
    case 5:
    case 14:
      return "Available Default";
    default:
      return QString();
  }
}

QLabel* Caption(const QString& text, QWidget* parent, bool bold = false) {
  auto* label = new QLabel(text, parent);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  return label;
}

// Record bytes are single-byte characters; file names come from the system.
QString FromRecordText(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString EwsdExtractorWindow::ProgramTitle() {
  return QStringLiteral("Vantor [%1.%2] - NORVA").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
}

QString EwsdExtractorWindow::DefaultOutputPath() {
#if defined(Q_OS_WIN)
  return QStringLiteral("C:\\vantor.txt");
#else
  return QDir::toNativeSeparators(QDir::home().filePath("vantor.txt"));
#endif
}

QString EwsdExtractorWindow::UpdateAddress() {
  return QStringLiteral("https://www.norva.example/vantor/updates");
}

EwsdExtractorWindow::EwsdExtractorWindow(platform::ui::MessageService& messages,
                                         platform::ui::DocumentOpener& browser, QWidget* parent)
    : QMainWindow(parent), messages_(messages), browser_(browser), run_(*this) {
  setObjectName("frmVantor");
  setWindowTitle(ProgramTitle());
  open_dialog_ = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(), "All Files (*)");
  };

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  tabs_->addTab(BuildExtractorTab(), "CDR Extractor");
  tabs_->addTab(BuildAnalyserTab(), "Analyser");
  tabs_->addTab(BuildAboutTab(), "About");
  setCentralWidget(tabs_);
  resize(760, 620);

  // Restored after the handlers are connected, saved whenever changed.
  platform::ui::Remember(panel_, "folder");
  // The format first: choosing it adjusts the output name, restored after.
  platform::ui::Remember(output_format_, "outputFormat");
  platform::ui::Remember(output_, "output");
  for (int slot = 0; slot < 20; ++slot)
    platform::ui::Remember(columns_[static_cast<std::size_t>(slot)],
                           QStringLiteral("column%1").arg(slot));
  platform::ui::Remember(analysis_file_, "analysisFile");
}

QWidget* EwsdExtractorWindow::BuildExtractorTab() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);

  auto* inputs = new QGroupBox("Input Binary Files", page);
  auto* inputs_layout = new QVBoxLayout(inputs);
  panel_ = new platform::ui::FilePickerPanel(inputs);
  panel_->DriveList()->setObjectName("Drive1");
  panel_->FolderTree()->setObjectName("Dir1");
  panel_->FileList()->setObjectName("File1");
  panel_->SetDriveErrorHandler([this](const QString& drive) { ShowDriveError(drive); });
  inputs_layout->addWidget(panel_);
  layout->addWidget(inputs, 0, 0, 2, 1);

  auto* output_frame = new QGroupBox(page);
  auto* output_layout = new QVBoxLayout(output_frame);
  auto* output_label = new QLabel("Output File Name", output_frame);
  output_ = new QLineEdit(DefaultOutputPath(), output_frame);
  output_->setObjectName("txtOF");
  output_label->setBuddy(output_);
  output_layout->addWidget(output_label);
  output_layout->addWidget(output_);
  auto* format_row = new QHBoxLayout;
  auto* format_label = new QLabel("Output format", output_frame);
  output_format_ = platform::ui::NewOutputFormatBox(output_frame);
  format_label->setBuddy(output_format_);
  format_row->addWidget(format_label);
  format_row->addWidget(output_format_, 1);
  output_layout->addLayout(format_row);
  platform::ui::FollowOutputFormat(output_format_, output_, output_label, DefaultOutputPath());
  layout->addWidget(output_frame, 0, 1);

  auto* options = new QGroupBox("Print Options (If Available)", page);
  auto* options_layout = new QGridLayout(options);
  for (int slot = 0; slot < 20; ++slot) {
    auto* box = new QCheckBox(kSlotCaptions[static_cast<std::size_t>(slot)], options);
    box->setObjectName(QStringLiteral("chkOpt_%1").arg(slot));
    box->setToolTip(ColumnToolTip(slot));
    box->setChecked((slot >= 1 && slot <= 8) || slot == 11);
    options_layout->addWidget(box, slot % 10, slot / 10);
    columns_[static_cast<std::size_t>(slot)] = box;
  }
  layout->addWidget(options, 1, 1);

  auto* buttons = new QHBoxLayout;
  extract_button_ = new QPushButton("Extract", page);
  extract_button_->setObjectName("cmdGO");
  cancel_button_ = new QPushButton("Cancel", page);
  cancel_button_->setObjectName("cmdEND");
  buttons->addStretch(1);
  buttons->addWidget(extract_button_);
  buttons->addWidget(cancel_button_);
  layout->addLayout(buttons, 2, 0, 1, 2);

  run_progress_ = new QProgressBar(page);
  run_progress_->setObjectName("pbr1");
  run_progress_->setRange(0, 100);
  run_progress_->setValue(0);
  layout->addWidget(run_progress_, 3, 0, 1, 2);
  current_file_ = new QLabel(page);
  current_file_->setObjectName("lblCurFile");
  layout->addWidget(current_file_, 4, 0, 1, 2);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(1, 1);

  connect(extract_button_, &QPushButton::clicked, this, [this] { Extract(); });
  connect(cancel_button_, &QPushButton::clicked, this, [this] { Cancel(); });
  return page;
}

QWidget* EwsdExtractorWindow::BuildAnalyserTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);

  auto* file_frame = new QGroupBox("File", page);
  auto* file_layout = new QHBoxLayout(file_frame);
  auto* file_label = new QLabel("Input Binary File", file_frame);
  analysis_file_ = new QLineEdit("IA.ICAMA", file_frame);
  analysis_file_->setObjectName("txtAfile");
  file_label->setBuddy(analysis_file_);
  auto* browse = new QPushButton(">>", file_frame);
  browse->setObjectName("Command3");
  file_layout->addWidget(file_label);
  file_layout->addWidget(analysis_file_, 1);
  file_layout->addWidget(browse);
  layout->addWidget(file_frame);

  auto* report = new QGroupBox("Report", page);
  auto* grid = new QGridLayout(report);
  const char* columns[] = {"Date", "Time", "Calling_Number", "Called_number"};
  const char* rows[] = {"First Record", "Last Record"};
  for (int r = 0; r < 2; ++r) {
    grid->addWidget(Caption(rows[r], report, true), r * 2, 0, 2, 1);
    for (int c = 0; c < 4; ++c) {
      grid->addWidget(Caption(columns[c], report), r * 2, c + 1);
      auto* value = new QLabel(report);
      value->setObjectName(QStringLiteral("lblRpt_%1").arg(r * 4 + c));
      value->setFrameShape(QFrame::Panel);
      value->setFrameShadow(QFrame::Sunken);
      value->setMinimumWidth(130);
      value->setMinimumHeight(value->fontMetrics().height() + 6);
      grid->addWidget(value, r * 2 + 1, c + 1);
      report_[static_cast<std::size_t>(r * 4 + c)] = value;
    }
  }
  const char* totals[] = {"Total Records", "File Size"};
  for (int i = 0; i < 2; ++i) {
    grid->addWidget(Caption(totals[i], report, true), 4 + i, 0);
    auto* value = new QLabel(report);
    value->setObjectName(QStringLiteral("lblRpt_%1").arg(8 + i));
    value->setFrameShape(QFrame::Panel);
    value->setFrameShadow(QFrame::Sunken);
    value->setMinimumHeight(value->fontMetrics().height() + 6);
    grid->addWidget(value, 4 + i, 1);
    report_[static_cast<std::size_t>(8 + i)] = value;
  }
  layout->addWidget(report);

  auto* analyse = new QPushButton("Analyse", page);
  analyse->setObjectName("Command2");
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(analyse);
  layout->addLayout(row);
  analysis_progress_ = new QProgressBar(page);
  analysis_progress_->setObjectName("pbrAna");
  analysis_progress_->setRange(0, 300);
  analysis_progress_->setValue(0);
  layout->addWidget(analysis_progress_);
  layout->addStretch(1);

  connect(browse, &QPushButton::clicked, this, [this] { ChooseAnalysisFile(); });
  connect(analyse, &QPushButton::clicked, this, [this] { Analyse(); });
  return page;
}

QWidget* EwsdExtractorWindow::BuildAboutTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* banner = new QLabel("Vantor", page);
  QFont font = banner->font();
  font.setPointSize(font.pointSize() * 2);
  font.setBold(true);
  banner->setFont(font);
  layout->addWidget(banner);

  auto* grid = new QGridLayout;
  const QString version = QStringLiteral("%1.%2").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
  const QString rows[][2] = {
      {"Application", "Vantor"},
      {"Version", version},
      {"Description", "Call Data Extractor From the binary data file copied from EWSD Switch"},
      {"Date of Release", "1 Feb 2006"},
      {"Developed by", "NORVA Billing Tools"},
      {"Support", "NORVA Billing Support Desk"}};
  for (int r = 0; r < 6; ++r) {
    grid->addWidget(Caption(rows[r][0], page, true), r, 0, Qt::AlignTop);
    auto* value = new QLabel(rows[r][1], page);
    value->setWordWrap(true);
    if (r == 1) value->setObjectName("Label20");
    grid->addWidget(value, r, 1);
  }
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  update_link_ = new QLabel("Click Here to Check for Updates Online", page);
  update_link_->setObjectName("lblUpdate");
  update_link_->setCursor(Qt::PointingHandCursor);
  QPalette palette = update_link_->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  update_link_->setPalette(palette);
  QFont link_font = update_link_->font();
  link_font.setUnderline(true);
  update_link_->setFont(link_font);
  update_link_->installEventFilter(this);
  layout->addWidget(update_link_);
  layout->addStretch(1);
  return page;
}

bool EwsdExtractorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == update_link_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    OpenUpdatePage();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// Closing the window ends the program: a run in progress stops where it is,
// its files are closed and nothing more is shown.
void EwsdExtractorWindow::closeEvent(QCloseEvent* event) {
  run_.Abandon();
  QMainWindow::closeEvent(event);
}

RunResult EwsdExtractorWindow::Extract() {
  RunSettings settings;
  settings.workers = platform::DefaultWorkers();
  settings.format = platform::ui::ChosenOutputFormat(output_format_);
  if (settings.format == platform::OutputFormat::kPostgres)
    settings.database = output_->text().toStdString();
  else
    settings.output_path = output_->text().toStdString();
  for (int slot = 0; slot < 20; ++slot)
    if (columns_[static_cast<std::size_t>(slot)]->isChecked()) settings.columns.push_back(slot);
  const QDir folder(panel_->FolderPath());
  for (const QString& name : panel_->SelectedFileNames())
    settings.input_paths.push_back(QDir::toNativeSeparators(folder.filePath(name)).toStdString());
  platform::ui::EventPump pump(platform::ui::EventPump::Input::kTake);
  RunResult result;
  Pumping(&pump, [&] { result = run_.StartExtraction(settings); });
  if (result.outcome == RunOutcome::kMissingOutput) output_->setFocus();
  return result;
}

void EwsdExtractorWindow::Cancel() {
  if (!run_.RequestTermination()) close();
}

void EwsdExtractorWindow::ChooseAnalysisFile() {
  const QString name = open_dialog_ ? open_dialog_() : QString();
  // Cancelling the dialog keeps the name that was there.
  if (!name.isEmpty()) analysis_file_->setText(QDir::toNativeSeparators(name));
}

void EwsdExtractorWindow::Analyse() {
  // An analysis takes no input while it reads; it may run inside a run's
  // wait between records, whose pump is back in charge afterwards.
  platform::ui::EventPump pump(platform::ui::EventPump::Input::kDrop);
  Pumping(&pump, [&] { AnalyseFile(*this, analysis_file_->text().toStdString()); });
}

void EwsdExtractorWindow::Pumping(platform::ui::EventPump* pump,
                                  const std::function<void()>& work) {
  platform::ui::EventPump* outer = std::exchange(pump_, pump);
  const bool outer_first = std::exchange(first_pump_, true);
  work();
  pump_ = outer;
  first_pump_ = outer_first;
}

void EwsdExtractorWindow::OpenUpdatePage() {
  browser_.Open(UpdateAddress());
}

void EwsdExtractorWindow::ShowDriveError(const QString& drive) {
  // Drive letters are shown in upper case ("A:"); folder paths stay as they are.
  const bool letter = drive.size() <= 3 && drive.size() >= 2 && drive[1] == ':';
  ShowMessage({"Drive " + (letter ? drive.toUpper() : drive).toStdString() + " is Not Accessible",
               "", MessageIcon::kError, MessageButtons::kOk});
}

MessageAnswer EwsdExtractorWindow::ShowMessage(const Message& message) {
  return platform::ui::ShowMessage(messages_, message, QString(kProgramName));
}

void EwsdExtractorWindow::SetStatusText(const std::string& text) {
  current_file_->setText(QString::fromStdString(text));
  current_file_->repaint();
}

void EwsdExtractorWindow::SetProgress(int value) {
  if (run_progress_->value() == value) return;
  run_progress_->setValue(value);
  run_progress_->repaint();
}

void EwsdExtractorWindow::SetAnalysisProgress(int value) {
  if (analysis_progress_->value() == value) return;
  analysis_progress_->setValue(value);
  analysis_progress_->repaint();
}

void EwsdExtractorWindow::SetAnalysisLabels(const AnalysisLabels& labels) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    report_[i]->setText(FromRecordText(labels[i]));
    report_[i]->repaint();
  }
}

void EwsdExtractorWindow::PumpEvents() {
  if (pump_ == nullptr) return;
  if (first_pump_) {
    first_pump_ = false;
    pump_->Pump();
    return;
  }
  pump_->Tick();
}

}  // namespace vantor
