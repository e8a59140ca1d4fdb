#include "main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <set>
#include <sstream>

#include "cdrgen/ocb_builder.h"
#include "platform/ui/file_picker_panel.h"
#include "platform/ui/message_service.h"

namespace {

using ostrel::OcbExtractorWindow;
using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

std::string Slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every test starts with a window that remembers nothing from the others.
struct ForgetSettings {
  ForgetSettings() {
    QSettings(QSettings::UserScope, "norva", QCoreApplication::applicationName()).clear();
  }
};

class FrmCDRTest : public ::testing::Test {
 protected:
  ForgetSettings forget_;
  void SetUp() override {
    window_.SetQuit([this] { ++quits_; });
    Find<QLineEdit>("txtOPF")->setText(dir_.filePath("out.txt"));
  }

  template <typename T>
  T* Find(const QString& name) {
    return window_.findChild<T*>(name);
  }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  QString Box(const char* name) { return Find<QLineEdit>(name)->text(); }

  QString WriteOcb(const QString& name, std::size_t blocks, std::size_t last_calls) {
    cdrgen::OcbBlockValues block;
    block.records.resize(48);
    cdrgen::OcbBlockValues last = block;
    last.records.resize(last_calls);
    cdrgen::OcbFileBuilder builder;
    builder.AddSequence(block, 1, blocks - 1)
        .AddSequence(last, static_cast<std::uint32_t>(blocks), 1);
    builder.AddSequence(block, 600000, 3);
    const QString path = dir_.filePath(name);
    cdrgen::WriteFile(path.toStdString(), builder.Build());
    return path;
  }
  void Choose(const QStringList& names) {
    window_.Picker()->SetFolder(dir_.path());
    window_.Picker()->SelectFiles(names);
  }

  platform::ui::ScriptedMessageService messages_;
  OcbExtractorWindow window_{messages_};
  QTemporaryDir dir_;
  int quits_ = 0;
};

TEST_F(FrmCDRTest, TitleTabsControlsAndDefaults) {
  EXPECT_EQ(window_.objectName(), "frmCDR");
  EXPECT_EQ(window_.windowTitle(), "Ostrel [ 1.4 ] - NORVA");
  auto* tabs = Find<QTabWidget>("SSTab1");
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), "CDR Extractor");
  EXPECT_EQ(tabs->tabText(1), "Analyser");
  EXPECT_EQ(tabs->tabText(2), "About");
  ASSERT_NE(Find<QComboBox>("Drive1"), nullptr);
  ASSERT_NE(Find<QTreeView>("Dir1"), nullptr);
  ASSERT_NE(Find<QListWidget>("File1"), nullptr);
  const std::set<int> ticked = {4, 5, 6, 8, 12, 13, 14, 15};
  for (int n = 1; n <= 18; ++n) {
    auto* box = Find<QCheckBox>(QString("optData_%1").arg(n));
    ASSERT_NE(box, nullptr) << n;
    EXPECT_EQ(box->isChecked(), ticked.count(n) == 1) << n;
  }
  EXPECT_EQ(Find<QCheckBox>("optData_6")->text(), "Calling Number ID");
  EXPECT_EQ(Find<QCheckBox>("optData_17")->text(), "Operator Identification");
  EXPECT_EQ(OcbExtractorWindow::DefaultOutputPath(),
            QDir::toNativeSeparators(QDir::home().filePath("ostrel.txt")));
  EXPECT_EQ(Find<QPushButton>("cmdGO")->text(), "Extract Data");
  EXPECT_EQ(Find<QPushButton>("cmdNO")->text(), "Cancel");
  EXPECT_EQ(Find<QProgressBar>("pbr")->maximum(), 100);
  EXPECT_EQ(Find<QLabel>("lblProFile")->text(), "");
  for (const char* name :
       {"txtIFA", "txtDCD", "txtDCT", "txtDT", "txtFS", "txtNOR", "txtUS", "txtUDP", "txtBLK",
        "txtD1", "txtT1", "txtCGID1", "txtCDID1", "txtD2", "txtT2", "txtCGID2", "txtCDID2"}) {
    EXPECT_NE(Find<QLineEdit>(name), nullptr) << name;
  }
  EXPECT_NE(Find<QLabel>("lblFblk"), nullptr);
  EXPECT_NE(Find<QLabel>("lblLblk"), nullptr);
  EXPECT_EQ(Find<QPushButton>("Command4")->text(), ">>");
  EXPECT_EQ(Find<QPushButton>("Command1")->text(), "Analyse");
  EXPECT_EQ(Find<QPushButton>("Command2")->text(), "Trim");
  EXPECT_EQ(Find<QPushButton>("Command3")->text(), "Cancel");
  EXPECT_EQ(Find<QLabel>("lblVer")->text(), "1.4.0");
}

TEST_F(FrmCDRTest, ExtractDataWritesTheChosenFiles) {
  WriteOcb("a.dat", 2, 3);
  Choose({"a.dat"});
  for (int n = 1; n <= 18; ++n) Find<QCheckBox>(QString("optData_%1").arg(n))->setChecked(n == 8);
  Click("cmdGO");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "51 Records Written from 1 Files");
  EXPECT_EQ(messages_.shown[0].title, "Ostrel");
  EXPECT_EQ(Slurp(dir_.filePath("out.txt")).substr(0, 22), "0115551234\r\n0115551234");
  EXPECT_EQ(Find<QProgressBar>("pbr")->value(), 0);
  EXPECT_EQ(Find<QLabel>("lblProFile")->text(), "");
  EXPECT_FALSE(window_.ExtractionRunning());
}

TEST_F(FrmCDRTest, NothingSelectedOrNoFieldTicked) {
  Choose({});
  window_.Picker()->SetFolder(QDir(dir_.path()).filePath("."));
  Click("cmdGO");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "No Input File Available in the List Box");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  WriteOcb("a.dat", 1, 1);
  window_.Picker()->Refresh();
  Click("cmdGO");
  EXPECT_EQ(messages_.shown.back().text, "No Input File Selected in the List Box");
  Choose({"a.dat"});
  for (int n = 1; n <= 18; ++n) Find<QCheckBox>(QString("optData_%1").arg(n))->setChecked(false);
  Click("cmdGO");
  EXPECT_NE(messages_.shown.back().text.indexOf("No Output Field Selected"), -1);
  EXPECT_FALSE(QFile::exists(dir_.filePath("out.txt")));
}

TEST_F(FrmCDRTest, OtherCommandsAreBlockedWhileARunGoesOn) {
  WriteOcb("big.dat", 300, 10);
  Choose({"big.dat"});
  window_.SetFileChooser([this] { return dir_.filePath("big.dat"); });
  bool seen_running = false;
  QString caption_while_running;
  QTimer::singleShot(0, [&] {
    seen_running = window_.ExtractionRunning();
    caption_while_running = Find<QPushButton>("cmdNO")->text();
    Click("cmdGO");
    Click("Command4");
    Click("Command1");
    Click("Command3");
    messages_.answers = {MessageAnswer::kNo};
    Click("cmdNO");  // Stop, answered No: the run goes on
  });
  Click("cmdGO");
  EXPECT_TRUE(seen_running);
  EXPECT_EQ(caption_while_running, "Stop");
  EXPECT_EQ(Box("txtIFA"), "");
  EXPECT_EQ(quits_, 0);
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].text, "Do you want to terminate Extraction");
  EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(messages_.shown[1].text, "14362 Records Written from 1 Files");
  EXPECT_EQ(Find<QPushButton>("cmdNO")->text(), "Cancel");
}

TEST_F(FrmCDRTest, StopAnsweredYesEndsTheProgramKeepingTheLines) {
  WriteOcb("big.dat", 300, 10);
  Choose({"big.dat"});
  QTimer::singleShot(0, [&] {
    messages_.answers = {MessageAnswer::kYes};
    Click("cmdNO");
  });
  Click("cmdGO");
  EXPECT_EQ(quits_, 1);
  ASSERT_EQ(messages_.shown.size(), 1u);
  const std::string out = Slurp(dir_.filePath("out.txt"));
  EXPECT_FALSE(out.empty());
  EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
  EXPECT_FALSE(window_.ExtractionRunning());
}

TEST_F(FrmCDRTest, AnalyserShowsDetailsAndTrims) {
  const QString path = WriteOcb("a.dat", 10, 20);
  window_.SetFileChooser([&] { return path; });
  Click("Command4");
  EXPECT_EQ(Box("txtIFA"), QDir::toNativeSeparators(path));
  Click("Command1");
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Box("txtDT"), "FDTIL");
  EXPECT_EQ(Box("txtNOR"), "452");
  EXPECT_EQ(Box("txtUS"), "19304");
  EXPECT_EQ(Box("txtBLK"), "2      [10] ");
  EXPECT_EQ(Find<QLabel>("lblFblk")->text(), "1");
  EXPECT_EQ(Find<QLabel>("lblLblk")->text(), "10");
  EXPECT_EQ(Box("txtD1"), "2005-03-08");
  EXPECT_EQ(Box("txtCDID2"), "0115551234");

  // An invalid file leaves the details as they were.
  const QString bad = dir_.filePath("bad.dat");
  cdrgen::WriteFile(bad.toStdString(), cdrgen::Bytes(3000, 0x55));
  window_.SetFileChooser([&] { return bad; });
  Click("Command4");
  Click("Command1");
  EXPECT_EQ(messages_.shown.back().text,
            QDir::toNativeSeparators(bad) + " is not a valid OCB Data File.  Please Verify");
  EXPECT_EQ(Box("txtNOR"), "452");

  window_.SetFileChooser([&] { return path; });
  Click("Command4");
  messages_.answers = {MessageAnswer::kNo};
  Click("Command2");
  EXPECT_EQ(messages_.shown.back().title, "Confirmation");
  EXPECT_FALSE(QFile::exists(dir_.filePath("2005-03-08.dat")));
  Click("Command2");  // the script is used up: Yes
  EXPECT_EQ(messages_.shown.back().title, "Ostrel Report");
  EXPECT_EQ(QFileInfo(dir_.filePath("2005-03-08.dat")).size(), 19304);
}

TEST_F(FrmCDRTest, ClosingDuringARunAsksLikeStop) {
  WriteOcb("big.dat", 300, 10);
  Choose({"big.dat"});
  window_.show();
  bool closed = true;
  QTimer::singleShot(0, [&] {
    messages_.answers = {MessageAnswer::kNo};
    closed = window_.close();
  });
  Click("cmdGO");
  EXPECT_FALSE(closed);
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].text, "Do you want to terminate Extraction");
  EXPECT_EQ(messages_.shown[1].text, "14362 Records Written from 1 Files");
}

TEST_F(FrmCDRTest, UnreadableDriveIsReported) {
  window_.Picker()->SetDrive("/no/such/drive");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Drive  /NO/SUCH/DRIVE  is Not Accessible");
  EXPECT_EQ(messages_.shown[0].title, "Drive Access Error");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
}

TEST_F(FrmCDRTest, AnalysisIsTheSameAfterAnExtraction) {
  const QString path = WriteOcb("a.dat", 4, 7);
  window_.SetFileChooser([&] { return path; });
  Click("Command4");
  Click("Command1");
  const QString before = Box("txtNOR") + Box("txtUS") + Box("txtBLK") + Box("txtD2") + Box("txtT2");
  Choose({"a.dat"});
  Click("cmdGO");
  Click("Command1");
  EXPECT_EQ(Box("txtNOR") + Box("txtUS") + Box("txtBLK") + Box("txtD2") + Box("txtT2"), before);
  EXPECT_EQ(Box("txtNOR"), "151");
}

TEST_F(FrmCDRTest, FolderOutputFieldsAndAnalysisFileAreKeptBetweenStarts) {
  window_.Picker()->SetFolder(dir_.path());
  Find<QLineEdit>("txtOPF")->setText(dir_.filePath("calls.txt"));
  Find<QCheckBox>("optData_1")->setChecked(true);
  Find<QCheckBox>("optData_4")->setChecked(false);
  window_.SetFileChooser([this] { return dir_.filePath("OCB.DAT"); });
  Click("Command4");
  OcbExtractorWindow next(messages_);
  EXPECT_EQ(next.Picker()->FolderPath(), QDir::toNativeSeparators(dir_.path()));
  EXPECT_EQ(next.findChild<QLineEdit*>("txtOPF")->text(), dir_.filePath("calls.txt"));
  EXPECT_TRUE(next.findChild<QCheckBox*>("optData_1")->isChecked());
  EXPECT_FALSE(next.findChild<QCheckBox*>("optData_4")->isChecked());
  EXPECT_TRUE(next.findChild<QCheckBox*>("optData_5")->isChecked());
  EXPECT_EQ(next.findChild<QLineEdit*>("txtIFA")->text(), dir_.filePath("OCB.DAT"));
}

TEST_F(FrmCDRTest, OutputFormatReachesTheRunAndIsKeptBetweenStarts) {
  WriteOcb("a.dat", 2, 3);
  Choose({"a.dat"});
  for (int n = 1; n <= 18; ++n) Find<QCheckBox>(QString("optData_%1").arg(n))->setChecked(n == 8);
  auto* format = Find<QComboBox>("cboOutputFormat");
  ASSERT_NE(format, nullptr);
  EXPECT_EQ(format->currentText(), "Text");
  format->setCurrentText("CSV");
  Click("cmdGO");
  EXPECT_EQ(messages_.shown.back().text, "51 Records Written from 1 Files");
  EXPECT_EQ(Slurp(dir_.filePath("out.txt")).substr(0, 48),
            "Called Number,call_start,source_file,record_no\r\n");

  // For SQLite the output name is the database file.
  format->setCurrentText("SQLite");
  Find<QLineEdit>("txtOPF")->setText(dir_.filePath("calls.db"));
  Click("cmdGO");
  EXPECT_EQ(messages_.shown.back().text,
            "51 Records Loaded from 1 Files into " + dir_.filePath("calls.db"));
  EXPECT_EQ(Slurp(dir_.filePath("calls.db")).substr(0, 15), "SQLite format 3");
  OcbExtractorWindow next(messages_);
  EXPECT_EQ(next.findChild<QComboBox*>("cboOutputFormat")->currentText(), "SQLite");
}

TEST_F(FrmCDRTest, CancelEndsTheProgramWhenIdle) {
  Click("Command3");
  Click("cmdNO");
  EXPECT_EQ(quits_, 2);
  EXPECT_TRUE(messages_.shown.empty());
}

// Saves a picture of each tab when OSTREL_SCREENSHOTS names a folder.
TEST_F(FrmCDRTest, EveryTabRenders) {
  const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOTS");
  WriteOcb("a.dat", 10, 20);
  Choose({"a.dat"});
  window_.SetFileChooser([this] { return dir_.filePath("a.dat"); });
  Click("Command4");
  Click("Command1");
  window_.show();
  auto* tabs = Find<QTabWidget>("SSTab1");
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    const QPixmap picture = window_.grab();
    EXPECT_FALSE(picture.isNull());
    if (!folder.isEmpty()) picture.save(QDir(folder).filePath(QString("ostrel_tab%1.png").arg(i)));
  }
  // And the extractor tab in the middle of a run.
  tabs->setCurrentIndex(0);
  WriteOcb("big.dat", 300, 10);
  Choose({"big.dat"});
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(Find<QLabel>("lblProFile")->text().startsWith("Processing "));
    const QPixmap picture = window_.grab();
    if (!folder.isEmpty()) picture.save(QDir(folder).filePath("ostrel_running.png"));
  });
  Click("cmdGO");
}

}  // namespace
