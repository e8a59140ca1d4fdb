#pragma once
// lomtra without a window: identify files, or analyse them and write the
// report. Exit status 0 when every file was processed, 1 when a file was
// skipped or the run stopped, 2 on a usage error or a failure that ended
// the run.
#include <ostream>
#include <string>
#include <vector>

namespace lomtra {

// True when the arguments ask for a subcommand or an option, or hold a word
// that is neither a command nor an existing path (a usage error, then); no
// arguments, or existing files and folders alone, open the window.
bool IsCommandLine(const std::vector<std::string>& args);

// A folder stands for the ordinary files in it, in name order; any other
// path stays as given. A folder that cannot be listed is left out and named
// in *errors.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths,
                                     std::vector<std::string>* errors);

// `args` are the arguments after the program name (not empty).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool stderr_is_terminal);

}  // namespace lomtra
