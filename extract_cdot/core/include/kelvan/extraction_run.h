#pragma once
// The run behind "Execute": every selected file's records become lines in one
// output file, or in one file per section date ("tgcbr" + DDMMYY + ".txt");
// or rows of csv or jsonl the same way, or calls loaded into a database.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kelvan/clock.h"
#include "kelvan/host.h"
#include "kelvan/line_layout.h"
#include "kelvan/record_filter.h"
#include "platform/output_format.h"

namespace kelvan {

// A file larger than this is decoded in stretches of this size.
constexpr std::uint64_t kStretchBytes = 64ull << 20;

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
  // csv and jsonl go where the lines would (one file per day too); sqlite
  // loads into the database file output_file, postgres into `database` (a
  // connection text, empty for the PG* variables). Layout and delimiter are
  // the lines' only; a database ignores multi_file.
  platform::OutputFormat format = platform::OutputFormat::kText;
  std::string database;
  // Files decoded at once (a database loads on one); 1 reads them one after
  // the other. With more, a file larger than stretch_bytes is also cut into
  // stretches decoded at once. The outputs are the same either way.
  unsigned workers = 1;
  std::uint64_t stretch_bytes = kStretchBytes;
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
  // A database run: the files whose calls were committed (records_written
  // counts their calls only).
  std::size_t files_loaded = 0;
};

// Name of a per-section output file.
std::string SectionFileName(const std::string& ddmmyy);

// Name of a per-section output file of csv or jsonl rows.
std::string SectionFileName(const std::string& ddmmyy, platform::OutputFormat format);

// "N Records Written from K File(s) in M Minutes and S Seconds".
std::string ClosingMessage(std::uint64_t records, std::size_t files, std::int64_t seconds);

// "N Records Loaded from K File(s) into DB in M Minutes and S Seconds": the
// calls and files committed to a database.
std::string DatabaseClosingMessage(std::uint64_t calls, std::size_t files,
                                   const std::string& database, std::int64_t seconds);

// How the messages name the database of `settings` (never a connection
// text: it may hold a password).
std::string DatabaseName(const RunSettings& settings);

RunResult RunExtraction(const RunSettings& settings, Host& host, const Clock& clock);

}  // namespace kelvan
