// vantor's command line alone, for builds without the window (Windows).
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  platform::UseBinaryStandardOutput();
  return vantor::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
