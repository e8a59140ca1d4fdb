// window_run_lomtra FOLDER: the files of FOLDER added to frmLomtra's list
// (as `lomtra FOLDER` does) and analysed with Analyse, offscreen, timed.
// Prints the seconds from adding to the end of the run.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/report_dialog.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) return 2;
  platform::ui::ScriptedMessageService messages;  // "Data File Analysis Over" answered OK
  platform::ui::RecordingDocumentOpener opener;
  platform::ui::RecordingProgramStarter starter;
  lomtra::ScriptedFileDialog dialog;
  lomtra::SystemClock clock;
  lomtra::AnalyserWindow window({messages, opener, starter, dialog, clock});
  window.show();
  QStringList paths;
  for (const std::string& file : lomtra::ExpandPaths({argv[1]}, nullptr))
    paths << QString::fromStdString(file);
  QElapsedTimer timer;
  timer.start();
  window.AddFiles(paths);
  window.Analyse(false);
  std::printf("%.3f\n", static_cast<double>(timer.nsecsElapsed()) / 1e9);
  return window.Rows().size() == static_cast<std::size_t>(paths.size()) ? 0 : 1;
}
