// frmOpen: its list texts, adding through the main window, and that it is
// only hidden between uses.
#include "app/add_files_dialog.h"

#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include "platform/ui/file_picker_panel.h"
#include "window_support.h"

namespace lomtra::testing {
namespace {

class AddFilesDialogTest : public WindowTest {
 protected:
  AddFilesDialog* Open() {
    window_->ShowAddFiles();
    AddFilesDialog* dialog = window_->CurrentAddFilesDialog();
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  static QStringList DialogColumn(AddFilesDialog* dialog, int column) {
    QStringList texts;
    for (int i = 0; i < dialog->List()->topLevelItemCount(); ++i)
      texts << dialog->List()->topLevelItem(i)->text(column);
    return texts;
  }
};

TEST_F(AddFilesDialogTest, ControlsAndColumns) {
  AddFilesDialog* dialog = Open();
  EXPECT_EQ(dialog->objectName(), "frmOpen");
  EXPECT_EQ(dialog->windowTitle(), "Add Files");
  EXPECT_FALSE(dialog->isModal());
  ASSERT_NE(dialog->findChild<QComboBox*>("Drive1"), nullptr);
  ASSERT_NE(dialog->findChild<QTreeView*>("Dir1"), nullptr);
  EXPECT_TRUE(dialog->findChild<QListWidget*>("File1")->isHidden());
  EXPECT_EQ(dialog->findChild<QPushButton*>("Command1")->text(), "Add Files");
  EXPECT_EQ(dialog->findChild<QPushButton*>("Command2")->text(), "Cancel");
  QTreeWidget* list = dialog->findChild<QTreeWidget*>("ListView1");
  ASSERT_EQ(list, dialog->List());
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  const QStringList headings = {"No", "File Name", "Size"};
  const int widths[] = {33, 267, 67};
  EXPECT_EQ(list->columnWidth(2), 67);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(list->headerItem()->text(c), headings[c]);
    // At least the initial widths: number and path columns grow to fit.
    EXPECT_GE(list->columnWidth(c), widths[c]);
  }
}

TEST_F(AddFilesDialogTest, NumbersPathsAndSizesOfAFolder) {
  const std::size_t sizes[] = {0, 1, 1024, 1500, 2048, 3072, 5, 5, 5, 5, 5, 5};
  for (int i = 0; i < 12; ++i)
    WriteSized(QStringLiteral("f%1.dat").arg(i, 2, 10, QChar('0')), sizes[i]);
  AddFilesDialog* dialog = Open();
  dialog->SetFolder(dir_.path());
  ASSERT_EQ(dialog->List()->topLevelItemCount(), 12);
  const QStringList numbers = DialogColumn(dialog, 0);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(numbers[i].size(), 7);
    EXPECT_EQ(numbers[i], QString(i < 9 ? "      " : "     ") + QString::number(i + 1));
  }
  EXPECT_EQ(DialogColumn(dialog, 1)[0],
            QDir::toNativeSeparators(dir_.path()) + QDir::separator() + "f00.dat");
  EXPECT_EQ(DialogColumn(dialog, 2).mid(0, 6),
            QStringList({"0 KB", "1 KB", "2 KB", "2 KB", "2 KB", "4 KB"}));
}

TEST_F(AddFilesDialogTest, AddsTheSelectionReportsDuplicatesAndKeepsItsState) {
  const QString a = WriteSized("a.dat", 1500);
  const QString b = WriteSized("b.dat", 3000);
  const QString c = WriteSized("c.dat", 3000);
  window_->AddFiles({b});
  AddFilesDialog* dialog = Open();
  dialog->SetFolder(dir_.path());
  dialog->SelectPaths({a, b, c});
  EXPECT_TRUE(dialog->isVisible());
  dialog->findChild<QPushButton*>("Command1")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Column(0), QStringList({b, a, c}));
  EXPECT_EQ(Column(6)[1], "1 KB");  // the main list rounds without the 0.5
  EXPECT_EQ(MessageTexts(), QStringList({"The Following files Already Exists \r\n\r\n" + b}));

  // Shown again: the same folder, rows and selection, not re-read.
  WriteSized("d.dat", 10);
  window_->ShowAddFiles();
  EXPECT_EQ(window_->CurrentAddFilesDialog(), dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->Panel()->FolderPath(), QDir::toNativeSeparators(dir_.path()));
  EXPECT_EQ(dialog->List()->topLevelItemCount(), 3);
  EXPECT_EQ(dialog->SelectedPaths(), QStringList({a, b, c}));

  // Cancel only hides; Add with nothing selected clears the status bar.
  dialog->findChild<QPushButton*>("Command2")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(window_->Rows().size(), 3u);
  window_->ShowAddFiles();
  dialog->SelectPaths({});
  dialog->AddSelected();
  EXPECT_EQ(window_->Rows().size(), 3u);
  EXPECT_EQ(messages_.shown.size(), 1u);

  // The next start of the program opens the dialog in the same folder.
  window_ = std::make_unique<AnalyserWindow>(
      WindowServices{messages_, opener_, starter_, dialog_, *clock_});
  EXPECT_EQ(Open()->Panel()->FolderPath(), QDir::toNativeSeparators(dir_.path()));
}

TEST_F(AddFilesDialogTest, AddsDuringARunWithoutDisturbingIt) {
  const QString a = WriteSized("a.dat", 3000);
  const QString b = WriteSized("b.dat", 3000);
  window_->AddFiles({a});
  AddFilesDialog* dialog = Open();
  dialog->SetFolder(dir_.path());
  dialog->SelectPaths({b});
  window_->SetPumpHook([&] {
    if (window_->Rows().size() == 1) dialog->AddSelected();
  });
  window_->Analyse(false);
  EXPECT_EQ(Column(0), QStringList({a, b}));
  EXPECT_EQ(Column(3), QStringList({"Invalid  File", "To be  Analysed"}));
}

}  // namespace
}  // namespace lomtra::testing
