#pragma once
// The extraction run: every call record of the chosen files as one line of
// the selected fields in one output file, as rows for other tools (csv,
// jsonl) or loaded into a database (sqlite, postgres).
#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/host.h"
#include "ostrel/ocb_decoder.h"
#include "platform/output_format.h"

namespace ostrel {

using platform::OutputFormat;

// Field numbers (1-18) in ascending order.
using FieldSelection = std::vector<int>;

// The fields ticked when the window opens.
FieldSelection DefaultFieldSelection();

// Files larger than this are cut into stretches of this size for the
// workers, so that no worker holds more than one stretch of a large file.
inline constexpr std::uint64_t kStretchBytes = 64ull << 20;

struct ExtractionRequest {
  // The output file; for sqlite the database file, for postgres the
  // connection text (empty: the PG* variables).
  std::string output_path;
  std::vector<std::string> files;  // chosen files, in list order, full paths
  std::size_t list_entries = 0;    // entries of the file list (chosen or not)
  FieldSelection fields;
  OutputFormat format = OutputFormat::kText;
  // Files decoded at once on worker threads, written in list order; 1 reads
  // them one after the other on the calling thread. A database is always
  // loaded on one.
  unsigned workers = 1;
  // With more than one worker, a file larger than this is cut into stretches
  // of about this many bytes at block boundaries, each decoded on its own.
  std::uint64_t stretch_bytes = kStretchBytes;
};

enum class RunOutcome {
  kNotStarted,  // nothing chosen; the output file was not touched
  kCompleted,   // every chosen file taken up (invalid ones may have been skipped)
  kStoppedAtInvalid,
  kStoppedByUser,
  kFailed,  // an input or the output could not be opened or written
};

struct ExtractionResult {
  RunOutcome outcome = RunOutcome::kNotStarted;
  std::uint64_t calls = 0;
  std::size_t files_taken_up = 0;
  std::size_t files_skipped = 0;  // invalid files passed over with Yes
  // A database run: files committed (calls counts only theirs).
  std::size_t files_loaded = 0;
};

// One line: the selected texts joined by ","; an integer field standing last
// is written with a space on either side. The extraction itself writes the
// same text with RecordLineFormatter, straight from the record.
void FormatLine(const OcbFields& fields, const FieldSelection& selection, std::string& line);

// Block count / 100 rounded half to even, at least 1.
std::uint64_t ProgressStep(std::uint64_t block_count);
// "Processing PATH", shortened to 30 + 15 dots + 30 characters past 80.
std::string ProcessingText(const std::string& path);
// "1234 Records Written from 3 Files"
std::string ClosingText(std::uint64_t calls, std::size_t files);
// "1234 Records Loaded from 3 Files into DATABASE"
std::string LoadedText(std::uint64_t calls, std::size_t files, const std::string& database);
// The database as messages name it: the file, or for PostgreSQL never the
// connection text, which may hold a password.
std::string DatabaseName(const ExtractionRequest& request);

ExtractionResult ExtractFiles(const ExtractionRequest& request, Host& host);

}  // namespace ostrel
