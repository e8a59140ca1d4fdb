#include "platform/ui/file_picker_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace platform::ui {
namespace {

constexpr int kSizeRole = Qt::UserRole + 1;

// The file list keeps the bare names as item texts (the programs read them
// back); the size is drawn at the right edge of each row.
class SizeDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant size = index.data(kSizeRole);
    if (!size.isValid()) return;
    const QString text = QLocale().formattedDataSize(size.toLongLong(), 1);
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected
                                             ? QPalette::HighlightedText
                                             : QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
    painter->restore();
  }
};

bool IsPseudoFileSystem(const QByteArray& type) {
  static const char* const kTypes[] = {"proc",    "sysfs",      "devpts",    "cgroup",
                                       "cgroup2", "securityfs", "debugfs",   "tracefs",
                                       "mqueue",  "pstore",     "bpf",       "configfs",
                                       "fusectl", "autofs",     "hugetlbfs", "binfmt_misc"};
  for (const char* pseudo : kTypes)
    if (type == pseudo) return true;
  return false;
}

}  // namespace

QStringList ReadyDrives() {
  QStringList drives;
#if defined(Q_OS_WIN)
  for (const QFileInfo& drive : QDir::drives())
    drives << QDir::toNativeSeparators(drive.absoluteFilePath());
#else
  drives << QDir::toNativeSeparators(QDir::homePath());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = QDir::toNativeSeparators(volume.rootPath());
    // Pseudo file systems are no place for billing files.
    if (IsPseudoFileSystem(volume.fileSystemType())) continue;
    if (!drives.contains(root)) drives << root;
  }
#endif
  return drives;
}

FilePickerPanel::FilePickerPanel(QWidget* parent)
    : QWidget(parent),
      drives_(new QComboBox(this)),
      path_(new QLineEdit(this)),
      folders_(new QTreeView(this)),
      files_(new QListWidget(this)),
      folder_model_(new QFileSystemModel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(drives_);
  layout->addWidget(path_);
  layout->addWidget(folders_, 1);
  layout->addWidget(files_, 1);

  path_->setObjectName("txtFolderPath");
  path_->setPlaceholderText(tr("Type or paste a folder or file path, then Enter"));
  path_->setClearButtonEnabled(true);
  folder_model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders_->setModel(folder_model_);
  for (int c = 1; c < folder_model_->columnCount(); ++c) folders_->hideColumn(c);
  folders_->header()->hide();
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  files_->setItemDelegate(new SizeDelegate(files_));

  drives_->addItems(ReadyDrives());
  last_good_drive_ = drives_->currentText();
  connect(drives_, &QComboBox::activated, this, &FilePickerPanel::OnDriveChosen);
  connect(folders_, &QTreeView::clicked, this, &FilePickerPanel::OnFolderClicked);
  connect(files_, &QListWidget::itemSelectionChanged, this, &FilePickerPanel::SelectionChanged);
  connect(files_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit FileActivated(item->text()); });
  connect(path_, &QLineEdit::returnPressed, this, [this] {
    if (!GoToPath(path_->text().trimmed())) {
      QApplication::beep();
      path_->setText(folder_);
    }
  });
  if (!last_good_drive_.isEmpty()) SetFolder(last_good_drive_);
}

void FilePickerPanel::OnDriveChosen(int index) {
  const QString drive = drives_->itemText(index);
  const QDir dir(drive);
  if (!dir.exists() || !dir.isReadable()) {
    drives_->setCurrentText(last_good_drive_);
    if (drive_error_) drive_error_(drive);
    return;
  }
  last_good_drive_ = drive;
  SetFolder(drive);
}

void FilePickerPanel::SetDrive(const QString& drive) {
  int index = drives_->findText(drive);
  if (index < 0) {
    drives_->addItem(drive);
    index = drives_->count() - 1;
  }
  drives_->setCurrentIndex(index);
  OnDriveChosen(index);
}

void FilePickerPanel::OnFolderClicked() {
  const QString path = folder_model_->filePath(folders_->currentIndex());
  if (!path.isEmpty()) SetFolder(path);
}

// The tree shows the folders of the drive that holds the folder: the drive
// of the list that is the longest leading part of its path.
void FilePickerPanel::ShowDrive(const QString& drive) {
  if (drive == shown_drive_) return;
  shown_drive_ = drive;
  const QString root = QDir::fromNativeSeparators(drive);
  folder_model_->setRootPath(root);
  folders_->setRootIndex(folder_model_->index(root));
}

void FilePickerPanel::SetFolder(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  folder_ = QDir::toNativeSeparators(clean);
  QString drive;
  for (int i = 0; i < drives_->count(); ++i) {
    const QString candidate = QDir::cleanPath(QDir::fromNativeSeparators(drives_->itemText(i)));
    const bool holds = clean == candidate ||
                       clean.startsWith(candidate.endsWith('/') ? candidate : candidate + '/');
    if (holds && candidate.size() > drive.size()) drive = candidate;
  }
  if (!drive.isEmpty()) {
    const int index = drives_->findText(QDir::toNativeSeparators(drive));
    if (index >= 0) drives_->setCurrentIndex(index);
    ShowDrive(drive);
  }
  const QModelIndex index = folder_model_->index(clean);
  if (index.isValid()) {
    folders_->setCurrentIndex(index);
    folders_->expand(index);
    folders_->scrollTo(index);
  }
  path_->setText(folder_);
  Refresh();
  emit FolderChanged(folder_);
}

bool FilePickerPanel::GoToPath(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(QDir::fromNativeSeparators(path));
  if (info.isDir()) {
    SetFolder(info.absoluteFilePath());
    return true;
  }
  if (info.isFile()) {
    SetFolder(info.absolutePath());
    SelectFiles({info.fileName()});
    return true;
  }
  return false;
}

void FilePickerPanel::Refresh() {
  files_->clear();
  const QDir dir(folder_);
  const QFileInfoList entries =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QFileInfo& entry : entries) {
    auto* item = new QListWidgetItem(entry.fileName(), files_);
    item->setData(kSizeRole, entry.size());
  }
}

QStringList FilePickerPanel::SelectedFileNames() const {
  QStringList names;
  for (int i = 0; i < files_->count(); ++i)
    if (files_->item(i)->isSelected()) names << files_->item(i)->text();
  return names;
}

int FilePickerPanel::SelectedCount() const {
  return static_cast<int>(files_->selectedItems().size());
}

void FilePickerPanel::SelectFiles(const QStringList& names) {
  files_->clearSelection();
  for (int i = 0; i < files_->count(); ++i)
    if (names.contains(files_->item(i)->text())) files_->item(i)->setSelected(true);
}

}  // namespace platform::ui
