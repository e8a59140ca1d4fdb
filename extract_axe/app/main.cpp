#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <cstdlib>
#include <memory>

#include "command_line.h"
#include "main_window.h"
#include "platform/interrupt.h"

namespace {

bool HasDisplay() {
#if defined(Q_OS_LINUX)
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
#else
  return true;
#endif
}

// Batch mode creates no window; only --open needs the desktop, and then
// only for as long as it takes to hand the file over.
bool OpenWithDesktop(int argc, char** argv, const std::string& path) {
  if (!HasDisplay()) return false;
  QGuiApplication app(argc, argv);
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return pardel::RunCommandLine(
        args, [&](const std::string& path) { return OpenWithDesktop(argc, argv, path); });
  }
  QApplication app(argc, argv);
  platform::InstallWindowInterruptHandlers();
  platform::ui::BoxMessageService messages;
  platform::ui::DesktopDocumentOpener viewer;
  pardel::Form1 window(messages, viewer);
  messages.SetParent(&window);
  window.show();
  return app.exec();
}
