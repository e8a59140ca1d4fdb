#include "main_window.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "platform/open_file.h"
#include "platform/parallel.h"
#include "platform/ui/event_pump.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/remembered.h"

namespace pardel {

QString AxeExtractorWindow::ProgramTitle() {
  return QStringLiteral("Pardel %1.%2 - NORVA").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR);
}

QString AxeExtractorWindow::DefaultOutputPath() {
#if defined(Q_OS_WIN)
  return QStringLiteral("c:\\pardel.txt");
#else
  return QDir::toNativeSeparators(QDir::home().filePath("pardel.txt"));
#endif
}

AxeExtractorWindow::AxeExtractorWindow(platform::ui::MessageService& messages,
                                       platform::ui::DocumentOpener& viewer, QWidget* parent)
    : QMainWindow(parent), messages_(messages), viewer_(viewer) {
  setObjectName("Form1");
  setWindowTitle(ProgramTitle());

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  panel_ = new platform::ui::FilePickerPanel(central);
  panel_->DriveList()->setObjectName("Drive1");
  panel_->FolderTree()->setObjectName("Dir1");
  panel_->FileList()->setObjectName("File1");
  panel_->SetDriveErrorHandler([this](const QString&) {
    ShowMessage({"Drive Not Ready", "", Icon::kError, Buttons::kOk});
  });
  layout->addWidget(panel_, 1);

  auto* output_row = new QHBoxLayout;
  auto* output_label = new QLabel("Output File", central);
  output_ = new QLineEdit(DefaultOutputPath(), central);
  output_->setObjectName("Text1");
  output_label->setBuddy(output_);
  format_ = new QComboBox(central);
  format_->setObjectName("cboOutputFormat");
  // In the order of platform::OutputFormat.
  format_->addItems({"Text", "CSV", "JSON Lines", "SQLite", "PostgreSQL"});
  format_->setToolTip("Output format");
  output_row->addWidget(output_label);
  output_row->addWidget(output_, 1);
  output_row->addWidget(format_);
  layout->addLayout(output_row);

  progress_ = new QProgressBar(central);
  progress_->setObjectName("ProgressBar1");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  layout->addWidget(progress_);

  auto* buttons = new QHBoxLayout;
  sample_button_ = new QPushButton("Show Sample", central);
  sample_button_->setObjectName("Command1");
  extract_button_ = new QPushButton("Extract", central);
  extract_button_->setObjectName("Command2");
  cancel_button_ = new QPushButton("Cancel", central);
  cancel_button_->setObjectName("Command3");
  buttons->addStretch(1);
  buttons->addWidget(sample_button_);
  buttons->addWidget(extract_button_);
  buttons->addWidget(cancel_button_);
  layout->addLayout(buttons);
  setCentralWidget(central);

  statusBar()->setObjectName("StatusBar1");
  files_panel_ = new QLabel(this);
  files_panel_->setObjectName("StatusBar1_Panel1");
  files_panel_->setMinimumWidth(80);
  file_panel_ = new QLabel(this);
  file_panel_->setObjectName("StatusBar1_Panel2");
  statusBar()->addWidget(files_panel_);
  statusBar()->addWidget(file_panel_, 1);

  connect(extract_button_, &QPushButton::clicked, this, [this] { RunExtraction(false); });
  connect(sample_button_, &QPushButton::clicked, this, [this] { RunExtraction(true); });
  connect(cancel_button_, &QPushButton::clicked, this, &QWidget::close);
  connect(format_, &QComboBox::currentIndexChanged, this, [this] { OnFormatChosen(); });
  platform::ui::Remember(panel_, "input/folder");
  platform::ui::Remember(output_, "output/file");
  // After the name: restoring the choice then leaves the restored name as
  // it is (it already fits the choice).
  platform::ui::Remember(format_, "output/format");
  resize(520, 560);
}

AxeExtractorWindow::~AxeExtractorWindow() = default;

namespace {

// The extensions a name takes for the file formats, in the order of
// platform::OutputFormat.
const char* const kExtensions[] = {".txt", ".csv", ".jsonl", ".sqlite"};

bool EndsWithOurExtension(const QString& name, int* at) {
  for (const char* extension : kExtensions) {
    if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive)) {
      *at = static_cast<int>(name.size() - static_cast<qsizetype>(std::strlen(extension)));
      return true;
    }
  }
  return false;
}

}  // namespace

QString AxeExtractorWindow::OutputNameFor(platform::OutputFormat format, const QString& name) {
  int at = 0;
  const bool ours = EndsWithOurExtension(name, &at);
  if (format == platform::OutputFormat::kPostgres) return ours ? QString() : name;
  const QString extension = QLatin1String(kExtensions[static_cast<int>(format)]);
  // Empty or a connection text: back to the usual file, as the format names it.
  if (name.trimmed().isEmpty() || name.contains("://") || name.contains('=')) {
    QString path = DefaultOutputPath();
    EndsWithOurExtension(path, &at);
    return path.left(at) + extension;
  }
  if (!ours) return name;
  return name.left(at) + extension;
}

platform::OutputFormat AxeExtractorWindow::ChosenFormat() const {
  return static_cast<platform::OutputFormat>(std::max(0, format_->currentIndex()));
}

void AxeExtractorWindow::OnFormatChosen() {
  const platform::OutputFormat format = ChosenFormat();
  // A sample is a file to look at: a database has none.
  sample_button_->setEnabled(!platform::IsDatabaseFormat(format));
  output_->setPlaceholderText(format == platform::OutputFormat::kPostgres
                                  ? QStringLiteral("postgresql://... (empty: the PG* variables)")
                                  : QString());
  output_->setText(OutputNameFor(format, output_->text()));
}

RunResult AxeExtractorWindow::RunExtraction(bool sample) {
  RunRequest request;
  const QDir folder(panel_->FolderPath());
  for (const QString& name : panel_->SelectedFileNames())
    request.files.push_back(platform::PathOf(folder.filePath(name).toStdString()));
  OutputChoice choice;
  choice.format = ChosenFormat();
  if (choice.format == platform::OutputFormat::kPostgres)
    choice.connection = output_->text().toStdString();
  else
    request.output = platform::PathOf(output_->text().toStdString());
  request.sample = sample;
  request.workers = platform::DefaultWorkers();
  platform::ui::BusyCursor busy;
  pump_ = std::make_unique<platform::ui::EventPump>(platform::ui::EventPump::Input::kDrop);
  ExtractionRun run(*this);
  const RunResult result = run.Run(request, choice);
  pump_.reset();
  return result;
}

Answer AxeExtractorWindow::ShowMessage(const Message& message) {
  // The status bar names the file a question is about: let it show first.
  if (pump_) pump_->Pump();
  return platform::ui::ShowMessage(messages_, message, QStringLiteral("pardel"));
}

void AxeExtractorWindow::SetStatus(const std::string& files_panel, const std::string& file_panel) {
  files_panel_->setText(QString::fromStdString(files_panel));
  file_panel_->setText(QString::fromLocal8Bit(file_panel.c_str()));
  statusBar()->repaint();
}

void AxeExtractorWindow::SetProgress(int value) {
  if (progress_->value() == value) return;
  progress_->setValue(value);
  progress_->repaint();  // the run holds the window, so paint now
}

bool AxeExtractorWindow::StopRequested() {
  if (pump_) pump_->Tick();
  return false;
}

void AxeExtractorWindow::PumpEvents() {
  // While the workers decode, the window keeps drawing.
  if (pump_) pump_->Tick();
}

void AxeExtractorWindow::OpenInTextViewer(const std::filesystem::path& path) {
  const QString file = QString::fromStdString(path.string());
  if (!viewer_.Open(file))
    ShowMessage(
        {"Cannot open " + path.string() + " in the text viewer", "", Icon::kError, Buttons::kOk});
}

}  // namespace pardel
