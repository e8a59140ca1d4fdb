// kelvan's command line alone, for builds without the window (Windows).
#include <string>
#include <vector>

#include "command_line.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  kelvan::SystemClock clock;
  return kelvan::RunCommandLine(platform::StartCommandLine(argc, argv), clock);
}
