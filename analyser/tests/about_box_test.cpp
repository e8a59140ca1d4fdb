// The about box, System Info, the manual's fallbacks and the web pages.
#include "app/about_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "window_support.h"

namespace lomtra::testing {
namespace {

using platform::ui::MessageIcon;

class HelpTest : public WindowTest {
 protected:
  void Touch(const QString& name) {
    QFile file(dir_.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString InFolder(const QString& name) const {
    return QDir::toNativeSeparators(dir_.filePath(name));
  }
};

TEST_F(HelpTest, AboutBoxTextsAndItsButtons) {
  Button(12)->trigger();
  AboutBox* about = window_->CurrentAboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->objectName(), "frmAbout");
  EXPECT_EQ(about->windowTitle(), "About Lomtra");
  auto text = [&](const char* name) { return about->findChild<QLabel*>(name)->text(); };
  EXPECT_EQ(text("lblTitle"), "Lomtra");
  EXPECT_EQ(text("Label1"), "Version");
  EXPECT_EQ(text("lblVersion"), "Version 1.2.0");
  EXPECT_EQ(text("Label2"), "Description");
  EXPECT_TRUE(text("lblDesc").startsWith(
      "This Program identifies the Binary Data files of Different Telecommunication Switches "
      "(Basic Service) and gives information about the Available CDRs."));
  EXPECT_TRUE(text("lblU").contains(kHomePage));
  EXPECT_FALSE(about->findChild<QLabel*>("Image1")->pixmap().isNull());
  EXPECT_EQ(about->findChild<QPushButton*>("cmdOK")->text(), "OK");
  EXPECT_EQ(about->findChild<QPushButton*>("cmdSysInfo")->text(), "&System Info...");

  // The address label opens the home page.
  emit about->findChild<QLabel*>("lblU")->linkActivated(kHomePage);
  EXPECT_EQ(opener_.opened, std::vector<QString>({kHomePage}));

  // OK destroys it; About makes a new one.
  about->findChild<QPushButton*>("cmdOK")->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window_->CurrentAboutBox(), nullptr);
  Menu("menAbout")->trigger();
  EXPECT_NE(window_->CurrentAboutBox(), nullptr);
}

TEST_F(HelpTest, SystemInfoStartsTheFirstToolFoundOrSaysItIsUnavailable) {
  QStringList asked;
  window_->SetExecutableFinder([&](const QString& name) {
    asked << name;
    return name == "kinfocenter" ? QString("/usr/bin/kinfocenter") : QString();
  });
  window_->ShowAbout();
  window_->CurrentAboutBox()->findChild<QPushButton*>("cmdSysInfo")->click();
  ASSERT_EQ(starter_.started.size(), 1u);
  EXPECT_EQ(starter_.started[0], QStringList({"/usr/bin/kinfocenter"}));
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(asked.first(), "hardinfo");

  window_->SetExecutableFinder([](const QString&) { return QString(); });
  window_->StartSysInfo();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "System Information Is Unavailable At This Time");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kNone);
  EXPECT_EQ(starter_.started.size(), 1u);
}

TEST_F(HelpTest, ManualOpensThePdfElseTheDocElseSaysSo) {
  window_->SetApplicationFolder(dir_.path());
  // Neither: the critical message, once.
  Menu("menManual")->trigger();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "Help File lomtra.pdf or lomtra.doc not found in the application folder");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(opener_.opened.empty());

  // Only the .doc, and nothing opens it: that is said, naming the file.
  Touch("lomtra.doc");
  opener_.result = false;
  Menu("menManual")->trigger();
  EXPECT_EQ(opener_.opened, std::vector<QString>({InFolder("lomtra.doc")}));
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1].text, "No program to open " + InFolder("lomtra.doc") +
                                         " was found. Install a word processor, or open the "
                                         "file yourself.");

  // The PDF without a viewer falls back to the .doc; when neither opens,
  // the message names the PDF.
  Touch("lomtra.pdf");
  opener_.opened.clear();
  Menu("menManual")->trigger();
  EXPECT_EQ(opener_.opened, std::vector<QString>({InFolder("lomtra.pdf"), InFolder("lomtra.doc")}));
  ASSERT_EQ(messages_.shown.size(), 3u);
  EXPECT_EQ(messages_.shown[2].text, "No program to open " + InFolder("lomtra.pdf") +
                                         " was found. Install a PDF viewer, or open the file "
                                         "yourself.");
  EXPECT_EQ(messages_.shown[2].icon, MessageIcon::kError);

  // The PDF with a viewer: the .doc is never looked at.
  opener_.result = true;
  opener_.opened.clear();
  Menu("menManual")->trigger();
  EXPECT_EQ(opener_.opened, std::vector<QString>({InFolder("lomtra.pdf")}));
  EXPECT_EQ(messages_.shown.size(), 3u);
}

TEST_F(HelpTest, UpdatesOpenTheirPageAlsoDuringARun) {
  window_->AddFiles({WriteSized("a.dat", 3000)});
  window_->SetPumpHook([&] { Menu("menUpdates")->trigger(); });
  window_->Analyse(false);
  EXPECT_EQ(opener_.opened, std::vector<QString>({kUpdatesPage}));

  // No browser: the address is named, so it can be opened by hand.
  opener_.result = false;
  messages_.shown.clear();
  Menu("menUpdates")->trigger();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_TRUE(messages_.shown[0].text.contains(kUpdatesPage));
}

}  // namespace
}  // namespace lomtra::testing
