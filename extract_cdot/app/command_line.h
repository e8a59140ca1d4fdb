#pragma once
// kelvan without its window: `kelvan extract ...` runs the same extraction
// from a command line, for batch use and for tests.
#include <cstdio>
#include <string>
#include <vector>

#include "kelvan/clock.h"

namespace kelvan {

// The arguments after the program name. Messages go to `err` one line each,
// --help and --version to `out`. Returns the exit status: 0 every file read,
// 2 a usage error or a failure that ended the run.
int RunCommandLine(const std::vector<std::string>& args, const Clock& clock,
                   std::FILE* out = stdout, std::FILE* err = stderr);

}  // namespace kelvan
