#pragma once
// ostrel without a window: extract, analyse and trim for batch use.
#include <iosfwd>
#include <string>
#include <vector>

namespace ostrel {

// `args` without the program name. Data goes to `out`, messages to `err`;
// `in` answers the trim question. Returns the exit status: 0 every file
// processed, 1 a file skipped or the run stopped, 2 usage error or failure.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::istream& in, bool err_is_terminal = false);

// "Ostrel 1.4.0"
std::string VersionText();

}  // namespace ostrel
