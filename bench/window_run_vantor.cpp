// window_run_vantor FILE OUT: an EWSD extraction from frmVantor, timed.
#include "extract_ewsd/app/main_window.h"
#include "window_run.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  platform::ui::ScriptedMessageService messages;
  platform::ui::RecordingDocumentOpener browser;
  vantor::EwsdExtractorWindow window(messages, browser);
  return bench::TimeExtraction(window, *window.Panel(), argv[1], argv[2], "txtOF", "cmdGO");
}
