// lomtra: with a subcommand it runs headless (identify, analyse); without
// arguments, or with paths only, it opens the window, the paths added to the
// list as if they had been dropped on it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/report_dialog.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (lomtra::IsCommandLine(args)) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the report's CR LF as written
#endif
    return lomtra::RunCommandLine(args, std::cout, std::cerr, platform::StderrIsTerminal());
  }
  QApplication app(argc, argv);
  platform::ui::BoxMessageService messages;
  platform::ui::DesktopDocumentOpener opener;
  platform::ui::DetachedProgramStarter starter;
  lomtra::CommonFileDialog dialog;
  lomtra::SystemClock clock;
  lomtra::FrmLomtra window({messages, opener, starter, dialog, clock});
  messages.SetParent(&window);
  window.show();
  QStringList paths;
  for (const QString& argument : QCoreApplication::arguments().mid(1))
    paths << QDir::toNativeSeparators(QFileInfo(argument).absoluteFilePath());
  if (!paths.isEmpty()) window.AddFiles(paths);
  return app.exec();
}
