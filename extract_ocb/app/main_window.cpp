#include "main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "ostrel/extraction_run.h"
#include "ostrel/ocb_decoder.h"
#include "ostrel/trimming.h"
#include "platform/parallel.h"
#include "platform/ui/event_pump.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/message_service.h"
#include "platform/ui/remembered.h"

namespace ostrel {
namespace {

namespace ui = platform::ui;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QPushButton* Button(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

}  // namespace

OcbExtractorWindow::OcbExtractorWindow(ui::MessageService& messages, QWidget* parent)
    : QWidget(parent), messages_(messages) {
  setObjectName("frmCDR");
  setWindowTitle(QString("Ostrel [ %1.%2 ] - NORVA").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR));
  choose_file_ = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(), "All Files (*.*)");
  };
  quit_ = [this] { close(); };

  tabs_ = new QTabWidget;
  tabs_->setObjectName("SSTab1");
  tabs_->addTab(BuildExtractorTab(), "CDR Extractor");
  tabs_->addTab(BuildAnalyserTab(), "Analyser");
  tabs_->addTab(BuildAboutTab(), "About");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  resize(720, 560);

  // Restored after the handlers are connected, saved whenever changed.
  ui::Remember(picker_, "folder");
  ui::Remember(output_name_, "output");
  ui::Remember(output_format_, "outputFormat");
  for (int n = 1; n <= ocb::kFieldCount; ++n)
    ui::Remember(fields_[n - 1], QString("field%1").arg(n));
  ui::Remember(analysis_file_, "analysisFile");
}

QWidget* OcbExtractorWindow::BuildExtractorTab() {
  auto* tab = new QWidget;
  auto* input = new QGroupBox("Input Binary Files");
  picker_ = new ui::FilePickerPanel;
  picker_->DriveList()->setObjectName("Drive1");
  picker_->FolderTree()->setObjectName("Dir1");
  picker_->FileList()->setObjectName("File1");
  picker_->SetDriveErrorHandler([this](const QString& drive) {
    ShowMessage({"Drive  " + drive.toUpper().toStdString() + "  is Not Accessible",
                 "Drive Access Error", MessageIcon::kError, MessageButtons::kOk});
  });
  (new QVBoxLayout(input))->addWidget(picker_);

  auto* options = new QGroupBox("Output Options");
  auto* grid = new QGridLayout(options);
  const FieldSelection defaults = DefaultFieldSelection();
  for (int n = 1; n <= ocb::kFieldCount; ++n) {
    auto* box = new QCheckBox(ocb::FieldCaption(n));
    box->setObjectName(QString("optData_%1").arg(n));
    box->setChecked(std::find(defaults.begin(), defaults.end(), n) != defaults.end());
    grid->addWidget(box, (n - 1) % 9, (n - 1) / 9);
    fields_[n - 1] = box;
  }

  output_name_ = new QLineEdit(DefaultOutputPath());
  output_name_->setObjectName("txtOPF");
  output_format_ = new QComboBox;
  output_format_->setObjectName("cboOutputFormat");
  output_format_->addItems({"Text", "CSV", "JSON Lines", "SQLite", "PostgreSQL"});
  static_assert(static_cast<int>(OutputFormat::kPostgres) == 4, "the items follow OutputFormat");
  extract_button_ = Button("cmdGO", "Extract Data");
  cancel_button_ = Button("cmdNO", "Cancel");
  connect(extract_button_, &QPushButton::clicked, this, &OcbExtractorWindow::OnExtract);
  connect(cancel_button_, &QPushButton::clicked, this, &OcbExtractorWindow::OnCancelOrStop);
  progress_ = new QProgressBar;
  progress_->setObjectName("pbr");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  current_file_ = new QLabel;
  current_file_->setObjectName("lblProFile");

  auto* output = new QHBoxLayout;
  output->addWidget(new QLabel("Output File"));
  output->addWidget(output_name_, 1);
  output->addWidget(new QLabel("Output format"));
  output->addWidget(output_format_);
  output->addWidget(extract_button_);
  output->addWidget(cancel_button_);

  auto* layout = new QVBoxLayout(tab);
  auto* top = new QHBoxLayout;
  top->addWidget(input, 1);
  top->addWidget(options);
  layout->addLayout(top, 1);
  layout->addLayout(output);
  layout->addWidget(progress_);
  layout->addWidget(current_file_);
  return tab;
}

QLineEdit* OcbExtractorWindow::DetailBox(const char* name) {
  auto* box = new QLineEdit;
  box->setObjectName(name);
  box->setReadOnly(true);
  return box;
}

QWidget* OcbExtractorWindow::BuildAnalyserTab() {
  auto* tab = new QWidget;
  auto* file = new QGroupBox("File");
  auto* file_row = new QHBoxLayout(file);
  analysis_file_ = new QLineEdit;
  analysis_file_->setObjectName("txtIFA");
  analysis_file_->setReadOnly(true);
  auto* choose = Button("Command4", ">>");
  connect(choose, &QPushButton::clicked, this, &OcbExtractorWindow::OnChooseFile);
  file_row->addWidget(new QLabel("Input Binary File"));
  file_row->addWidget(analysis_file_, 1);
  file_row->addWidget(choose);

  auto* analyse = Button("Command1", "Analyse");
  auto* trim = Button("Command2", "Trim");
  auto* cancel = Button("Command3", "Cancel");
  connect(analyse, &QPushButton::clicked, this, [this] { OnAnalyse(false); });
  connect(trim, &QPushButton::clicked, this, [this] { OnAnalyse(true); });
  connect(cancel, &QPushButton::clicked, this, &OcbExtractorWindow::OnAnalyserCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(analyse);
  buttons->addWidget(trim);
  buttons->addWidget(cancel);

  auto* details = new QGroupBox("Binary File Details");
  auto* grid = new QGridLayout(details);
  const std::pair<const char*, const char*> rows[] = {
      {"txtDCD", "Data Copied Date"}, {"txtDCT", "Data Copied Time"},    {"txtDT", "Data Type"},
      {"txtFS", "Data File Size"},    {"txtNOR", "Number of Records"},   {"txtUS", "Useful Data"},
      {"txtUDP", "% of Useful Data"}, {"txtBLK", "Blocks Acknowledged"},
  };
  int row = 0;
  for (const auto& [name, caption] : rows) {
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(DetailBox(name), row, 1);
    ++row;
  }
  first_block_ = new QLabel;
  first_block_->setObjectName("lblFblk");
  last_block_ = new QLabel;
  last_block_->setObjectName("lblLblk");
  grid->addWidget(new QLabel("First Block Number"), row, 0);
  grid->addWidget(first_block_, row++, 1);
  grid->addWidget(new QLabel("Last Block Number"), row, 0);
  grid->addWidget(last_block_, row++, 1);
  grid->setRowStretch(row, 1);

  auto record_group = [this](const QString& title, const char* suffix) {
    auto* group = new QGroupBox(title);
    auto* g = new QGridLayout(group);
    const std::pair<const char*, const char*> fields[] = {{"txtD", "Date"},
                                                          {"txtT", "Time"},
                                                          {"txtCGID", "Calling Number"},
                                                          {"txtCDID", "Called Number"}};
    int r = 0;
    for (const auto& [stem, caption] : fields) {
      g->addWidget(new QLabel(caption), r, 0);
      g->addWidget(DetailBox((std::string(stem) + suffix).c_str()), r, 1);
      ++r;
    }
    return group;
  };
  auto* records = new QVBoxLayout;
  records->addWidget(record_group(" First Record", "1"));
  records->addWidget(record_group(" Last Record", "2"));
  auto* middle = new QHBoxLayout;
  middle->addWidget(details, 1);
  middle->addLayout(records, 1);

  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(file);
  layout->addLayout(middle, 1);
  layout->addLayout(buttons);
  return tab;
}

QWidget* OcbExtractorWindow::BuildAboutTab() {
  auto* tab = new QWidget;
  auto* layout = new QVBoxLayout(tab);
  layout->addStretch(1);
  auto* name = new QLabel("Ostrel");
  name->setObjectName("lblName");
  QFont big = name->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  name->setFont(big);
  auto* version = new QLabel(
      QString("%1.%2.%3").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR).arg(APP_VERSION_PATCH));
  version->setObjectName("lblVer");
  auto* date = new QLabel("12 May 2005");
  date->setObjectName("lblDate");
  auto* description = new QLabel(
      "Post Processing of the Binary File Coppied from OCB System into Formatted Text File.");
  description->setObjectName("lblDescription");
  description->setWordWrap(true);
  for (QLabel* label : {name, version, date, description}) {
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    layout->addSpacing(8);
  }
  layout->addStretch(2);
  return tab;
}

QString OcbExtractorWindow::DefaultOutputPath() {
#ifdef Q_OS_WIN
  return "C:\\ostrel.txt";
#else
  return QDir::toNativeSeparators(QDir::home().filePath("ostrel.txt"));
#endif
}

MessageAnswer OcbExtractorWindow::ShowMessage(const Message& message) {
  // A message box needs the normal pointer even in the middle of a run.
  if (busy_) QApplication::restoreOverrideCursor();
  const MessageAnswer answer = ui::ShowMessage(messages_, message, QString());
  if (busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
  return answer;
}

void OcbExtractorWindow::SetProgress(int percent) {
  progress_->setValue(percent);
}

void OcbExtractorWindow::SetStatusText(const std::string& text) {
  current_file_->setText(Text(text));
  current_file_->repaint();
}

void OcbExtractorWindow::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
    // The run has closed its files: its closing message already shows Cancel.
    if (running_) cancel_button_->setText("Cancel");
  }
}

void OcbExtractorWindow::PumpEvents() {
  if (pump_ == nullptr) return;
  if (first_pump_) {
    first_pump_ = false;
    pump_->Pump();
    return;
  }
  pump_->Tick();
}

void OcbExtractorWindow::OnExtract() {
  if (running_) return;
  running_ = true;
  stop_requested_ = false;
  cancel_button_->setText("Stop");
  // While the run goes on, typing into the output box and changing drive,
  // folder or format have no effect.
  output_name_->setReadOnly(true);
  output_format_->setEnabled(false);
  picker_->DriveList()->setEnabled(false);
  picker_->FolderTree()->setEnabled(false);

  ExtractionRequest request;
  request.output_path = output_name_->text().toStdString();
  request.format = static_cast<OutputFormat>(output_format_->currentIndex());
  request.list_entries = static_cast<std::size_t>(picker_->FileList()->count());
  request.workers = platform::DefaultWorkers();
  const QDir folder(picker_->FolderPath());
  for (const QString& name : picker_->SelectedFileNames()) {
    request.files.push_back(QDir::toNativeSeparators(folder.filePath(name)).toStdString());
  }
  for (int n = 1; n <= ocb::kFieldCount; ++n) {
    if (fields_[n - 1]->isChecked()) request.fields.push_back(n);
  }
  ui::EventPump pump(ui::EventPump::Input::kTake);
  pump_ = &pump;
  first_pump_ = true;
  const ExtractionResult result = ExtractFiles(request, *this);
  pump_ = nullptr;
  stop_requested_ = false;

  SetBusy(false);
  output_name_->setReadOnly(false);
  output_format_->setEnabled(true);
  picker_->DriveList()->setEnabled(true);
  picker_->FolderTree()->setEnabled(true);
  cancel_button_->setText("Cancel");
  running_ = false;
  if (result.outcome == RunOutcome::kStoppedByUser) quit_();
}

void OcbExtractorWindow::OnCancelOrStop() {
  if (!running_) {
    quit_();
    return;
  }
  if (stop_requested_) return;
  const MessageAnswer answer = ShowMessage({"Do you want to terminate Extraction", kProgramTitle,
                                            MessageIcon::kQuestion, MessageButtons::kYesNo});
  // The run sees the flag after the current block, closes the output with the
  // lines written so far and then the program ends.
  if (answer == MessageAnswer::kYes) stop_requested_ = true;
}

void OcbExtractorWindow::closeEvent(QCloseEvent* event) {
  if (!running_) {
    event->accept();
    return;
  }
  event->ignore();
  OnCancelOrStop();
}

void OcbExtractorWindow::OnChooseFile() {
  if (running_) return;
  const QString path = choose_file_();
  if (!path.isEmpty()) analysis_file_->setText(QDir::toNativeSeparators(path));
}

void OcbExtractorWindow::OnAnalyse(bool trim) {
  if (running_) return;
  const std::string path = analysis_file_->text().toStdString();
  const std::optional<FileDetails> details = AnalyseFile(path, *this);
  if (!details) return;
  ShowDetails(*details);
  if (!trim) return;
  // The copy takes no input, but the window keeps drawing meanwhile.
  ui::EventPump pump(ui::EventPump::Input::kDrop);
  pump_ = &pump;
  TrimFile(path, *details, {}, *this);
  pump_ = nullptr;
}

void OcbExtractorWindow::OnAnalyserCancel() {
  if (!running_) quit_();
}

void OcbExtractorWindow::ShowDetails(const FileDetails& d) {
  auto set = [this](const char* name, const std::string& value) {
    if (auto* box = findChild<QLineEdit*>(name)) box->setText(Text(value));
  };
  set("txtDCD", d.copied_date);
  set("txtDCT", d.copied_time);
  set("txtDT", d.data_type);
  set("txtFS", std::to_string(d.size));
  set("txtNOR", std::to_string(d.records));
  set("txtUS", std::to_string(d.useful));
  set("txtUDP", d.useful_percent);
  set("txtBLK", d.blocks_acknowledged);
  first_block_->setText(QString::number(d.first_block));
  last_block_->setText(QString::number(d.last_block));
  set("txtD1", d.first.date);
  set("txtT1", d.first.time);
  set("txtCGID1", d.first.calling);
  set("txtCDID1", d.first.called);
  set("txtD2", d.last.date);
  set("txtT2", d.last.time);
  set("txtCGID2", d.last.calling);
  set("txtCDID2", d.last.called);
}

}  // namespace ostrel
