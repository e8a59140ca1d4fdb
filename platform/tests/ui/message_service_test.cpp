#include "platform/ui/message_service.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/ui/desktop_services.h"

namespace {

using namespace platform::ui;

TEST(ScriptedMessageService, RecordsMessagesAndAnswersQuestionsFromTheScript) {
  ScriptedMessageService messages;
  messages.answers = {MessageAnswer::kNo};
  EXPECT_EQ(messages.Show({"Done", "", MessageIcon::kInformation, MessageButtons::kOk}),
            MessageAnswer::kOk);  // an OK box takes no answer from the script
  EXPECT_EQ(messages.Show({"Go on?", "T", MessageIcon::kQuestion, MessageButtons::kYesNo}),
            MessageAnswer::kNo);
  EXPECT_EQ(messages.Show({"Again?", "T", MessageIcon::kQuestion, MessageButtons::kYesNo}),
            MessageAnswer::kYes);  // script used up: the default answer
  ASSERT_EQ(messages.shown.size(), 3u);
  EXPECT_EQ(messages.shown[1].text, "Go on?");
  EXPECT_EQ(messages.shown[1].title, "T");
}

TEST(BoxMessageService, ShowsExactTextTitleIconAndButtons) {
  BoxMessageService service;
  QString seen_text, seen_title;
  QMessageBox::Icon seen_icon = QMessageBox::NoIcon;
  bool has_yes = false, has_no = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        seen_text = box->text();
        seen_title = box->windowTitle();
        seen_icon = box->icon();
        has_yes = box->button(QMessageBox::Yes) != nullptr;
        has_no = box->button(QMessageBox::No) != nullptr;
        box->button(QMessageBox::No)->click();
      }
    }
  });
  const auto answer = service.Show({"Do you want to continue?  Really", "Pardel",
                                    MessageIcon::kQuestion, MessageButtons::kYesNo});
  EXPECT_EQ(answer, MessageAnswer::kNo);
  EXPECT_EQ(seen_text, "Do you want to continue?  Really");
  EXPECT_EQ(seen_title, "Pardel");
  EXPECT_EQ(seen_icon, QMessageBox::Question);
  EXPECT_TRUE(has_yes && has_no);
}

TEST(RecordingServices, KeepWhatWouldHaveBeenOpenedOrStarted) {
  RecordingDocumentOpener opener;
  RecordingProgramStarter starter;
  DocumentOpener& o = opener;
  ProgramStarter& s = starter;
  EXPECT_TRUE(o.Open("/tmp/out.txt"));
  EXPECT_TRUE(s.Start("msinfo", {"-a"}));
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], "/tmp/out.txt");
  EXPECT_EQ(starter.started[0], (QStringList{"msinfo", "-a"}));
}

}  // namespace
