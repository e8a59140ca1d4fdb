#include "main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "about_box.h"
#include "kelvan/call_table.h"
#include "platform/output_format.h"
#include "platform/parallel.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/event_pump.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/remembered.h"
#include "program_info.h"

namespace kelvan {

namespace {

// The "Output format" items, in the order of kFormats.
const char* const kFormatNames[] = {"Text", "CSV", "JSON Lines", "SQLite", "PostgreSQL"};
constexpr platform::OutputFormat kFormats[] = {
    platform::OutputFormat::kText, platform::OutputFormat::kCsv, platform::OutputFormat::kJsonl,
    platform::OutputFormat::kSqlite, platform::OutputFormat::kPostgres};

QString Title() {
  return QString::fromStdString(ProgramTitle());
}

// Paths as the file system spells them, on Windows too.
std::filesystem::path ToPath(const QString& text) {
#if defined(Q_OS_WIN)
  return std::filesystem::path(text.toStdWString());
#else
  return std::filesystem::path(text.toLocal8Bit().toStdString());
#endif
}

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// The desktop's key numbers where Qt's differ (letters and digits agree).
int DesktopKeyCode(int key) {
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_CapsLock:
      return 20;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      break;
  }
  return key <= 0xFF ? key : 0;
}

}  // namespace

QString KeyMessageText(int qt_key, Qt::KeyboardModifiers modifiers) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return QString::number(shift) + "," + QString::number(DesktopKeyCode(qt_key));
}

QString CdotExtractorWindow::DefaultOutputPath() {
#if defined(Q_OS_WIN)
  return QStringLiteral("c:\\tgcbr.txt");
#else
  return QDir::toNativeSeparators(QDir::home().filePath("tgcbr.txt"));
#endif
}

QString CdotExtractorWindow::DefaultOutputFolder() {
  // Never the program's own folder: once installed nobody may write there.
  return QDir::toNativeSeparators(QDir::homePath());
}

CdotExtractorWindow::CdotExtractorWindow(platform::ui::MessageService& messages, const Clock& clock,
                                         QWidget* parent)
    : QMainWindow(parent), messages_(messages), clock_(clock) {
  setObjectName("Form1");
  setWindowTitle(Title());

  auto* central = new QWidget(this);
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildInputFrame(), 1);
  auto* options = new QVBoxLayout;
  options->addWidget(BuildDataOptions());
  auto* middle = new QHBoxLayout;
  middle->addWidget(BuildDelimiterFrame());
  middle->addWidget(BuildFilterFrame());
  options->addLayout(middle);
  options->addWidget(BuildOutputFrame());
  options->addStretch(1);
  columns->addLayout(options, 1);

  progress_ = Named(new QProgressBar(central), "ProgressBar1");
  progress_->setRange(0, kProgressMaximum);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  execute_ = Named(new QPushButton("Execute", central), "Command2");
  cancel_ = Named(new QPushButton("Cancel", central), "Command1");
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(progress_, 1);
  bottom->addWidget(execute_);
  bottom->addWidget(cancel_);

  auto* layout = new QVBoxLayout(central);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);
  setCentralWidget(central);
  BuildStatusBar();

  about_ = new CdotAboutBox(this);
  connect(execute_, &QPushButton::clicked, this, [this] { Execute(); });
  connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
  RememberControls();
  resize(760, 500);
}

CdotExtractorWindow::~CdotExtractorWindow() = default;

void CdotExtractorWindow::RememberControls() {
  using platform::ui::Remember;
  Remember(panel_, "input/folder");
  for (int i = 0; i < 8; ++i) Remember(fields_[i], QStringLiteral("fields/%1").arg(i + 1));
  Remember(fixed_width_, "layout/fixed");
  Remember(delimited_, "layout/delimited");
  Remember(delimiter_, "layout/delimiter");
  Remember(all_records_, "filter/all");
  Remember(selected_records_, "filter/selected");
  Remember(filter_field_, "filter/field");
  Remember(filter_value_, "filter/value");
  Remember(single_file_, "output/single");
  Remember(output_file_, "output/file");
  Remember(multi_file_, "output/multi");
  Remember(output_folder_, "output/folder");
  Remember(output_format_, "output/format");
  Remember(area_code_on_, "area_code/on");
  Remember(area_code_, "area_code/value");
}

QWidget* CdotExtractorWindow::BuildInputFrame() {
  auto* frame = new QGroupBox("Input File Selection");
  auto* layout = new QVBoxLayout(frame);
  panel_ = new platform::ui::FilePickerPanel(frame);
  Named(panel_->DriveList(), "Drive1");
  Named(panel_->FolderTree(), "Dir1");
  Named(panel_->FileList(), "File1");
  panel_->SetDriveErrorHandler([this](const QString& drive) {
    ShowMessage({"Drive  " + drive.toUpper().toStdString() + "  is Not Accessible",
                 "Drive Access Error", MessageIcon::kError, MessageButtons::kOk});
  });
  // A new drive moves the folder too, so one handler serves both.
  connect(panel_, &platform::ui::FilePickerPanel::FolderChanged, this,
          [this] { status_panel_->setText("Select Input Files"); });
  connect(panel_, &platform::ui::FilePickerPanel::SelectionChanged, this,
          &CdotExtractorWindow::ShowSelectionCount);
  layout->addWidget(panel_);
  return frame;
}

QWidget* CdotExtractorWindow::BuildDataOptions() {
  auto* frame = new QGroupBox("Data Options");
  auto* layout = new QGridLayout(frame);
  for (int i = 0; i < 8; ++i) {
    const QByteArray name = "Check1_" + QByteArray::number(i);
    fields_[i] = Named(new QCheckBox(kFieldCaptions[i], frame), name.constData());
    fields_[i]->setChecked(true);
    layout->addWidget(fields_[i], i % 4, i / 4);
  }
  return frame;
}

QWidget* CdotExtractorWindow::BuildDelimiterFrame() {
  auto* frame = new QGroupBox("Delimiter");
  auto* layout = new QVBoxLayout(frame);
  fixed_width_ = Named(new QRadioButton("Fixed Width", frame), "Option3");
  delimited_ = Named(new QRadioButton("Delimited by ", frame), "Option4");
  delimited_->setChecked(true);
  delimiter_ = Named(new QComboBox(frame), "Combo1");
  delimiter_->setEditable(true);
  delimiter_->addItems({"Comma", "Tab", "Space"});
  delimiter_->setCurrentText("Comma");
  connect(fixed_width_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) delimiter_->setEnabled(false);
  });
  connect(delimited_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) delimiter_->setEnabled(true);
  });
  layout->addWidget(fixed_width_);
  layout->addWidget(delimited_);
  layout->addWidget(delimiter_);
  layout->addStretch(1);
  return frame;
}

QWidget* CdotExtractorWindow::BuildFilterFrame() {
  auto* frame = new QGroupBox("Filter");
  auto* layout = new QVBoxLayout(frame);
  all_records_ = Named(new QRadioButton("All Records", frame), "Option5");
  selected_records_ = Named(new QRadioButton("Selected Records", frame), "Option6");
  all_records_->setChecked(true);
  filter_field_ = Named(new QComboBox(frame), "Combo2");
  filter_field_->addItems({"Calling No", "Called No", "ITgp ID", "OTgp ID"});
  filter_field_->setCurrentIndex(0);
  filter_field_->setEnabled(false);
  filter_value_ = Named(new QLineEdit(frame), "Text2");
  filter_value_->setEnabled(false);
  auto enable_filter = [this](bool on) {
    filter_field_->setEnabled(on);
    filter_value_->setEnabled(on);
  };
  connect(all_records_, &QRadioButton::toggled, this, [enable_filter](bool on) {
    if (on) enable_filter(false);
  });
  connect(selected_records_, &QRadioButton::toggled, this, [enable_filter](bool on) {
    if (on) enable_filter(true);
  });
  layout->addWidget(all_records_);
  layout->addWidget(selected_records_);
  auto* row = new QHBoxLayout;
  row->addWidget(filter_field_);
  row->addWidget(filter_value_, 1);
  layout->addLayout(row);
  layout->addStretch(1);
  return frame;
}

QWidget* CdotExtractorWindow::BuildOutputFrame() {
  auto* frame = new QGroupBox("Output Options");
  auto* layout = new QGridLayout(frame);
  single_file_ = Named(new QRadioButton("Single Output File", frame), "Option1");
  single_file_->setChecked(true);
  output_file_ = Named(new QLineEdit(DefaultOutputPath(), frame), "Text1");
  multi_file_ = Named(new QRadioButton("Multi File O/P Directory", frame), "Option2");
  output_folder_ = Named(new QLineEdit(DefaultOutputFolder(), frame), "Text3");
  output_folder_->setEnabled(false);
  output_format_ = Named(new QComboBox(frame), "cboOutputFormat");
  for (const char* name : kFormatNames) output_format_->addItem(name);
  // A database takes every file's calls into one place: no per-day files,
  // and the output name is the database file (SQLite) or the connection
  // text (PostgreSQL, empty for the PG* variables).
  connect(output_format_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const bool database = platform::IsDatabaseFormat(kFormats[std::max(0, index)]);
    if (database) single_file_->setChecked(true);
    multi_file_->setEnabled(!database);
  });
  area_code_on_ = Named(new QCheckBox("Prefix Area Code", frame), "Check2");
  area_code_ = Named(new QLineEdit("4565", frame), "Text4");
  area_code_->setEnabled(false);
  area_code_->setMaximumWidth(90);
  connect(single_file_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    output_folder_->setEnabled(false);
    output_file_->setEnabled(true);
  });
  connect(multi_file_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    output_folder_->setEnabled(true);
    output_file_->setEnabled(false);
  });
  connect(area_code_on_, &QCheckBox::toggled, area_code_, &QWidget::setEnabled);
  layout->addWidget(single_file_, 0, 0);
  layout->addWidget(output_file_, 0, 1);
  layout->addWidget(multi_file_, 1, 0);
  layout->addWidget(output_folder_, 1, 1);
  layout->addWidget(area_code_on_, 2, 0);
  layout->addWidget(area_code_, 2, 1, Qt::AlignLeft);
  // Under the output names it governs: the window keeps its width.
  layout->addWidget(new QLabel("Output format", frame), 3, 0);
  layout->addWidget(output_format_, 3, 1, Qt::AlignLeft);
  layout->setColumnStretch(1, 1);
  return frame;
}

void CdotExtractorWindow::BuildStatusBar() {
  statusBar()->setObjectName("SBR");
  date_panel_ =
      Named(new QLabel(QString::fromStdString(StatusDateText(clock_.Today())), this), "SBR_Panel1");
  date_panel_->setMinimumWidth(110);
  status_panel_ = Named(new QLabel("Select Input Files", this), "SBR_Panel2");
  statusBar()->addWidget(date_panel_);
  statusBar()->addWidget(status_panel_, 1);
}

void CdotExtractorWindow::ShowSelectionCount() {
  const int count = panel_->SelectedCount();
  if (count > 1) {
    status_panel_->setText(QString::number(count) + " Files Selected");
  } else if (count == 1) {
    status_panel_->setText("1 File Selected");
  } else {
    status_panel_->setText("Select Input Files");
  }
}

RunSettings CdotExtractorWindow::Settings() const {
  RunSettings s;
  const QDir folder(panel_->FolderPath());
  for (const QString& name : panel_->SelectedFileNames()) {
    s.inputs.push_back(ToPath(QDir::toNativeSeparators(folder.filePath(name))));
  }
  for (int i = 0; i < 8; ++i) {
    if (fields_[i]->isChecked()) s.field_selection.push_back(i + 1);
  }
  s.layout = fixed_width_->isChecked() ? Layout::kFixedWidth : Layout::kDelimited;
  s.delimiter_name = delimiter_->currentText().toStdString();
  s.filter_on = selected_records_->isChecked();
  s.filter_field = static_cast<FilterField>(std::max(0, filter_field_->currentIndex()));
  s.filter_value = filter_value_->text().toStdString();
  s.multi_file = multi_file_->isChecked();
  s.format = kFormats[std::max(0, output_format_->currentIndex())];
  if (s.format == platform::OutputFormat::kPostgres) {
    s.database = output_file_->text().toStdString();
  } else {
    s.output_file = ToPath(output_file_->text());
  }
  s.output_folder = ToPath(output_folder_->text());
  s.area_code_on = area_code_on_->isChecked();
  s.area_code = area_code_->text().toStdString();
  s.title = ProgramTitle();
  s.workers = platform::DefaultWorkers();
  return s;
}

RunResult CdotExtractorWindow::Execute() {
  const RunSettings settings = Settings();
  if (!AcceptSettings(settings)) return {};
  // The run holds the window until it ends and takes no input meanwhile,
  // but the window goes on drawing its progress and status.
  platform::ui::BusyCursor busy;
  pump_ = std::make_unique<platform::ui::EventPump>(platform::ui::EventPump::Input::kDrop);
  const RunResult result = RunExtraction(settings, *this, clock_);
  pump_.reset();
  return result;
}

bool CdotExtractorWindow::AcceptSettings(const RunSettings& settings) {
  // Nothing selected or ticked: the run itself says so.
  if (settings.inputs.empty() || settings.field_selection.empty()) return true;
  if (settings.area_code_on &&
      (settings.area_code.empty() ||
       settings.area_code.find_first_not_of("0123456789") != std::string::npos)) {
    ShowMessage({"The area code \"" + settings.area_code +
                     "\" is not a number: type its digits only, or untick Prefix Area Code.",
                 ProgramTitle(), MessageIcon::kError, MessageButtons::kOk});
    return false;
  }
  if (settings.filter_on && settings.filter_value.empty()) {
    // A legitimate filter (records of no trunk group) but more often a value
    // forgotten before a long run that would write nothing.
    const std::string field = filter_field_->currentText().toStdString();
    const MessageAnswer answer =
        ShowMessage({"The filter value is empty: only records whose " + field +
                         " is empty will be written. Do you want to continue?",
                     ProgramTitle(), MessageIcon::kQuestion, MessageButtons::kYesNo});
    if (answer != MessageAnswer::kYes) return false;
  }
  return true;
}

void CdotExtractorWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  about_->show();
  about_->raise();
  event->accept();
}

void CdotExtractorWindow::keyPressEvent(QKeyEvent* event) {
  // Only keys meant for the window itself, not those a control passed on.
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && focus != this) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  ShowMessage({KeyMessageText(event->key(), event->modifiers()).toStdString(), ProgramTitle(),
               MessageIcon::kNone, MessageButtons::kOk});
}

MessageAnswer CdotExtractorWindow::ShowMessage(const Message& message) {
  // During a run, let the window catch up before the box goes over it.
  if (pump_) pump_->Pump();
  return platform::ui::ShowMessage(messages_, message, Title());
}

void CdotExtractorWindow::PumpEvents() {
  if (pump_) pump_->Tick();
}

bool CdotExtractorWindow::StopRequested() {
  if (pump_) pump_->Tick();
  return false;
}

void CdotExtractorWindow::SetProgress(int value) {
  if (pump_) pump_->Tick();
  if (progress_->value() == value) return;
  progress_->setValue(value);
  progress_->repaint();  // the run holds the window, so paint now
}

void CdotExtractorWindow::SetStatusText(const std::string& text) {
  status_panel_->setText(QString::fromLocal8Bit(text.c_str()));
  status_panel_->repaint();
}

}  // namespace kelvan
