// lomtra: with a subcommand it runs headless (identify, analyse); without
// arguments, or with existing files and folders only, it opens the window,
// the files (a folder's in name order) added to the list as if they had
// been dropped on it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/report_dialog.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/ui/display.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = platform::StartCommandLine(argc, argv);
  if (lomtra::IsCommandLine(args)) {
    platform::InstallBatchInterruptHandlers("lomtra");
    return lomtra::RunCommandLine(args, std::cout, std::cerr, platform::StderrIsTerminal());
  }
  if (!platform::ui::HasDisplay()) return platform::ui::ReportNoDisplay("lomtra", std::cerr);
  std::vector<std::string> errors;
  const std::vector<std::string> files = lomtra::ExpandPaths(args, &errors);
  for (const std::string& error : errors) std::cerr << "lomtra: " << error << '\n';
  platform::InstallWindowInterruptHandlers();
  QApplication app(argc, argv);
  platform::ui::BoxMessageService messages;
  platform::ui::DesktopDocumentOpener opener;
  platform::ui::DetachedProgramStarter starter;
  lomtra::CommonFileDialog dialog;
  lomtra::SystemClock clock;
  lomtra::AnalyserWindow window({messages, opener, starter, dialog, clock});
  messages.SetParent(&window);
  window.show();
  QStringList paths;
  for (const std::string& file : files)
    paths << QDir::toNativeSeparators(QFileInfo(QString::fromLocal8Bit(file)).absoluteFilePath());
  if (!paths.isEmpty()) window.AddFiles(paths);
  return app.exec();
}
