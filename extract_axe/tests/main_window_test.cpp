#include "main_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <fstream>

#include "cdrgen/axe_builder.h"
#include "platform/ui/file_picker_panel.h"

namespace {

using namespace pardel;
using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

// The window remembers its controls between starts: every test starts
// from the defaults.
struct ForgetSettings {
  ForgetSettings() {
    QSettings(QSettings::UserScope, "norva", QCoreApplication::applicationName()).clear();
  }
};

class WindowTest : public ::testing::Test {
 protected:
  ForgetSettings forget_;
  platform::ui::ScriptedMessageService messages_;
  platform::ui::RecordingDocumentOpener viewer_;
  AxeExtractorWindow window_{messages_, viewer_};
  QTemporaryDir dir_;

  template <typename T>
  T* Find(const char* name) {
    return window_.findChild<T*>(name);
  }

  void WriteAxe(const QString& name, int blocks) {
    cdrgen::WriteFile(dir_.filePath(name).toStdString(), cdrgen::AxeSampleFile(blocks, 7));
  }
};

TEST_F(WindowTest, TitleControlsAndDefaults) {
  EXPECT_EQ(window_.windowTitle(), "Pardel 2.0 - NORVA");
  EXPECT_EQ(window_.objectName(), "Form1");
  ASSERT_NE(Find<QComboBox>("Drive1"), nullptr);
  ASSERT_NE(Find<QTreeView>("Dir1"), nullptr);
  ASSERT_NE(Find<QListWidget>("File1"), nullptr);
  EXPECT_EQ(Find<QListWidget>("File1")->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(),
            QDir::toNativeSeparators(QDir::home().filePath("pardel.txt")));
  EXPECT_EQ(Find<QPushButton>("Command1")->text(), "Show Sample");
  EXPECT_EQ(Find<QPushButton>("Command2")->text(), "Extract");
  EXPECT_EQ(Find<QPushButton>("Command3")->text(), "Cancel");
  auto* bar = Find<QProgressBar>("ProgressBar1");
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  ASSERT_NE(Find<QStatusBar>("StatusBar1"), nullptr);
  ASSERT_NE(Find<QLabel>("StatusBar1_Panel1"), nullptr);
  ASSERT_NE(Find<QLabel>("StatusBar1_Panel2"), nullptr);
}

TEST_F(WindowTest, ExtractWithNothingSelectedAsksForFiles) {
  window_.Panel()->SetFolder(dir_.path());
  Find<QPushButton>("Command2")->click();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Please Select input Files in the List Box");
  EXPECT_EQ(messages_.shown[0].title, "pardel");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
}

TEST_F(WindowTest, ExtractRunsOverTheSelectedFilesInListOrder) {
  WriteAxe("b.dat", 12);
  WriteAxe("a.dat", 11);
  { std::ofstream(dir_.filePath("c.txt").toStdString()) << "not billing data"; }
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"b.dat", "c.txt", "a.dat"});
  Find<QLineEdit>("Text1")->setText(dir_.filePath("out.txt"));
  messages_.answers = {MessageAnswer::kYes};
  Find<QPushButton>("Command2")->click();
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_TRUE(messages_.shown[1].text.endsWith(" Records Written from 3 Files"));
  EXPECT_EQ(Find<QLabel>("StatusBar1_Panel1")->text(), "");
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
}

TEST_F(WindowTest, ShowSampleOpensTheOutputInTheTextViewer) {
  WriteAxe("a.dat", 11);
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  Find<QLineEdit>("Text1")->setText(dir_.filePath("sample.txt"));
  Find<QPushButton>("Command1")->click();
  EXPECT_TRUE(messages_.shown.empty());
  ASSERT_EQ(viewer_.opened.size(), 1u);
  EXPECT_EQ(viewer_.opened[0], dir_.filePath("sample.txt"));
}

TEST_F(WindowTest, RemembersTheFolderAndTheOutputBetweenStarts) {
  window_.Panel()->SetFolder(dir_.path());
  Find<QLineEdit>("Text1")->setText(dir_.filePath("calls.txt"));
  AxeExtractorWindow again(messages_, viewer_);
  EXPECT_EQ(again.Panel()->FolderPath(), dir_.path());
  EXPECT_EQ(again.findChild<QLineEdit*>("Text1")->text(), dir_.filePath("calls.txt"));
}

// The output format chosen is the one the run writes, the name follows the
// choice, a database has no sample, and the choice is there at the next start.
TEST_F(WindowTest, TheOutputFormatReachesTheRunAndIsRemembered) {
  WriteAxe("a.dat", 11);
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  auto* format = Find<QComboBox>("cboOutputFormat");
  ASSERT_NE(format, nullptr);
  EXPECT_EQ(format->currentText(), "Text");
  Find<QLineEdit>("Text1")->setText(dir_.filePath("calls.txt"));
  format->setCurrentText("CSV");
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), dir_.filePath("calls.csv"));
  Find<QPushButton>("Command2")->click();
  std::ifstream csv(dir_.filePath("calls.csv").toStdString());
  std::string header;
  std::getline(csv, header);
  EXPECT_EQ(header.rfind("Date,Time,A Number,B Number,", 0), 0u) << header;

  format->setCurrentText("SQLite");
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), dir_.filePath("calls.sqlite"));
  EXPECT_FALSE(Find<QPushButton>("Command1")->isEnabled());
  messages_.shown.clear();
  Find<QPushButton>("Command2")->click();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_TRUE(messages_.shown[0].text.endsWith(" Records Loaded from 1 Files into " +
                                               dir_.filePath("calls.sqlite")))
      << messages_.shown[0].text.toStdString();
  format->setCurrentText("PostgreSQL");
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "");

  AxeExtractorWindow again(messages_, viewer_);
  EXPECT_EQ(again.findChild<QComboBox*>("cboOutputFormat")->currentText(), "PostgreSQL");
  EXPECT_FALSE(again.findChild<QPushButton*>("Command1")->isEnabled());
  again.findChild<QComboBox*>("cboOutputFormat")->setCurrentText("Text");
  EXPECT_EQ(again.findChild<QLineEdit*>("Text1")->text(), AxeExtractorWindow::DefaultOutputPath());
}

TEST_F(WindowTest, TheWindowCatchesUpBeforeAQuestionAboutAFile) {
  WriteAxe("a.dat", 11);
  { std::ofstream(dir_.filePath("c.txt").toStdString()) << "not billing data"; }
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"c.txt", "a.dat"});
  Find<QLineEdit>("Text1")->setText(dir_.filePath("out.txt"));
  // Stands for a repaint: it happens only if the run lets the window draw.
  QString shown_during_run = "nothing";
  QTimer::singleShot(0, &window_,
                     [&] { shown_during_run = Find<QLabel>("StatusBar1_Panel2")->text(); });
  Find<QPushButton>("Command2")->click();
  EXPECT_EQ(shown_during_run, "Processing c.txt");
  ASSERT_EQ(messages_.shown.size(), 2u);
}

TEST_F(WindowTest, DriveThatCannotBeOpenedSaysSoAndGoesBack) {
  const QString before = Find<QComboBox>("Drive1")->currentText();
  window_.Panel()->SetDrive("/no/such/drive");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Drive Not Ready");
  EXPECT_EQ(Find<QComboBox>("Drive1")->currentText(), before);
}

TEST_F(WindowTest, Screenshot) {
  WriteAxe("a.dat", 11);
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  window_.show();
  const QString target = qEnvironmentVariable("PARDEL_SCREENSHOT");
  if (!target.isEmpty()) {
    EXPECT_TRUE(window_.grab().save(target));
  }
  EXPECT_FALSE(window_.grab().isNull());
}

}  // namespace
