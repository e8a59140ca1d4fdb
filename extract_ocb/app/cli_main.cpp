// ostrel's command line alone, for builds without the window (Windows).
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  return ostrel::RunCommandLine(platform::StartCommandLine(argc, argv), std::cout, std::cerr,
                                std::cin, platform::StderrIsTerminal());
}
