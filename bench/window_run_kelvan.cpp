// window_run_kelvan FILE OUT: a C-DOT extraction from CdotExtractorWindow, timed.
#include "extract_cdot/app/main_window.h"
#include "window_run.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  platform::ui::ScriptedMessageService messages;
  kelvan::SystemClock clock;
  kelvan::CdotExtractorWindow window(messages, clock);
  return bench::TimeExtraction(window, *window.Panel(), argv[1], argv[2], "Text1", "Command2");
}
