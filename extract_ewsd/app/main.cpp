#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "main_window.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/ui/display.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    // Batch mode runs without a window and without a display.
    const std::vector<std::string> args = platform::StartCommandLine(argc, argv);
    return vantor::RunCommandLine(args);
  }
  if (!platform::ui::HasDisplay()) return platform::ui::ReportNoDisplay("vantor", std::cerr);
  QApplication app(argc, argv);
  // Ctrl-C or SIGTERM on the terminal that started the window ends it without
  // leaving a half-written output behind.
  platform::InstallWindowInterruptHandlers();
  platform::ui::BoxMessageService messages;
  platform::ui::DesktopDocumentOpener browser;
  vantor::EwsdExtractorWindow window(messages, browser);
  messages.SetParent(&window);
  window.show();
  return app.exec();
}
