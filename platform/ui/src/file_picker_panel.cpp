#include "platform/ui/file_picker_panel.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace platform::ui {

QStringList ReadyDrives() {
  QStringList drives;
#if defined(Q_OS_WIN)
  for (const QFileInfo& drive : QDir::drives()) drives << QDir::toNativeSeparators(drive.absoluteFilePath());
#else
  drives << QDir::toNativeSeparators(QDir::homePath());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = QDir::toNativeSeparators(volume.rootPath());
    // Pseudo file systems are no place for billing files.
    const QByteArray type = volume.fileSystemType();
    if (type == "proc" || type == "sysfs" || type == "devpts" || type == "cgroup" ||
        type == "cgroup2" || type == "securityfs" || type == "debugfs" || type == "tracefs" ||
        type == "mqueue" || type == "pstore" || type == "bpf" || type == "configfs" ||
        type == "fusectl" || type == "autofs" || type == "hugetlbfs" || type == "binfmt_misc")
      continue;
    if (!drives.contains(root)) drives << root;
  }
#endif
  return drives;
}

FilePickerPanel::FilePickerPanel(QWidget* parent)
    : QWidget(parent),
      drives_(new QComboBox(this)),
      folders_(new QTreeView(this)),
      files_(new QListWidget(this)),
      folder_model_(new QFileSystemModel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(drives_);
  layout->addWidget(folders_, 1);
  layout->addWidget(files_, 1);

  folder_model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folder_model_->setRootPath(QString());
  folders_->setModel(folder_model_);
  for (int c = 1; c < folder_model_->columnCount(); ++c) folders_->hideColumn(c);
  folders_->header()->hide();
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);

  drives_->addItems(ReadyDrives());
  last_good_drive_ = drives_->currentText();
  connect(drives_, &QComboBox::activated, this, &FilePickerPanel::OnDriveChosen);
  connect(folders_, &QTreeView::clicked, this, &FilePickerPanel::OnFolderClicked);
  connect(files_, &QListWidget::itemSelectionChanged, this, &FilePickerPanel::SelectionChanged);
  connect(files_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit FileActivated(item->text()); });
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

void FilePickerPanel::SetFolder(const QString& path) {
  QString clean = QDir::cleanPath(QDir(path).absolutePath());
  folder_ = QDir::toNativeSeparators(clean);
  const QModelIndex index = folder_model_->index(clean);
  if (index.isValid()) {
    folders_->setCurrentIndex(index);
    folders_->expand(index);
    folders_->scrollTo(index);
  }
  Refresh();
  emit FolderChanged(folder_);
}

void FilePickerPanel::Refresh() {
  files_->clear();
  const QDir dir(folder_);
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  files_->addItems(names);
}

QStringList FilePickerPanel::SelectedFileNames() const {
  QStringList names;
  for (int i = 0; i < files_->count(); ++i)
    if (files_->item(i)->isSelected()) names << files_->item(i)->text();
  return names;
}

int FilePickerPanel::SelectedCount() const { return static_cast<int>(files_->selectedItems().size()); }

void FilePickerPanel::SelectFiles(const QStringList& names) {
  files_->clearSelection();
  for (int i = 0; i < files_->count(); ++i)
    if (names.contains(files_->item(i)->text())) files_->item(i)->setSelected(true);
}

}  // namespace platform::ui
