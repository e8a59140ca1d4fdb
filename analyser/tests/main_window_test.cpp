// The main window: its controls, the list operations, the guards of a run
// and the report commands.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "app/about_box.h"
#include "app/add_files_dialog.h"
#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "engine/report_file.h"
#include "window_support.h"

namespace lomtra::testing {
namespace {

using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

std::string Slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(WindowTest, CaptionColumnsMenusToolBarAndStatusBar) {
  EXPECT_EQ(window_->objectName(), "frmLomtra");
  EXPECT_EQ(window_->windowTitle(), "Lomtra 1.2");

  const QStringList headings = {"Binary File", "No",      "Switch", "Start Time",
                                "End Time",    "Records", "Size"};
  const int widths[] = {200, 33, 77, 120, 120, 93, 96};
  const Qt::Alignment aligns[] = {Qt::AlignLeft,    Qt::AlignRight,   Qt::AlignHCenter,
                                  Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignRight,
                                  Qt::AlignRight};
  QTreeWidget* list = List();
  ASSERT_EQ(list->columnCount(), 7);
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(list->headerItem()->text(c), headings[c]);
    EXPECT_EQ(list->columnWidth(c), widths[c]);
    EXPECT_EQ(list->headerItem()->textAlignment(c) & Qt::AlignHorizontal_Mask, aligns[c]) << c;
  }
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_TRUE(list->viewport()->acceptDrops());

  // Menus: item names, texts with access keys, separators in place.
  auto menu_items = [&](const char* menu) {
    QStringList items;
    for (QAction* a : Find<QMenu>(menu)->actions())
      items << a->objectName() + "=" + (a->isSeparator() ? "-" : a->text());
    return items;
  };
  EXPECT_EQ(Find<QMenu>("menFile")->title(), "&File");
  EXPECT_EQ(menu_items("menFile"),
            QStringList({"menOpen=&Open Report", "menSave=&Save Report", "menExport=Ex&port",
                         "menDash1=-", "menAnalyse=&Analyse", "menRedo=&Re Analyse",
                         "menStop=S&top", "menDahsh2=-", "menExit=E&xit"}));
  EXPECT_EQ(Find<QMenu>("menEdit")->title(), "&Edit");
  EXPECT_EQ(menu_items("menEdit"),
            QStringList({"menAdd=&Add Files", "menRemove=&Remove Files", "menClear=&Clear"}));
  EXPECT_EQ(Find<QMenu>("menHelp")->title(), "&Help");
  EXPECT_EQ(menu_items("menHelp"),
            QStringList({"menManual=User &Manual", "menUpdates=Check for &Updates", "menDash3=-",
                         "menAbout=&About"}));

  // Tool bar: twelve buttons, 4, 7 and 11 separators.
  const QStringList tips = {"Add Files to Analyser",
                            "Remove Selected Files From Analyser",
                            "Clear Analyser Content",
                            "",
                            "Save the Report",
                            "Open Analyser Report",
                            "",
                            "Analyse",
                            "Stop Analyser",
                            "Open Report In Excel",
                            "",
                            "About Lomtra"};
  const QList<QAction*> buttons = Find<QToolBar>("Toolbar1")->actions();
  ASSERT_EQ(buttons.size(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(buttons[i], Button(i + 1));
    EXPECT_EQ(buttons[i]->isSeparator(), tips[i].isEmpty()) << i + 1;
    if (!tips[i].isEmpty()) {
      EXPECT_EQ(buttons[i]->toolTip(), tips[i]);
      EXPECT_FALSE(buttons[i]->icon().isNull());
    }
  }

  // Status bar: five panels, the progress bar over the first.
  ASSERT_NE(Find<QStatusBar>("sb1"), nullptr);
  const int panel_widths[] = {200, 33, 96, 96};
  const QStringList panel_tips = {"Analyser Progress", "Total Valid Data Files",
                                  "Total Valid Data File Size", "Total Records "};
  for (int p = 1; p <= 4; ++p) {
    auto* panel = Find<QLabel>(QStringLiteral("sb1_Panel%1").arg(p));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->width(), panel_widths[p - 1]);
    EXPECT_EQ(panel->toolTip(), panel_tips[p - 1]);
  }
  EXPECT_GE(Find<QLabel>("sb1_Panel5")->minimumWidth(), 96);
  auto* progress = Find<QProgressBar>("ProgressBar1");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->parentWidget(), Find<QLabel>("sb1_Panel1"));
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 100);

  // 300 x 200 snaps back to the minimum of 533 x 333.
  window_->resize(300, 200);
  EXPECT_EQ(window_->width(), 533);
  EXPECT_EQ(window_->height(), 333);
}

TEST_F(WindowTest, AddingFilesSizesDuplicatesCaseAndRejectedFiles) {
  const QString a = WriteSized("a.dat", 1536);
  const QString b = WriteSized("b.dat", 2560);
  const QString c = WriteSized("c.dat", 3584);
  const QString upper = WriteSized("A.dat", 100);
  const QString missing = dir_.filePath("missing.dat");
  window_->AddFiles({a, b, missing, c});
  EXPECT_TRUE(messages_.shown.empty());  // the unreadable file is left out silently
  EXPECT_EQ(Column(0), QStringList({a, b, c}));
  EXPECT_EQ(Column(1), QStringList({"1", "2", "3"}));
  EXPECT_EQ(Column(2), QStringList({"Unknown", "Unknown", "Unknown"}));
  EXPECT_EQ(Column(3), QStringList(3, "To be  Analysed"));
  EXPECT_EQ(Column(4), QStringList(3, "To be  Analysed"));
  EXPECT_EQ(Column(5), QStringList(3, "0"));
  EXPECT_EQ(Column(6), QStringList({"2 KB", "2 KB", "4 KB"}));
  EXPECT_EQ(List()->topLevelItem(0)->icon(0).cacheKey(), window_->SwitchIcon(8).cacheKey());

  // Dropped: a listed path twice, and one that differs only in case.
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(b), QUrl::fromLocalFile(upper), QUrl::fromLocalFile(b)});
  window_->DropFiles(*data);
  delete data;
  EXPECT_EQ(Column(0), QStringList({a, b, c, upper}));
  ASSERT_EQ(messages_.shown.size(), 1u);
  const auto& m = messages_.shown[0];
  EXPECT_EQ(m.text, "The Following files Already Exists \r\n\r\n" + b + "\r\n" + b);
  EXPECT_EQ(m.title, "Lomtra");
  EXPECT_EQ(m.icon, MessageIcon::kInformation);
  EXPECT_EQ(m.buttons, MessageButtons::kOk);
}

TEST_F(WindowTest, FilesDroppedOnTheListAreAdded) {
  const QString a = WriteSized("a.dat", 3000);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(a)});
  QWidget* target = List()->viewport();
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  EXPECT_EQ(Column(0), QStringList({a}));
  // A drop without files changes nothing and says nothing.
  QMimeData text;
  text.setText("not a file");
  QDropEvent other(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &other);
  EXPECT_EQ(List()->topLevelItemCount(), 1);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(WindowTest, AddingAnalysedFilesShowsTheirSwitchAndAnalysisFillsTheRows) {
  const QString axe = Write("axe.dat", cdrgen::AxeSampleFile(11, 3));
  const QString ocb = Write("ocb.dat", cdrgen::OcbAnalyserSample(2, 1));
  window_->AddFiles({axe, ocb});
  EXPECT_EQ(Column(2), QStringList({"AXE", "OCB"}));
  EXPECT_EQ(List()->topLevelItem(1)->icon(0).cacheKey(), window_->SwitchIcon(1).cacheKey());
  Button(8)->trigger();
  EXPECT_FALSE(window_->AnalyserRunning());
  EXPECT_EQ(MessageTexts(), QStringList({"Data File Analysis Over"}));
  EXPECT_NE(Column(3)[0], "To be  Analysed");
  EXPECT_NE(Column(5)[1], "0");
  EXPECT_EQ(window_->PanelText(2), "2");
  EXPECT_TRUE(window_->PanelText(3).endsWith(" MB"));
  EXPECT_FALSE(window_->PanelText(4).isEmpty());
  EXPECT_TRUE(window_->ResultsMark());
  EXPECT_TRUE(window_->PanelText(5).isEmpty());

  // Adding switches the mark off and clears the totals.
  window_->AddFiles({WriteSized("x.dat", 10)});
  EXPECT_FALSE(window_->ResultsMark());
  EXPECT_TRUE(window_->PanelText(2).isEmpty());
}

TEST_F(WindowTest, RemovingRenumbersAndClearEmptiesTheList) {
  QStringList paths;
  for (int i = 1; i <= 5; ++i) paths << WriteSized(QStringLiteral("f%1.dat").arg(i), 10);
  window_->AddFiles(paths);
  List()->topLevelItem(1)->setSelected(true);
  List()->topLevelItem(3)->setSelected(true);
  Menu("menRemove")->trigger();
  EXPECT_EQ(Column(0), QStringList({paths[0], paths[2], paths[4]}));
  EXPECT_EQ(Column(1), QStringList({"1", "2", "3"}));
  Button(2)->trigger();  // nothing selected: nothing removed
  EXPECT_EQ(List()->topLevelItemCount(), 3);
  Button(3)->trigger();
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  EXPECT_TRUE(window_->Rows().empty());
  EXPECT_FALSE(window_->ResultsMark());
}

TEST_F(WindowTest, DuringARunOnlyStopWorks) {
  QStringList paths;
  for (int i = 1; i <= 3; ++i) paths << WriteSized(QStringLiteral("f%1.dat").arg(i), 3000);
  window_->AddFiles(paths);
  List()->topLevelItem(0)->setSelected(true);
  int pumps = 0;
  window_->SetPumpHook([&] {
    if (++pumps != 1) return;
    EXPECT_TRUE(window_->AnalyserRunning());
    EXPECT_EQ(Find<QLabel>("lblFiles")->text(), "file 1 of 3");
    // Disabled, so that they do not look as if they would work.
    for (int b : {1, 2, 3, 5, 6, 8, 10, 12}) EXPECT_FALSE(Button(b)->isEnabled()) << b;
    for (const char* item : {"menAdd", "menRemove", "menClear", "menSave", "menOpen", "menAnalyse",
                             "menRedo", "menAbout", "menExit"})
      EXPECT_FALSE(Menu(item)->isEnabled()) << item;
    for (const char* item : {"menStop", "menManual", "menUpdates"})
      EXPECT_TRUE(Menu(item)->isEnabled()) << item;
    for (int b : {1, 2, 3, 5, 6, 8, 10, 12}) Button(b)->trigger();
    for (const char* item : {"menAdd", "menRemove", "menClear", "menSave", "menOpen", "menAnalyse",
                             "menRedo", "menAbout", "menExit"})
      Menu(item)->trigger();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(WriteSized("dropped.dat", 10))});
    window_->DropFiles(*data);
    delete data;
    EXPECT_FALSE(window_->StopRequested());
    Button(9)->trigger();
    EXPECT_TRUE(window_->StopRequested());
  });
  window_->Analyse(true);
  EXPECT_EQ(pumps, 1);  // stopped after the first row
  EXPECT_FALSE(window_->AnalyserRunning());
  EXPECT_FALSE(window_->StopRequested());
  EXPECT_EQ(window_->Rows().size(), 3u);
  EXPECT_EQ(dialog_.shown, 0);
  EXPECT_EQ(window_->CurrentAddFilesDialog(), nullptr);
  EXPECT_EQ(window_->CurrentAboutBox(), nullptr);
  EXPECT_EQ(MessageTexts(), QStringList({"Data File Analysis Over"}));
  EXPECT_EQ(Column(3), QStringList({"Invalid  File", "To be  Analysed", "To be  Analysed"}));
  EXPECT_TRUE(Menu("menAnalyse")->isEnabled());
  EXPECT_TRUE(Button(1)->isEnabled());
  EXPECT_TRUE(Find<QLabel>("lblFiles")->text().isEmpty());
  // Stop with no run going on does nothing.
  Menu("menStop")->trigger();
  EXPECT_FALSE(window_->StopRequested());
}

TEST_F(WindowTest, ClosingDuringARunEndsItWithoutQuestions) {
  window_->AddFiles({Write("e.dat", cdrgen::EwsdAnalyserSample(400, 2)), WriteSized("u.dat", 10)});
  window_->show();
  window_->SetPumpHook([&] { window_->close(); });
  window_->Analyse(false);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->AnalyserRunning());
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Column(3)[1], "To be  Analysed");  // the second row was never reached
}

// ---- report files ----

TEST_F(WindowTest, SaveAsksBeforeOverwritingAndReturnsToTheDialog) {
  window_->AddFiles({WriteSized("a.dat", 1536)});
  const QString target = dir_.filePath("old.lmt");
  {
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
  }
  // No returns to the dialog, which is then cancelled: nothing written.
  dialog_.names = {target};
  messages_.answers = {MessageAnswer::kNo};
  Menu("menSave")->trigger();
  EXPECT_EQ(dialog_.shown, 2);
  EXPECT_EQ(Slurp(target), "keep me");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "File Exists. Do you want to OverWrite?");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::kYesNo);

  // Yes replaces it; a name ending in lmt.lmt loses the doubled part.
  dialog_.names = {dir_.filePath("oldlmt.lmt")};
  dialog_.shown = 0;
  messages_.answers = {MessageAnswer::kYes};
  Button(5)->trigger();
  EXPECT_EQ(dialog_.shown, 1);
  EXPECT_EQ(Slurp(target).substr(0, 23), "Lomtra Report30-11-2006");
  EXPECT_FALSE(QFile::exists(dir_.filePath("oldlmt.lmt")));
  EXPECT_EQ(window_->PanelText(5), "File " + target + " Saved");
  const std::string text = Slurp(target);
  EXPECT_NE(text.find(ReportDataLine(window_->Rows()[0])), std::string::npos);
}

TEST_F(WindowTest, OpenReadsAReportRejectsOthersAndCancelClearsTheStatusBar) {
  DataFileEntry cdot42{"1000", "/data/x.dat", "CDOT42", RowState::kInvalidFile, "", "",
                       "0",    "3 KB",        7};
  DataFileEntry odd{"2", "/data/y.dat", "Nokia", RowState::kAnalysed, "a", "b", "9", "1 KB", 0};
  const QString report = dir_.filePath("r.lmt");
  std::string error;
  ASSERT_TRUE(WriteReportFile(report.toStdString(), {cdot42, odd}, clock_->Now(), &error));

  window_->AddFiles({WriteSized("a.dat", 10)});
  dialog_.names = {report};
  Button(6)->trigger();
  ASSERT_EQ(window_->Rows().size(), 2u);
  EXPECT_EQ(Column(1), QStringList({"000", "2"}));  // kept as read, not renumbered
  EXPECT_EQ(window_->Rows()[0].image, 7);
  EXPECT_EQ(List()->topLevelItem(0)->icon(0).cacheKey(), window_->SwitchIcon(7).cacheKey());
  EXPECT_TRUE(List()->topLevelItem(1)->icon(0).isNull());
  EXPECT_TRUE(window_->ResultsMark());
  EXPECT_TRUE(messages_.shown.empty());

  // Cancelled: the list stays, the status bar is cleared.
  Menu("menSave")->trigger();  // cancelled at once: nothing written or said
  dialog_.names = {};
  Menu("menOpen")->trigger();
  EXPECT_EQ(window_->Rows().size(), 2u);
  EXPECT_TRUE(window_->PanelText(5).isEmpty());

  // A file that is not a report: the message, and an empty list.
  const QString other = WriteSized("other.lmt", 100);
  dialog_.names = {other};
  Menu("menOpen")->trigger();
  EXPECT_TRUE(window_->Rows().empty());
  EXPECT_EQ(List()->topLevelItemCount(), 0);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, other + " is not a Lomtra Report File.  Please Check");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_EQ(messages_.shown[0].title, "Lomtra");
}

TEST_F(WindowTest, ASaveThatCannotBeWrittenSaysWhyAndKeepsTheOldFile) {
  window_->AddFiles({WriteSized("a.dat", 10)});
  dialog_.names = {dir_.filePath("no/such/folder/r.lmt")};
  Button(5)->trigger();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_TRUE(messages_.shown[0].text.startsWith("The report was not saved: "));
  EXPECT_TRUE(messages_.shown[0].text.contains("r.lmt"));
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(window_->PanelText(5).isEmpty());
}

// ---- spreadsheet ----

TEST_F(WindowTest, ExportWritesAWorkbookIntoTheTemporaryFolderAndOpensIt) {
  Button(10)->trigger();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Nothing to Save");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(opener_.opened.empty());

  window_->AddFiles({WriteSized("a.dat", 3000)});
  Button(10)->trigger();
  Button(10)->trigger();
  ASSERT_EQ(opener_.opened.size(), 2u);
  EXPECT_NE(opener_.opened[0], opener_.opened[1]);  // a new name each time
  for (const QString& path : opener_.opened) {
    EXPECT_TRUE(QFileInfo(path).absolutePath() == QDir(dir_.path()).absolutePath())
        << path.toStdString();
    EXPECT_TRUE(path.endsWith(".xlsx"));
    EXPECT_EQ(Slurp(path).substr(0, 2), "PK");
  }
  EXPECT_EQ(QDir(dir_.path()).entryList({"*partial*"}, QDir::Files).size(), 0);

  // No spreadsheet program: the file is named; an unwritable folder: the reason.
  opener_.result = false;
  Button(10)->trigger();
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_TRUE(messages_.shown[1].text.contains(opener_.opened.back()));
  window_->SetTemporaryFolder(dir_.filePath("gone"));
  Button(10)->trigger();
  ASSERT_EQ(messages_.shown.size(), 3u);
  EXPECT_TRUE(messages_.shown[2].text.contains("gone"));
  EXPECT_EQ(messages_.shown[2].icon, MessageIcon::kError);
}

// ---- csv, jsonl, database ----

TEST_F(WindowTest, ExportMenuWritesTheListAndNamesARefusedDatabase) {
  // A UTF-8 name comes out as it is, not taken byte by byte as Latin-1.
  const QString data = WriteSized("caf\u00e9.dat", 3000);
  window_->AddFiles({data});
  const QString csv = dir_.filePath("list.csv");
  dialog_.names = {csv};
  Menu("menExportCsv")->trigger();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Slurp(csv).substr(0, 22), "Binary File,No,Switch,");
  EXPECT_NE(Slurp(csv).find(data.toStdString() + ",1,Unknown,"), std::string::npos);
  EXPECT_EQ(window_->PanelText(5), "List of 1 file written to " + csv);

  const QString not_a_database = WriteSized("list.db", 100);
  dialog_.names = {not_a_database};
  Menu("menExportSqlite")->trigger();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "The list was not exported: " + not_a_database + ": not a SQLite database");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_EQ(Slurp(not_a_database), std::string(100, 'x'));
}

}  // namespace
}  // namespace lomtra::testing
