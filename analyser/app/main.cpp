// lomtra: with arguments it runs headless (identify, analyse); without, the
// window, which comes in a later step.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  if (argc > 1) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the report's CR LF as written
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    return lomtra::RunCommandLine(args, std::cout, std::cerr, platform::StderrIsTerminal());
  }
  std::cerr << "lomtra: the window is not built yet; see lomtra --help for the command line\n";
  return 2;
}
