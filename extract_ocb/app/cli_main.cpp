// ostrel's command line alone, for builds without the window (Windows).
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  platform::UseBinaryStandardOutput();
  return ostrel::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                std::cerr, std::cin, platform::StderrIsTerminal());
}
