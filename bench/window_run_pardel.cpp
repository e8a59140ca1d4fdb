// window_run_pardel FILE OUT: an AXE extraction from AxeExtractorWindow, timed.
#include "extract_axe/app/main_window.h"
#include "window_run.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  platform::ui::ScriptedMessageService messages;
  platform::ui::RecordingDocumentOpener viewer;
  pardel::AxeExtractorWindow window(messages, viewer);
  return bench::TimeExtraction(window, *window.Panel(), argv[1], argv[2], "Text1", "Command2");
}
