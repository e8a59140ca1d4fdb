// Help > User Manual hands lomtra.pdf from the program's folder to the
// system's document opener. The folder is the build's bin folder, or the
// installed program folder when NORVA_PROGRAM_DIR names it (package check).
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/main_window.h"
#include "app/report_dialog.h"
#include "engine/clock.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/message_service.h"

namespace {

QString ProgramFolder() {
  const QString installed = qEnvironmentVariable("NORVA_PROGRAM_DIR");
  return installed.isEmpty() ? QStringLiteral(SUITE_BINARY_DIR "/bin") : installed;
}

TEST(ManualMenu, OpensTheManualBesideTheProgram) {
  platform::ui::ScriptedMessageService messages;
  platform::ui::RecordingDocumentOpener opener;
  platform::ui::RecordingProgramStarter starter;
  lomtra::ScriptedFileDialog dialog;
  lomtra::SystemClock clock;
  lomtra::AnalyserWindow window({messages, opener, starter, dialog, clock});
  window.SetApplicationFolder(ProgramFolder());

  auto* manual = window.findChild<QAction*>("menManual");
  ASSERT_NE(manual, nullptr);
  manual->trigger();

  const QString expected = QDir::toNativeSeparators(QDir(ProgramFolder()).filePath("lomtra.pdf"));
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], expected);
  EXPECT_TRUE(messages.shown.empty());
  QFile pdf(expected);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << expected.toStdString();
  EXPECT_EQ(pdf.read(5), QByteArray("%PDF-"));
}

}  // namespace
