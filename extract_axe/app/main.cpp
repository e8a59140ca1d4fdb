#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <iostream>
#include <memory>

#include "command_line.h"
#include "main_window.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/ui/display.h"

namespace {

// Batch mode creates no window; only --open needs the desktop, and then
// only for as long as it takes to hand the file over.
bool OpenWithDesktop(int argc, char** argv, const std::string& path) {
  if (!platform::ui::HasDisplay()) return false;
  QGuiApplication app(argc, argv);
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::vector<std::string> args = platform::StartCommandLine(argc, argv);
    return pardel::RunCommandLine(
        args, [&](const std::string& path) { return OpenWithDesktop(argc, argv, path); });
  }
  if (!platform::ui::HasDisplay()) return platform::ui::ReportNoDisplay("pardel", std::cerr);
  QApplication app(argc, argv);
  platform::InstallWindowInterruptHandlers();
  platform::ui::BoxMessageService messages;
  platform::ui::DesktopDocumentOpener viewer;
  pardel::AxeExtractorWindow window(messages, viewer);
  messages.SetParent(&window);
  window.show();
  return app.exec();
}
