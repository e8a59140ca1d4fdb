// window_run_ostrel FILE OUT: an OCB extraction from frmCDR, timed.
#include "extract_ocb/app/main_window.h"
#include "window_run.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  platform::ui::ScriptedMessageService messages;
  ostrel::OcbExtractorWindow window(messages);
  return bench::TimeExtraction(window, *window.Picker(), argv[1], argv[2], "txtOPF", "cmdGO");
}
