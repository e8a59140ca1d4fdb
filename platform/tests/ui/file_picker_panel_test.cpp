#include "platform/ui/file_picker_panel.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

using platform::ui::FilePickerPanel;

TEST(FilePickerPanel, ListsEveryFileOfTheFolderAndGivesTheSelectionInListOrder) {
  QTemporaryDir dir;
  for (const char* name : {"b.dat", "a.dat", "c.txt", ".hidden"}) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QDir(dir.path()).mkdir("sub");  // folders are not files
  FilePickerPanel panel;
  panel.SetFolder(dir.path());
  EXPECT_EQ(panel.FolderPath(), QDir::toNativeSeparators(dir.path()));
  ASSERT_EQ(panel.FileList()->count(), 4);
  panel.SelectFiles({"c.txt", "a.dat"});
  EXPECT_EQ(panel.SelectedFileNames(), (QStringList{"a.dat", "c.txt"}));
  EXPECT_EQ(panel.SelectedCount(), 2);
  EXPECT_EQ(panel.FileList()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(FilePickerPanel, DrivesStartWithTheHomeFolderAndABadDriveGoesBack) {
  const QStringList drives = platform::ui::ReadyDrives();
  ASSERT_FALSE(drives.isEmpty());
#if !defined(Q_OS_WIN)
  EXPECT_EQ(drives.first(), QDir::toNativeSeparators(QDir::homePath()));
#endif
  FilePickerPanel panel;
  QString failed;
  panel.SetDriveErrorHandler([&](const QString& drive) { failed = drive; });
  const QString before = panel.DriveList()->currentText();
  panel.SetDrive("/no/such/volume");
  EXPECT_EQ(failed, "/no/such/volume");
  EXPECT_EQ(panel.DriveList()->currentText(), before);
  panel.SetDrive(drives.first());
  EXPECT_EQ(panel.FolderPath(), drives.first());
}

}  // namespace

namespace {

TEST(FilePickerPanel, StartsOnItsDriveTakesTypedPathsAndKnowsSizes) {
  FilePickerPanel start;
  // The tree shows the drive the box names, not the root of everything.
  EXPECT_EQ(start.FolderPath(), start.DriveList()->currentText());
  EXPECT_EQ(QDir::toNativeSeparators(start.findChild<QTreeView*>()
                                         ->rootIndex()
                                         .data(QFileSystemModel::FilePathRole)
                                         .toString()),
            start.DriveList()->currentText());

  QTemporaryDir dir;
  QFile f(dir.filePath("calls.dat"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(1536, 'x'));
  f.close();
  FilePickerPanel panel;
  EXPECT_TRUE(panel.GoToPath(QDir::toNativeSeparators(dir.filePath("calls.dat"))));
  EXPECT_EQ(panel.FolderPath(), QDir::toNativeSeparators(dir.path()));
  EXPECT_EQ(panel.SelectedFileNames(), QStringList{"calls.dat"});
  EXPECT_EQ(panel.FileList()->item(0)->data(Qt::UserRole + 1).toLongLong(), 1536);
  EXPECT_FALSE(panel.GoToPath(dir.filePath("missing")));
  EXPECT_EQ(panel.FolderPath(), QDir::toNativeSeparators(dir.path()));
}

}  // namespace
