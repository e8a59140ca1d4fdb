#pragma once
// vantor's batch mode: the extraction run and the record analysis without a window.
#include <string>
#include <vector>

namespace vantor {

// `args` without the program name. Returns the exit status: 0 every file
// processed, 1 a file skipped or the run stopped, 2 a usage error or a
// failure that ended the run.
int RunCommandLine(const std::vector<std::string>& args);

}  // namespace vantor
