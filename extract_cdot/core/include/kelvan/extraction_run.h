#pragma once
// The run behind "Execute": every selected file's records become lines in one
// output file, or in one file per section date ("tgcbr" + DDMMYY + ".txt").
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kelvan/clock.h"
#include "kelvan/host.h"
#include "kelvan/line_layout.h"
#include "kelvan/record_filter.h"

namespace kelvan {

struct RunSettings {
  std::vector<std::filesystem::path> inputs;  // the selected files, in list order
  std::vector<int> field_selection;           // ticked fields 1-8, ascending
  Layout layout = Layout::kDelimited;
  std::string delimiter_name = "Comma";  // as in the delimiter box
  bool filter_on = false;
  FilterField filter_field = FilterField::kCallingNo;
  std::string filter_value;
  bool multi_file = false;
  std::filesystem::path output_file;
  std::filesystem::path output_folder;
  bool area_code_on = false;
  std::string area_code = "4565";
  std::string title = "Kelvan";  // title of every message box
};

struct RunResult {
  enum class Outcome {
    kCompleted,   // every file read, closing message shown
    kNotStarted,  // nothing selected or ticked
    kStopped,     // the host asked to stop (Ctrl-C): the lines so far are kept
    kEnded,       // No to going on after a file that is not C-DOT: the lines so far are kept
    kFailed       // a file could not be opened, read or written
  };
  Outcome outcome = Outcome::kNotStarted;
  std::uint64_t records_written = 0;
  std::size_t files_read = 0;
  std::size_t files_skipped = 0;  // not C-DOT files, answered Yes
  // C-DOT files read: when none was, the outputs were not replaced.
  std::size_t files_decoded = 0;
};

// Name of a per-section output file.
std::string SectionFileName(const std::string& ddmmyy);

// "N Records Written from K File(s) in M Minutes and S Seconds".
std::string ClosingMessage(std::uint64_t records, std::size_t files, std::int64_t seconds);

RunResult RunExtraction(const RunSettings& settings, Host& host, const Clock& clock);

}  // namespace kelvan
