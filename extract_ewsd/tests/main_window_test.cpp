#include "main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include "cdrgen/ewsd_builder.h"
#include "platform/ui/file_picker_panel.h"
#include "temp_folder.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

Bytes ThreeCalls(int first_day = 2) {
  Bytes file;
  for (int i = 0; i < 3; ++i)
    cdrgen::Append(file, EwsdRecord()
                             .Owner("2441000")
                             .DateTime(6, 1, first_day + i, 10, 0, 0, 30)
                             .Called("555")
                             .ConnectionId(7)
                             .Build());
  return file;
}

// Every test starts with a window that remembers nothing from the others.
struct ForgetSettings {
  ForgetSettings() {
    QSettings(QSettings::UserScope, "norva", QCoreApplication::applicationName()).clear();
  }
};

class VantorWindowTest : public ::testing::Test {
 protected:
  ForgetSettings forget_;
  template <typename T>
  T* Find(const QString& name) {
    T* child = window_.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
  }
  QString Write(const QString& name, const Bytes& bytes) {
    const QString path = dir_.filePath(name);
    cdrgen::WriteFile(path.toStdString(), bytes);
    return path;
  }
  void SelectInputs(const QStringList& names) {
    window_.Panel()->SetFolder(dir_.path());
    window_.Panel()->SelectFiles(names);
  }
  const platform::ui::Message& Last() const { return messages_.shown.back(); }

  QTemporaryDir dir_;
  platform::ui::ScriptedMessageService messages_;
  platform::ui::RecordingDocumentOpener browser_;
  EwsdExtractorWindow window_{messages_, browser_};
};

TEST_F(VantorWindowTest, TitleTabsAndControls) {
  EXPECT_EQ(window_.objectName(), "frmVantor");
  EXPECT_EQ(window_.windowTitle(), "Vantor [1.7] - NORVA");
  auto* tabs = Find<QTabWidget>("SSTab1");
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), "CDR Extractor");
  EXPECT_EQ(tabs->tabText(1), "Analyser");
  EXPECT_EQ(tabs->tabText(2), "About");
  Find<QComboBox>("Drive1");
  Find<QTreeView>("Dir1");
  EXPECT_EQ(Find<QListWidget>("File1")->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(Find<QLineEdit>("txtOF")->text(),
            QDir::toNativeSeparators(QDir::home().filePath("vantor.txt")));
  EXPECT_EQ(Find<QPushButton>("cmdGO")->text(), "Extract");
  EXPECT_EQ(Find<QPushButton>("cmdEND")->text(), "Cancel");
  EXPECT_EQ(Find<QProgressBar>("pbr1")->maximum(), 100);
  Find<QLabel>("lblCurFile");
  EXPECT_EQ(Find<QLineEdit>("txtAfile")->text(), "IA.ICAMA");
  EXPECT_EQ(Find<QPushButton>("Command3")->text(), ">>");
  EXPECT_EQ(Find<QPushButton>("Command2")->text(), "Analyse");
  EXPECT_EQ(Find<QProgressBar>("pbrAna")->minimum(), 0);
  EXPECT_EQ(Find<QProgressBar>("pbrAna")->maximum(), 300);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(Find<QLabel>(QStringLiteral("lblRpt_%1").arg(i))->text(), "");
  EXPECT_EQ(Find<QLabel>("Label20")->text(), "1.7");
  EXPECT_EQ(Find<QLabel>("lblUpdate")->text(), "Click Here to Check for Updates Online");
}

TEST_F(VantorWindowTest, ColumnBoxesCaptionsToolTipsAndDefaults) {
  const char* captions[] = {"Serial Number", "Date",       "Time",           "Calling ID",
                            "Called ID",     "Duration",   "Units",          "OG Tgp",
                            "IC Tgp",        "OG Trunk",   "IC Trunk",       "ConnID",
                            "Zone",          "CHB",        "Calling Cat",    "Traffic Cause",
                            "Service Indic", "B Group ID", "Addl Call Info", "3rd Party Digit"};
  const char* tips[] = {"Record Serial Number",
                        "Available Default",
                        "Available Default",
                        "Needs RECOWNER OR OCLGDN",
                        "Available Default",
                        "Available Default",
                        "Needs CHARGES",
                        "Needs RECTRID",
                        "",
                        "",
                        "",
                        "Needs CONNID",
                        "",
                        "",
                        "Available Default",
                        "Needs TRAFQUAL",
                        "",
                        "Needs BGID",
                        "Needs CALLIND",
                        "Needs THRIDPARTY"};
  for (int i = 0; i < 20; ++i) {
    auto* box = Find<QCheckBox>(QStringLiteral("chkOpt_%1").arg(i));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), captions[i]) << i;
    EXPECT_EQ(box->toolTip(), tips[i]) << i;
    EXPECT_EQ(box->isChecked(), (i >= 1 && i <= 8) || i == 11) << i;
  }
}

TEST_F(VantorWindowTest, ExtractWithoutOutputOrSelection) {
  window_.show();
  auto* output = Find<QLineEdit>("txtOF");
  output->clear();
  Find<QPushButton>("cmdGO")->setFocus();
  Find<QPushButton>("cmdGO")->click();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(Last().text, "Please Enter a Valid Output File Name");
  EXPECT_EQ(Last().title, "Data Missing");
  EXPECT_EQ(Last().icon, MessageIcon::kInformation);
  EXPECT_EQ(window_.focusWidget(), output);

  output->setText(dir_.filePath("out.txt"));
  SelectInputs({});
  Find<QPushButton>("cmdGO")->click();
  EXPECT_EQ(Last().text, "Please Select Atleast one file in the File List Box to Proceed");
  EXPECT_EQ(Last().title, "Vantor");
  EXPECT_EQ(Last().icon, MessageIcon::kError);
}

TEST_F(VantorWindowTest, ExtractSelectedFilesInListOrder) {
  Write("b.bin", ThreeCalls(12));
  Write("a.bin", ThreeCalls(2));
  Write("c.txt", Bytes{'x'});
  SelectInputs({"b.bin", "a.bin"});
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("out.txt"));
  Find<QCheckBox>("chkOpt_0")->setChecked(true);
  for (int i = 2; i <= 11; ++i)
    Find<QCheckBox>(QStringLiteral("chkOpt_%1").arg(i))->setChecked(false);
  Find<QPushButton>("cmdGO")->click();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(Last().text, "6 Records Have Been Written from 2 Files");
  EXPECT_EQ(Last().title, "Extraction Completed");
  EXPECT_EQ(testing::ReadAll(dir_.filePath("out.txt").toStdString()),
            "1,2006-01-02\r\n2,2006-01-03\r\n3,2006-01-04\r\n"
            "4,2006-01-12\r\n5,2006-01-13\r\n6,2006-01-14\r\n");
  EXPECT_EQ(Find<QLabel>("lblCurFile")->text(), "");
  EXPECT_EQ(Find<QProgressBar>("pbr1")->value(), 0);
}

TEST_F(VantorWindowTest, CancelDuringRunAsksAndStops) {
  Write("a.bin", ThreeCalls());
  Write("b.bin", ThreeCalls());
  SelectInputs({"a.bin", "b.bin"});
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("out.txt"));
  // The click waits in the queue until the run lets the window handle input.
  QMetaObject::invokeMethod(Find<QPushButton>("cmdEND"), "click", Qt::QueuedConnection);
  messages_.answers = {MessageAnswer::kYes};
  const RunResult result = window_.Extract();
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].text, "Do you Want to Terminate Extraction");
  EXPECT_EQ(messages_.shown[0].title, "Vantor");
  EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::kYesNo);
  // One worker stops after the record being written, several after the
  // file being written: either way whole lines and the count of them.
  EXPECT_TRUE(Last().text == "1 Records Have Been Written from 2 Files" ||
              Last().text == "3 Records Have Been Written from 2 Files")
      << Last().text.toStdString();
  EXPECT_FALSE(window_.RunBusy());
}

// Input is let through while a long run goes on, not only at its start: a
// click that comes in once the run is under way still stops it.
TEST_F(VantorWindowTest, CancelLateInALongRunIsHandled) {
  // Eight large files: far longer to read than the pumping interval, also
  // on several workers, where the first progress step comes with the end of
  // the first file.
  const Bytes big = cdrgen::EwsdSampleFile(16u << 20, 7);
  QStringList names;
  for (int i = 0; i < 8; ++i) {
    names << QStringLiteral("big%1.bin").arg(i);
    Write(names.back(), big);
  }
  SelectInputs(names);
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("out.txt"));
  // The click is queued at the first progress step, after the first pump.
  auto* cancel = Find<QPushButton>("cmdEND");
  bool clicked = false;
  QObject::connect(Find<QProgressBar>("pbr1"), &QProgressBar::valueChanged, cancel, [&] {
    if (clicked) return;
    clicked = true;
    QMetaObject::invokeMethod(cancel, "click", Qt::QueuedConnection);
  });
  messages_.answers = {MessageAnswer::kYes};
  const RunResult result = window_.Extract();
  EXPECT_TRUE(clicked);
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  ASSERT_FALSE(messages_.shown.empty());
  EXPECT_EQ(messages_.shown[0].text, "Do you Want to Terminate Extraction");
}

TEST_F(VantorWindowTest, AnalysisDuringARunLeavesTheRunAlone) {
  Write("a.bin", ThreeCalls(2));
  Write("b.bin", ThreeCalls(12));
  SelectInputs({"a.bin", "b.bin"});
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("out.txt"));
  Find<QLineEdit>("txtAfile")->setText(dir_.filePath("b.bin"));
  for (int i = 2; i <= 11; ++i)
    Find<QCheckBox>(QStringLiteral("chkOpt_%1").arg(i))->setChecked(false);
  QMetaObject::invokeMethod(Find<QPushButton>("Command2"), "click", Qt::QueuedConnection);
  const RunResult result = window_.Extract();
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(result.lines_written, 6);
  EXPECT_EQ(Find<QLabel>("lblRpt_0")->text(), "   12-01-2006");
  EXPECT_EQ(testing::ReadAll(dir_.filePath("out.txt").toStdString()),
            "2006-01-02\r\n2006-01-03\r\n2006-01-04\r\n"
            "2006-01-12\r\n2006-01-13\r\n2006-01-14\r\n");
}

TEST_F(VantorWindowTest, ClosingDuringARunStopsItQuietly) {
  Write("a.bin", ThreeCalls());
  SelectInputs({"a.bin"});
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("out.txt"));
  window_.show();
  QMetaObject::invokeMethod(&window_, "close", Qt::QueuedConnection);
  const RunResult result = window_.Extract();
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(result.lines_written, 1);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_FALSE(window_.isVisible());
}

TEST_F(VantorWindowTest, FolderOutputColumnsAndAnalysisFileAreKeptBetweenStarts) {
  window_.Panel()->SetFolder(dir_.path());
  Find<QLineEdit>("txtOF")->setText(dir_.filePath("calls.txt"));
  Find<QCheckBox>("chkOpt_0")->setChecked(true);
  Find<QCheckBox>("chkOpt_5")->setChecked(false);
  Find<QLineEdit>("txtAfile")->setText(dir_.filePath("IA.ICAMA"));
  EwsdExtractorWindow next(messages_, browser_);
  EXPECT_EQ(next.Panel()->FolderPath(), QDir::toNativeSeparators(dir_.path()));
  EXPECT_EQ(next.findChild<QLineEdit*>("txtOF")->text(), dir_.filePath("calls.txt"));
  EXPECT_TRUE(next.findChild<QCheckBox*>("chkOpt_0")->isChecked());
  EXPECT_FALSE(next.findChild<QCheckBox*>("chkOpt_5")->isChecked());
  EXPECT_TRUE(next.findChild<QCheckBox*>("chkOpt_6")->isChecked());
  EXPECT_EQ(next.findChild<QLineEdit*>("txtAfile")->text(), dir_.filePath("IA.ICAMA"));
}

TEST_F(VantorWindowTest, CancelWhenIdleClosesWithoutQuestion) {
  window_.show();
  ASSERT_TRUE(window_.isVisible());
  Find<QPushButton>("cmdEND")->click();
  EXPECT_FALSE(window_.isVisible());
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(VantorWindowTest, AnalyseFillsTheLabels) {
  Bytes file = ThreeCalls();
  file.resize(3145728, 0x80);
  Find<QLineEdit>("txtAfile")->setText(Write("IA.ICAMA", file));
  Find<QPushButton>("Command2")->click();
  EXPECT_TRUE(messages_.shown.empty());
  const char* expected[] = {"   02-01-2006", "   10:00:00", "   2441000", "   555", "   04-01-2006",
                            "   10:00:00",   "   2441000",  "   555",     "   3",   "   3 MB"};
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(Find<QLabel>(QStringLiteral("lblRpt_%1").arg(i))->text(), expected[i]) << i;
  EXPECT_EQ(Find<QProgressBar>("pbrAna")->value(), 0);
  QDir().mkpath(SUITE_BINARY_DIR "/screenshots");
  Find<QTabWidget>("SSTab1")->setCurrentIndex(1);
  window_.grab().save(SUITE_BINARY_DIR "/screenshots/vantor_tab1_analysed.png");

  Find<QLineEdit>("txtAfile")->clear();
  Find<QPushButton>("Command2")->click();
  EXPECT_EQ(Last().text, "Please Enter A Valid Input File Name");
  EXPECT_EQ(Last().title, "ERROR");
  Find<QLineEdit>("txtAfile")->setText(dir_.filePath("none"));
  Find<QPushButton>("Command2")->click();
  EXPECT_EQ(Last().text, "Invalid Data File");
  EXPECT_EQ(Find<QLabel>("lblRpt_0")->text(), "");
}

TEST_F(VantorWindowTest, BrowseUpdateLinkAndDriveMessage) {
  QStringList answers = {"/data/IA.ICAMA", ""};
  window_.SetOpenFileDialog([&] { return answers.takeFirst(); });
  Find<QPushButton>("Command3")->click();
  EXPECT_EQ(Find<QLineEdit>("txtAfile")->text(), "/data/IA.ICAMA");
  Find<QPushButton>("Command3")->click();  // cancelled
  EXPECT_EQ(Find<QLineEdit>("txtAfile")->text(), "/data/IA.ICAMA");

  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Find<QLabel>("lblUpdate"), &release);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0], EwsdExtractorWindow::UpdateAddress());

  window_.Panel()->SetDrive("a:");
  EXPECT_EQ(Last().text, "Drive A: is Not Accessible");
  EXPECT_EQ(Last().icon, MessageIcon::kError);
}

// Pictures of the three tabs for a person to look at (build/screenshots).
TEST_F(VantorWindowTest, Screenshots) {
  QDir().mkpath(SUITE_BINARY_DIR "/screenshots");
  auto* tabs = Find<QTabWidget>("SSTab1");
  window_.show();
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    const QPixmap picture = window_.grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(
        picture.save(QStringLiteral(SUITE_BINARY_DIR "/screenshots/vantor_tab%1.png").arg(i)));
  }
}

}  // namespace
}  // namespace vantor
