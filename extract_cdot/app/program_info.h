#pragma once
// The program's name and version as the window, the about box and the
// command line show them; the numbers come from the build.
#include <string>

namespace kelvan {

// "Kelvan [1.1] - NORVA": the window's title, also the title of its messages.
std::string ProgramTitle();
// "1.1.0": the version as the about box shows it.
std::string VersionText();

}  // namespace kelvan
