#include "ostrel/extraction_run.h"

#include <filesystem>

#include "formats/ocb/blocks.h"
#include "formats/ocb/digits.h"
#include "ostrel/record_line.h"
#include "platform/binary_reader.h"
#include "platform/file_replacer.h"
#include "platform/numbers.h"

namespace ostrel {

namespace {

constexpr std::size_t kLabelLimit = 80;
constexpr std::size_t kLabelEnds = 30;

// Counts characters, not bytes, so that a UTF-8 path is never cut mid-character.
std::vector<std::size_t> CharacterStarts(const std::string& text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  return starts;
}

void ShowError(Host& host, const std::string& text) {
  host.ShowMessage({text, kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
}

// Moves the output into place and reports a failed write; true when all was
// written.
bool CommitOutput(platform::FileReplacer& out, Host& host) {
  if (out.Commit()) return true;
  ShowError(host, "Cannot write the output file " + out.Error());
  return false;
}

enum class FileOutcome {
  kDone,
  kSkipped,
  kStopAtInvalid,
  kStoppedByUser,
  kFailed,
  kWriteFailed,  // not yet reported: the writer knows the reason
};

FileOutcome ExtractOneFile(const std::string& path, const FieldSelection& fields,
                           platform::TextWriter& out, Host& host, std::uint64_t& calls) {
  host.SetProgress(0);
  platform::BinaryReader reader;
  std::string reason;
  if (!reader.Open(path, &reason)) {
    ShowError(host, "Cannot open the input file " + path + ": " + reason);
    return FileOutcome::kFailed;
  }
  ocb::FileInfo info;
  if (!ocb::CheckDataFile(reader, info)) {
    const MessageAnswer answer =
        host.ShowMessage({path + " is not a valid OCB Data File.  Do you Want to continue?",
                          "Wrong Data File", MessageIcon::kQuestion, MessageButtons::kYesNo});
    return answer == MessageAnswer::kYes ? FileOutcome::kSkipped : FileOutcome::kStopAtInvalid;
  }
  // Blocks straight from the system's file cache, not copied; the reader
  // stays buffered where mapping is not possible.
  reader.MapFile();
  const ocb::BlockCount blocks = ocb::CountBlocks(reader, info.layout);
  const std::uint64_t step = ProgressStep(blocks.count);
  host.SetStatusText(ProcessingText(path));

  RecordLineFormatter formatter(fields, blocks.header_year, blocks.header_day);
  const std::size_t block_room = ocb::kRecordsPerBlock * formatter.MaxLineBytes();
  int progress = 0;
  for (std::uint64_t b = 0; b < blocks.count; ++b) {
    const bool last_block = b + 1 == blocks.count;
    // The whole block where it lies in the reader's buffer, and its lines
    // formatted in place in the writer's: nothing is copied on the way.
    const std::uint8_t* block = reader.View(ocb::HeaderOffset(info.layout, b), ocb::kBlockSize);
    char* const room = out.Reserve(block_room);
    char* end = room;
    for (int i = 0; i < ocb::kRecordsPerBlock; ++i) {
      const std::uint8_t* record =
          block + ocb::kHeaderSize + static_cast<std::size_t>(i) * ocb::kRecordSize;
      if (last_block && ocb::IsUnusedSlot(record)) continue;
      end = formatter.Format(record, end);
      ++calls;
    }
    if (!out.Commit(static_cast<std::size_t>(end - room))) return FileOutcome::kWriteFailed;
    if (reader.ReadFailed()) {
      ShowError(host, "Cannot read the input file " + path +
                          ": the file could not be read to "
                          "its end");
      return FileOutcome::kFailed;
    }
    host.PumpEvents();
    if (host.StopRequested()) return FileOutcome::kStoppedByUser;
    if ((b + 1) % step == 0 && progress < 100) host.SetProgress(++progress);
  }
  host.SetProgress(100);
  return FileOutcome::kDone;
}

}  // namespace

FieldSelection DefaultFieldSelection() {
  return {4, 5, 6, 8, 12, 13, 14, 15};
}

void FormatLine(const OcbFields& fields, const FieldSelection& selection, std::string& line) {
  line.clear();
  for (std::size_t i = 0; i < selection.size(); ++i) {
    if (i > 0) line.push_back(',');
    const bool spaced = i + 1 == selection.size() && ocb::IsIntegerField(selection[i]);
    if (spaced) line.push_back(' ');
    line += fields.Text(selection[i]);
    if (spaced) line.push_back(' ');
  }
}

std::uint64_t ProgressStep(std::uint64_t block_count) {
  const std::int64_t step = platform::RoundHalfEvenToInt(static_cast<double>(block_count) / 100.0);
  return step < 1 ? 1 : static_cast<std::uint64_t>(step);
}

std::string ProcessingText(const std::string& path) {
  const std::vector<std::size_t> starts = CharacterStarts(path);
  if (starts.size() <= kLabelLimit) return "Processing " + path;
  const std::size_t head_end = starts[kLabelEnds];
  const std::size_t tail_begin = starts[starts.size() - kLabelEnds];
  return "Processing " + path.substr(0, head_end) + "..............." + path.substr(tail_begin);
}

std::string ClosingText(std::uint64_t calls, std::size_t files) {
  return std::to_string(calls) + " Records Written from " + std::to_string(files) + " Files";
}

ExtractionResult ExtractFiles(const ExtractionRequest& request, Host& host) {
  ExtractionResult result;
  if (request.list_entries == 0 && request.files.empty()) {
    ShowError(host, "No Input File Available in the List Box");
    return result;
  }
  if (request.files.empty()) {
    ShowError(host, "No Input File Selected in the List Box");
    return result;
  }
  // A line of nothing but commas helps nobody: refuse before the output is emptied.
  if (request.fields.empty()) {
    ShowError(host, "No Output Field Selected. Please tick at least one of the Output Options");
    return result;
  }
  // Creating the output empties it: never let that be one of the inputs.
  for (const std::string& path : request.files) {
    std::error_code same_error;
    if (std::filesystem::equivalent(request.output_path, path, same_error)) {
      ShowError(host, "Cannot create the output file " + request.output_path +
                          ": it is one of the input files");
      result.outcome = RunOutcome::kFailed;
      return result;
    }
  }
  // A folder named as the output would only fail at the very end, when the
  // finished lines are moved into place.
  std::error_code kind_error;
  if (std::filesystem::is_directory(request.output_path, kind_error)) {
    ShowError(host, "Cannot create the output file " + request.output_path + ": " +
                        std::make_error_code(std::errc::is_a_directory).message());
    result.outcome = RunOutcome::kFailed;
    return result;
  }
  host.SetBusy(true);
  // The output is written beside its target and moved into place only when
  // the run ends as it should; created now, so that an output that cannot be
  // written is found before the first file is read.
  platform::FileReplacer out;
  if (!out.Begin(request.output_path)) {
    host.SetBusy(false);
    ShowError(host, "Cannot create the output file " + out.Error());
    result.outcome = RunOutcome::kFailed;
    return result;
  }
  result.outcome = RunOutcome::kCompleted;
  std::size_t refused = 0;
  try {
    for (const std::string& path : request.files) {
      ++result.files_taken_up;
      const FileOutcome outcome =
          ExtractOneFile(path, request.fields, out.Writer(), host, result.calls);
      if (outcome == FileOutcome::kDone) continue;
      if (outcome == FileOutcome::kSkipped) {
        ++result.files_skipped;
        ++refused;
        continue;
      }
      if (outcome == FileOutcome::kStopAtInvalid) ++refused;
      if (outcome == FileOutcome::kWriteFailed)
        ShowError(host, "Cannot write the output file " + out.Target().string() + ": " +
                            out.Writer().Reason());
      result.outcome = outcome == FileOutcome::kStopAtInvalid   ? RunOutcome::kStoppedAtInvalid
                       : outcome == FileOutcome::kStoppedByUser ? RunOutcome::kStoppedByUser
                                                                : RunOutcome::kFailed;
      break;
    }
  } catch (const std::exception& e) {
    ShowError(host, std::string("The extraction stopped: ") + e.what());
    result.outcome = RunOutcome::kFailed;
  }
  bool written = true;
  if (result.outcome == RunOutcome::kFailed) {
    out.Cancel();
  } else if (refused == request.files.size()) {
    // Nothing but files that are no OCB data: what the output held is kept.
    out.Cancel();
  } else {
    written = CommitOutput(out, host);
  }
  host.SetBusy(false);
  if (!written) {
    result.outcome = RunOutcome::kFailed;
  } else if (result.outcome == RunOutcome::kCompleted ||
             result.outcome == RunOutcome::kStoppedAtInvalid) {
    host.ShowMessage({ClosingText(result.calls, result.files_taken_up), kProgramTitle,
                      MessageIcon::kInformation, MessageButtons::kOk});
  }
  host.SetProgress(0);
  host.SetStatusText("");
  return result;
}

}  // namespace ostrel
