#pragma once
// pardel's batch mode: the Extract and Show Sample runs without a window.
#include <functional>
#include <string>
#include <vector>

namespace pardel {

// Opens the finished sample in the system's text viewer; returns false when
// that is not possible.
using ViewerFunction = std::function<bool(const std::string& path)>;

// `args` without the program name. Returns the exit status: 0 every file
// processed, 1 a file skipped or the run stopped, 2 a usage error or a
// failure that ended the run.
int RunCommandLine(const std::vector<std::string>& args, const ViewerFunction& viewer);

}  // namespace pardel
