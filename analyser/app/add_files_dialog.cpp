#include "app/add_files_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/file_list.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/remembered.h"

namespace lomtra {
namespace {

constexpr const char* kAddFilesFolderKey = "addFiles/folder";

}  // namespace

AddFilesDialog::AddFilesDialog(std::function<void(const QStringList&)> add_files,
                               std::function<void(const QString&)> drive_error, QWidget* parent)
    : QDialog(parent, Qt::Window), add_files_(std::move(add_files)) {
  setObjectName("frmOpen");
  setWindowTitle("Add Files");
  setModal(false);

  panel_ = new platform::ui::FilePickerPanel(this);
  panel_->DriveList()->setObjectName("Drive1");
  panel_->FolderTree()->setObjectName("Dir1");
  panel_->FileList()->setObjectName("File1");
  // File1 only enumerates the folder; the three-column list shows it.
  panel_->FileList()->hide();
  panel_->SetDriveErrorHandler(std::move(drive_error));

  list_ = new QTreeWidget(this);
  list_->setObjectName("ListView1");
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setColumnCount(3);
  list_->setHeaderLabels({"No", "File Name", "Size"});
  list_->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  list_->setColumnWidth(0, 33);
  list_->setColumnWidth(1, 267);
  list_->setColumnWidth(2, 67);
  list_->header()->setStretchLastSection(false);

  add_button_ = new QPushButton("Add Files", this);
  add_button_->setObjectName("Command1");
  cancel_button_ = new QPushButton("Cancel", this);
  cancel_button_->setObjectName("Command2");

  auto* columns = new QHBoxLayout;
  columns->addWidget(panel_, 2);
  columns->addWidget(list_, 5);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(add_button_);
  buttons->addWidget(cancel_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(buttons);

  connect(panel_, &platform::ui::FilePickerPanel::FolderChanged, this, &AddFilesDialog::Refill);
  // The folder of the last start, when there was one.
  platform::ui::Remember(panel_, kAddFilesFolderKey);
  connect(add_button_, &QPushButton::clicked, this, &AddFilesDialog::AddSelected);
  connect(cancel_button_, &QPushButton::clicked, this, &AddFilesDialog::Cancel);
  Refill(panel_->FolderPath());
  resize(860, 420);
}

void AddFilesDialog::SetFolder(const QString& folder) {
  panel_->SetFolder(folder);
}

void AddFilesDialog::Refill(const QString& folder) {
  list_->clear();
  const QListWidget* names = panel_->FileList();
  const std::string folder_text = folder.toStdString();
  const QDir dir(folder);
  QList<QTreeWidgetItem*> items;
  for (int i = 0; i < names->count(); ++i) {
    const QString name = names->item(i)->text();
    const std::string path =
        JoinFolderPath(folder_text, name.toStdString(), QDir::separator().toLatin1());
    const QFileInfo info(dir.filePath(name));
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(DialogNumberText(static_cast<std::size_t>(i) + 1)));
    item->setText(1, QString::fromStdString(path));
    item->setText(2,
                  QString::fromStdString(DialogSizeText(static_cast<std::uint64_t>(info.size()))));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    items.append(item);
  }
  list_->addTopLevelItems(items);
  // The initial widths suit a small 8-point font; with the desktop's font
  // the numbers and paths would be cut, so the columns grow to fit.
  const QFontMetrics metrics(list_->font());
  for (int c : {0, 1}) {
    int widest = 0;
    for (const QTreeWidgetItem* item : items)
      widest = std::max(widest, metrics.horizontalAdvance(item->text(c)));
    const int wanted = std::min(widest + 16, c == 0 ? 80 : 480);
    if (wanted > list_->columnWidth(c)) list_->setColumnWidth(c, wanted);
  }
}

QStringList AddFilesDialog::SelectedPaths() const {
  QStringList paths;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (list_->topLevelItem(i)->isSelected()) paths << list_->topLevelItem(i)->text(1);
  }
  return paths;
}

void AddFilesDialog::SelectPaths(const QStringList& paths) {
  list_->clearSelection();
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (paths.contains(item->text(1))) item->setSelected(true);
  }
}

void AddFilesDialog::AddSelected() {
  platform::ui::BusyCursor busy;
  hide();
  // AddFiles clears the status bar also when nothing is selected.
  add_files_(SelectedPaths());
}

void AddFilesDialog::Cancel() {
  hide();
}

}  // namespace lomtra
