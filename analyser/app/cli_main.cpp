// lomtra's command line alone, for builds without the window (Windows):
// without arguments it says how it is used.
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/console.h"
#include "platform/interrupt.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = platform::StartCommandLine(argc, argv);
  if (args.empty()) args.push_back("--help");
  platform::InstallBatchInterruptHandlers("lomtra");
  return lomtra::RunCommandLine(args, std::cout, std::cerr, platform::StderrIsTerminal());
}
