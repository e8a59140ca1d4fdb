#pragma once
// The extraction run: every call record of the chosen files as one line of
// the selected fields in one output file.
#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/host.h"
#include "ostrel/ocb_decoder.h"

namespace ostrel {

// Field numbers (1-18) in ascending order.
using FieldSelection = std::vector<int>;

// The fields ticked when the window opens.
FieldSelection DefaultFieldSelection();

struct ExtractionRequest {
  std::string output_path;
  std::vector<std::string> files;  // chosen files, in list order, full paths
  std::size_t list_entries = 0;    // entries of the file list (chosen or not)
  FieldSelection fields;
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

ExtractionResult ExtractFiles(const ExtractionRequest& request, Host& host);

}  // namespace ostrel
