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
  kelvan::SystemClock clock;
  if (argc > 1) {
    // Batch mode: no window and no display needed.
    return kelvan::RunCommandLine(platform::StartCommandLine(argc, argv), clock);
  }
  if (!platform::ui::HasDisplay()) return platform::ui::ReportNoDisplay("kelvan", std::cerr);
  QApplication app(argc, argv);
  platform::InstallWindowInterruptHandlers();
  platform::ui::BoxMessageService messages;
  kelvan::CdotExtractorWindow window(messages, clock);
  messages.SetParent(&window);
  window.show();
  return app.exec();
}
