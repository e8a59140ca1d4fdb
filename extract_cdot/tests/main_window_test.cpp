#include "main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>

#include "about_box.h"
#include "cdrgen/cdot_builder.h"
#include "platform/ui/file_picker_panel.h"
#include "test_support.h"

namespace {

using namespace kelvan;
using platform::ui::MessageIcon;

// The window remembers its controls between starts: every test starts
// from the defaults.
struct ForgetSettings {
  ForgetSettings() {
    QSettings(QSettings::UserScope, "norva", QCoreApplication::applicationName()).clear();
  }
};

class KelvanWindowTest : public ::testing::Test {
 protected:
  ForgetSettings forget_;
  platform::ui::ScriptedMessageService messages_;
  kelvan::testing::FixedClock clock_;
  CdotExtractorWindow window_{messages_, clock_};
  QTemporaryDir dir_;

  template <typename T>
  T* Find(const char* name) {
    T* widget = window_.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Status() { return Find<QLabel>("SBR_Panel2")->text(); }

  void WriteCdot(const QString& name, const std::string& ddmmyy) {
    cdrgen::CdotFileBuilder b;
    cdrgen::CdotRecord r;
    b.Section(ddmmyy).Add(r).Add(r);
    cdrgen::WriteFile(dir_.filePath(name).toStdString(), b.Build());
  }
  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  bool Enabled(const char* name) { return Find<QWidget>(name)->isEnabled(); }
};

TEST_F(KelvanWindowTest, TitleFramesCaptionsAndDefaults) {
  EXPECT_EQ(window_.objectName(), "Form1");
  EXPECT_EQ(window_.windowTitle(), "Kelvan [1.1] - NORVA");
  QStringList frames;
  for (auto* box : window_.findChildren<QGroupBox*>()) frames << box->title();
  EXPECT_EQ(frames, QStringList({"Input File Selection", "Data Options", "Delimiter", "Filter",
                                 "Output Options"}));
  Find<QComboBox>("Drive1");
  Find<QTreeView>("Dir1");
  EXPECT_EQ(Find<QListWidget>("File1")->selectionMode(), QAbstractItemView::ExtendedSelection);

  const char* captions[] = {"Date",     "Time",  "Calling Number",       "Called Number",
                            "Duration", "Units", "O/G Trunk Group Name", "I/C Trunk Group Name"};
  for (int i = 0; i < 8; ++i) {
    auto* box = Find<QCheckBox>(("Check1_" + std::to_string(i)).c_str());
    EXPECT_EQ(box->text(), captions[i]);
    EXPECT_TRUE(box->isChecked());
  }
  EXPECT_EQ(Find<QRadioButton>("Option3")->text(), "Fixed Width");
  EXPECT_FALSE(Find<QRadioButton>("Option3")->isChecked());
  EXPECT_EQ(Find<QRadioButton>("Option4")->text(), "Delimited by ");
  EXPECT_TRUE(Find<QRadioButton>("Option4")->isChecked());
  auto* combo1 = Find<QComboBox>("Combo1");
  EXPECT_TRUE(combo1->isEditable());
  EXPECT_EQ(combo1->currentText(), "Comma");
  EXPECT_TRUE(combo1->isEnabled());
  EXPECT_EQ(combo1->count(), 3);
  EXPECT_EQ(combo1->itemText(1), "Tab");
  EXPECT_EQ(combo1->itemText(2), "Space");

  EXPECT_EQ(Find<QRadioButton>("Option5")->text(), "All Records");
  EXPECT_TRUE(Find<QRadioButton>("Option5")->isChecked());
  EXPECT_EQ(Find<QRadioButton>("Option6")->text(), "Selected Records");
  auto* combo2 = Find<QComboBox>("Combo2");
  EXPECT_EQ(combo2->count(), 4);
  EXPECT_EQ(combo2->currentText(), "Calling No");
  EXPECT_EQ(combo2->itemText(1), "Called No");
  EXPECT_EQ(combo2->itemText(2), "ITgp ID");
  EXPECT_EQ(combo2->itemText(3), "OTgp ID");
  EXPECT_FALSE(combo2->isEnabled());
  EXPECT_EQ(Find<QLineEdit>("Text2")->text(), "");
  EXPECT_FALSE(Enabled("Text2"));

  EXPECT_EQ(Find<QRadioButton>("Option1")->text(), "Single Output File");
  EXPECT_TRUE(Find<QRadioButton>("Option1")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(),
            QDir::toNativeSeparators(QDir::home().filePath("tgcbr.txt")));
  EXPECT_TRUE(Enabled("Text1"));
  EXPECT_EQ(Find<QRadioButton>("Option2")->text(), "Multi File O/P Directory");
  // Not the program's folder, where an installed program may not write.
  EXPECT_EQ(Find<QLineEdit>("Text3")->text(), QDir::toNativeSeparators(QDir::homePath()));
  EXPECT_FALSE(Enabled("Text3"));
  EXPECT_EQ(Find<QCheckBox>("Check2")->text(), "Prefix Area Code");
  EXPECT_FALSE(Find<QCheckBox>("Check2")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("Text4")->text(), "4565");
  EXPECT_FALSE(Enabled("Text4"));

  EXPECT_EQ(Find<QPushButton>("Command2")->text(), "Execute");
  EXPECT_EQ(Find<QPushButton>("Command1")->text(), "Cancel");
  auto* bar = Find<QProgressBar>("ProgressBar1");
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 300);
  EXPECT_EQ(bar->value(), 0);
  Find<QStatusBar>("SBR");
  EXPECT_EQ(Find<QLabel>("SBR_Panel1")->text(), "6 Dec 2026");
  EXPECT_EQ(Status(), "Select Input Files");
}

TEST_F(KelvanWindowTest, EnablingRules) {
  Click("Option2");
  EXPECT_TRUE(Enabled("Text3"));
  EXPECT_FALSE(Enabled("Text1"));
  Click("Option1");
  EXPECT_FALSE(Enabled("Text3"));
  EXPECT_TRUE(Enabled("Text1"));

  Click("Option3");
  EXPECT_FALSE(Enabled("Combo1"));
  Click("Option4");
  EXPECT_TRUE(Enabled("Combo1"));

  Click("Option6");
  EXPECT_TRUE(Enabled("Combo2"));
  EXPECT_TRUE(Enabled("Text2"));
  Click("Option5");
  EXPECT_FALSE(Enabled("Combo2"));
  EXPECT_FALSE(Enabled("Text2"));

  Click("Check2");
  EXPECT_TRUE(Enabled("Text4"));
  Click("Check2");
  EXPECT_FALSE(Enabled("Text4"));
}

TEST_F(KelvanWindowTest, SelectionTexts) {
  for (const char* name : {"a.dat", "b.dat", "c.dat"}) WriteCdot(name, "070305");
  window_.Panel()->SetFolder(dir_.path());
  EXPECT_EQ(Status(), "Select Input Files");
  window_.Panel()->SelectFiles({"a.dat", "b.dat", "c.dat"});
  EXPECT_EQ(Status(), "3 Files Selected");
  window_.Panel()->SelectFiles({"b.dat"});
  EXPECT_EQ(Status(), "1 File Selected");
  window_.Panel()->SelectFiles({});
  EXPECT_EQ(Status(), "Select Input Files");
  window_.Panel()->SelectFiles({"a.dat", "c.dat"});
  window_.Panel()->SetFolder(QDir::tempPath());  // a new folder starts over
  EXPECT_EQ(Status(), "Select Input Files");
}

TEST_F(KelvanWindowTest, SettingsComeFromTheControls) {
  WriteCdot("a.dat", "070305");
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  Find<QCheckBox>("Check1_1")->setChecked(false);
  Click("Option4");
  Find<QComboBox>("Combo1")->setCurrentText("|");
  Click("Option6");
  Find<QComboBox>("Combo2")->setCurrentIndex(3);
  Find<QLineEdit>("Text2")->setText("34");
  Click("Check2");
  Find<QLineEdit>("Text4")->setText("11");
  Click("Option2");
  Find<QLineEdit>("Text3")->setText(dir_.path());
  const RunSettings s = window_.Settings();
  ASSERT_EQ(s.inputs.size(), 1u);
  EXPECT_EQ(s.inputs[0], std::filesystem::path(dir_.filePath("a.dat").toStdString()));
  EXPECT_EQ(s.field_selection, (std::vector<int>{1, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(s.layout, Layout::kDelimited);
  EXPECT_EQ(s.delimiter_name, "|");
  EXPECT_TRUE(s.filter_on);
  EXPECT_EQ(s.filter_field, FilterField::kOTgpId);
  EXPECT_EQ(s.filter_value, "34");
  EXPECT_TRUE(s.area_code_on);
  EXPECT_EQ(s.area_code, "11");
  EXPECT_TRUE(s.multi_file);
  EXPECT_EQ(s.title, "Kelvan [1.1] - NORVA");
  Click("Option3");
  EXPECT_EQ(window_.Settings().layout, Layout::kFixedWidth);
}

TEST_F(KelvanWindowTest, ExecuteWithNothingSelectedOrTicked) {
  window_.Panel()->SetFolder(dir_.path());
  Click("Command2");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Please select atleast one input File to proceed");
  EXPECT_EQ(messages_.shown[0].title, "Kelvan [1.1] - NORVA");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);

  WriteCdot("a.dat", "070305");
  window_.Panel()->Refresh();
  window_.Panel()->SelectFiles({"a.dat"});
  for (int i = 0; i < 8; ++i)
    Find<QCheckBox>(("Check1_" + std::to_string(i)).c_str())->setChecked(false);
  Click("Command2");
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1].text, "Please select atleast one Option to print");
}

TEST_F(KelvanWindowTest, ExecuteWritesPerSectionFilesAndResets) {
  WriteCdot("b.dat", "080305");
  WriteCdot("a.dat", "070305");
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat", "b.dat"});
  Click("Option2");
  Find<QLineEdit>("Text3")->setText(dir_.path());
  const RunResult r = window_.Execute();
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "4 Records Written from 2 Files in 1 Minutes and 5 Seconds");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(QFile::exists(dir_.filePath("tgcbr070305.txt")));
  EXPECT_TRUE(QFile::exists(dir_.filePath("tgcbr080305.txt")));
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
}

TEST_F(KelvanWindowTest, RemembersItsControlsBetweenStarts) {
  window_.Panel()->SetFolder(dir_.path());
  Find<QCheckBox>("Check1_2")->setChecked(false);
  Click("Option3");
  Click("Option6");
  Find<QComboBox>("Combo2")->setCurrentIndex(2);
  Find<QLineEdit>("Text2")->setText("77");
  Click("Option2");
  Find<QLineEdit>("Text3")->setText(dir_.path());
  Click("Check2");
  Find<QLineEdit>("Text4")->setText("0471");
  CdotExtractorWindow again(messages_, clock_);
  auto find = [&again](const char* name) { return again.findChild<QWidget*>(name); };
  EXPECT_EQ(again.Panel()->FolderPath(), dir_.path());
  EXPECT_FALSE(static_cast<QCheckBox*>(find("Check1_2"))->isChecked());
  EXPECT_TRUE(static_cast<QCheckBox*>(find("Check1_3"))->isChecked());
  EXPECT_TRUE(static_cast<QRadioButton*>(find("Option3"))->isChecked());
  EXPECT_FALSE(find("Combo1")->isEnabled());  // the enabling rules follow
  EXPECT_EQ(static_cast<QComboBox*>(find("Combo2"))->currentText(), "ITgp ID");
  EXPECT_TRUE(find("Combo2")->isEnabled());
  EXPECT_EQ(static_cast<QLineEdit*>(find("Text2"))->text(), "77");
  EXPECT_TRUE(static_cast<QRadioButton*>(find("Option2"))->isChecked());
  EXPECT_EQ(static_cast<QLineEdit*>(find("Text3"))->text(), dir_.path());
  EXPECT_FALSE(find("Text1")->isEnabled());
  EXPECT_TRUE(find("Text4")->isEnabled());
  EXPECT_EQ(static_cast<QLineEdit*>(find("Text4"))->text(), "0471");
}

// The output format reaches the run (a database needs no per-day files) and
// is remembered.
TEST_F(KelvanWindowTest, OutputFormatReachesTheRunAndIsRemembered) {
  WriteCdot("a.dat", "070305");
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  Click("Option2");
  auto* format = Find<QComboBox>("cboOutputFormat");
  format->setCurrentText("SQLite");
  EXPECT_TRUE(Find<QRadioButton>("Option1")->isChecked());
  EXPECT_FALSE(Enabled("Option2"));
  Find<QLineEdit>("Text1")->setText(dir_.filePath("calls.db"));
  const RunResult r = window_.Execute();
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "2 Records Loaded from 1 File into " +
                                         dir_.filePath("calls.db") + " in 1 Minutes and 5 Seconds");

  format->setCurrentText("PostgreSQL");
  Find<QLineEdit>("Text1")->setText("postgresql://calls@localhost/billing");
  EXPECT_EQ(window_.Settings().format, platform::OutputFormat::kPostgres);
  EXPECT_EQ(window_.Settings().database, "postgresql://calls@localhost/billing");
  format->setCurrentText("JSON Lines");
  EXPECT_TRUE(Enabled("Option2"));
  CdotExtractorWindow again(messages_, clock_);
  EXPECT_EQ(again.findChild<QComboBox*>("cboOutputFormat")->currentText(), "JSON Lines");
  EXPECT_EQ(again.Settings().format, platform::OutputFormat::kJsonl);
}

TEST_F(KelvanWindowTest, AreaCodeAndEmptyFilterValueAreCheckedBeforeTheRun) {
  WriteCdot("a.dat", "070305");
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"a.dat"});
  Find<QLineEdit>("Text1")->setText(dir_.filePath("out.txt"));
  Click("Check2");
  Find<QLineEdit>("Text4")->setText("45a");
  Click("Command2");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(messages_.shown[0].text.contains("45a")) << messages_.shown[0].text.toStdString();
  EXPECT_FALSE(QFile::exists(dir_.filePath("out.txt")));

  Find<QLineEdit>("Text4")->setText("4565");
  Click("Option6");
  Find<QComboBox>("Combo2")->setCurrentIndex(1);
  messages_.answers = {platform::ui::MessageAnswer::kNo};
  Click("Command2");
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1].text,
            "The filter value is empty: only records whose Called No is empty will be written. "
            "Do you want to continue?");
  EXPECT_EQ(messages_.shown[1].buttons, platform::ui::MessageButtons::kYesNo);
  EXPECT_FALSE(QFile::exists(dir_.filePath("out.txt")));
  messages_.answers = {platform::ui::MessageAnswer::kYes};
  EXPECT_EQ(window_.Execute().outcome, RunResult::Outcome::kCompleted);
  EXPECT_TRUE(QFile::exists(dir_.filePath("out.txt")));
}

TEST_F(KelvanWindowTest, DoubleClickOnTheBackgroundShowsTheAboutBox) {
  QWidget* background = window_.centralWidget();
  QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(2, 2),
                    background->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(background, &event);
  CdotAboutBox* about = window_.AboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->windowTitle(), "About Kelvan");
  EXPECT_EQ(about->findChild<QLabel*>("lblVersionCaption")->text(), "Version");
  EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "1.1.0");
  EXPECT_FALSE(about->findChild<QLabel*>("lblAuthor")->text().isEmpty());
  EXPECT_FALSE(about->findChild<QLabel*>("lblOwner")->text().isEmpty());
  auto* ok = about->findChild<QPushButton*>("cmdOK");
  EXPECT_EQ(ok->text(), "OK");
  ok->click();
  EXPECT_FALSE(about->isVisible());
}

TEST_F(KelvanWindowTest, KeysOfTheWindowItselfShowShiftStateAndKeyCode) {
  window_.show();
  window_.setFocus();
  QApplication::setActiveWindow(&window_);
  if (QApplication::focusWidget() != nullptr && QApplication::focusWidget() != &window_) {
    QApplication::focusWidget()->clearFocus();
  }
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(&window_, &a);
  QKeyEvent shift_a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
  QApplication::sendEvent(&window_, &shift_a);
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].text, "0,65");
  EXPECT_EQ(messages_.shown[1].text, "1,65");
  EXPECT_EQ(messages_.shown[0].title, "Kelvan [1.1] - NORVA");

  // A key that a control passes on is not the window's.
  Find<QLineEdit>("Text1")->setFocus();
  if (QApplication::focusWidget() == Find<QLineEdit>("Text1")) {
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(Find<QLineEdit>("Text1"), &f1);
    EXPECT_EQ(messages_.shown.size(), 2u);
  }
}

TEST(KeyMessageText, DesktopKeyCodes) {
  EXPECT_EQ(KeyMessageText(Qt::Key_A, Qt::NoModifier), "0,65");
  EXPECT_EQ(KeyMessageText(Qt::Key_5, Qt::ControlModifier | Qt::AltModifier), "6,53");
  EXPECT_EQ(KeyMessageText(Qt::Key_F1, Qt::NoModifier), "0,112");
  EXPECT_EQ(KeyMessageText(Qt::Key_Return, Qt::ShiftModifier), "1,13");
  EXPECT_EQ(KeyMessageText(Qt::Key_Escape, Qt::NoModifier), "0,27");
}

TEST_F(KelvanWindowTest, DriveThatCannotBeReadSaysSoAndGoesBack) {
  const QString before = Find<QComboBox>("Drive1")->currentText();
  window_.Panel()->SetDrive("/no/such/drive");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "Drive  /NO/SUCH/DRIVE  is Not Accessible");
  EXPECT_EQ(messages_.shown[0].title, "Drive Access Error");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_EQ(Find<QComboBox>("Drive1")->currentText(), before);
}

TEST_F(KelvanWindowTest, Screenshot) {
  for (const char* name : {"TGCB070305.DAT", "TGCB080305.DAT", "TGCB090305.DAT"})
    WriteCdot(name, "070305");
  window_.Panel()->SetFolder(dir_.path());
  window_.Panel()->SelectFiles({"TGCB070305.DAT", "TGCB080305.DAT"});
  window_.show();
  const QString target = qEnvironmentVariable("KELVAN_SCREENSHOT");
  if (!target.isEmpty()) {
    EXPECT_TRUE(window_.grab().save(target));
    window_.AboutBox()->show();
    EXPECT_TRUE(window_.AboutBox()->grab().save(QString(target).replace(".png", "-about.png")));
  }
  EXPECT_FALSE(window_.grab().isNull());
}

}  // namespace
