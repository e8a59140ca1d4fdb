// ostrel: the OCB-283 extractor. Without arguments it opens its window; with
// a command it runs headless.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "main_window.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/ui/display.h"
#include "platform/ui/message_service.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::vector<std::string> args = platform::StartCommandLine(argc, argv);
    return ostrel::RunCommandLine(args, std::cout, std::cerr, std::cin,
                                  platform::StderrIsTerminal());
  }
  if (!platform::ui::HasDisplay()) return platform::ui::ReportNoDisplay("ostrel", std::cerr);
  QApplication app(argc, argv);
  // Ctrl-C or SIGTERM on the terminal that started the window ends it without
  // leaving a half-written output or copy behind.
  platform::InstallWindowInterruptHandlers();
  platform::ui::BoxMessageService messages;
  ostrel::OcbExtractorWindow window(messages);
  messages.SetParent(&window);
  window.show();
  return app.exec();
}
