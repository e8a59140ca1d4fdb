#include "ostrel/extraction_run.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "formats/ocb/blocks.h"
#include "formats/ocb/digits.h"
#include "ostrel/call_table.h"
#include "ostrel/record_line.h"
#include "platform/binary_reader.h"
#include "platform/call_store.h"
#include "platform/digits.h"
#include "platform/file_replacer.h"
#include "platform/numbers.h"
#include "platform/open_file.h"
#include "platform/parallel.h"

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

// Every format but text: each record's field texts, written by the line's
// own field writers (so the values are the line's), go as they are to a row
// writer (csv, jsonl) or to the database. Set up once a run, so that the
// text lines keep their own loop untouched.
class CallRows {
 public:
  CallRows(const FieldSelection& fields, OutputFormat format, platform::CallStore* store)
      : fields_(fields), store_(store) {
    // call_start is made from the date and time, ticked or not.
    FieldMask wanted = MaskOf(fields);
    wanted[ocb::kDateField] = true;
    wanted[ocb::kTimeField] = true;
    for (int field = 1; field <= ocb::kFieldCount; ++field)
      if (wanted[static_cast<std::size_t>(field)]) decoded_.push_back(field);
    for (const int field : {ocb::kDateField, ocb::kTimeField})
      if (!MaskOf(fields)[static_cast<std::size_t>(field)]) unchosen_.push_back(field);
    if (store_ != nullptr) {
      // Every field has its column; one not chosen stays NULL.
      cells_.assign(ocb::kFieldCount, std::string_view());
    } else {
      table_.emplace(format == OutputFormat::kCsv ? platform::TableFormat::kCsv
                                                  : platform::TableFormat::kJsonl,
                     RowColumns(fields));
      cells_.assign(table_->Columns().size(), std::string_view());
    }
  }

  bool WriteHeader(platform::TextWriter& out) const { return !table_ || table_->WriteHeader(out); }

  // False when the database refused the file (store's Error()).
  bool BeginFile(const std::string& path, int header_year, int header_day) {
    formatter_.emplace(decoded_, header_year, header_day);
    scratch_.resize(formatter_->MaxLineBytes());
    if (table_) {
      // A line of commas only is the CSV row's start, made by the line's
      // own quick writer.
      csv_line_.reset();
      if (table_->Format() == platform::TableFormat::kCsv) {
        csv_line_.emplace(fields_, header_year, header_day);
        if (!csv_line_->CommasOnly()) csv_line_.reset();
      }
      table_->FixCell(fields_.size() + 1, path);
      // The chosen fields' texts, the moment and the record number.
      row_room_ = table_->RowRoom(formatter_->MaxLineBytes() + platform::kIsoMomentLength + 20);
      if (csv_line_) {
        csv_end_.SetFile(path);
        row_room_ = std::max(row_room_, csv_line_->MaxLineBytes() + csv_end_.Room());
      }
    }
    if (store_ == nullptr) return true;
    in_file_ = store_->BeginFile(platform::DescribeInputFile(path, "OCB-283", "ostrel"));
    return in_file_;
  }
  // Commits the file's calls when it was read to its end, else rolls them
  // back; false when committing failed.
  bool EndFile(bool read_to_end) {
    if (!in_file_) return true;
    in_file_ = false;
    if (read_to_end) return store_->CommitFile();
    store_->RollbackFile();
    return true;
  }

  // The calls of one block; false when a row could not be written (`out`'s
  // reason) or loaded (the store's Error()).
  bool PutBlock(const std::uint8_t* block, std::uint64_t block_number, bool last_block,
                platform::TextWriter& out, std::uint64_t& calls) {
    // Every slot walked counts, written or not: (file, record_no) is a
    // call's key.
    std::uint64_t record_no = block_number * ocb::kRecordsPerBlock;
    for (int i = 0; i < ocb::kRecordsPerBlock; ++i) {
      const std::uint8_t* record =
          block + ocb::kHeaderSize + static_cast<std::size_t>(i) * ocb::kRecordSize;
      ++record_no;
      if (last_block && ocb::IsUnusedSlot(record)) continue;
      if (!WriteRow(record, record_no, out)) return false;
      ++calls;
    }
    // Whole rows go out a block at a time, as the lines do.
    return batch_.Commit();
  }

 private:
  bool WriteRow(const std::uint8_t* record, std::uint64_t record_no, platform::TextWriter& out) {
    if (store_ == nullptr) return PutRow(record, record_no, out);
    // The texts one after the other in the scratch room; a writer's bytes
    // past its end are overwritten by the next.
    char* at = scratch_.data();
    for (const int field : decoded_) {
      char* const end = formatter_->PutField(field, record, at);
      texts_[static_cast<std::size_t>(field)] = {at, static_cast<std::size_t>(end - at)};
      at = end;
    }
    char moment[platform::kIsoMomentLength];
    const char* moment_end =
        platform::PutIsoMoment(moment, texts_[ocb::kDateField], texts_[ocb::kTimeField]);
    const std::string_view call_start(moment, static_cast<std::size_t>(moment_end - moment));
    for (const int field : fields_)
      cells_[static_cast<std::size_t>(field - 1)] = texts_[static_cast<std::size_t>(field)];
    return store_->AddCall(static_cast<std::int64_t>(record_no), call_start, cells_.data());
  }

  // Every field's text is plain and every integer's has no leading zeros
  // (see call_table.cpp): the field writers write straight into the row,
  // between the table's pieces, and nothing is copied twice.
  bool PutRow(const std::uint8_t* record, std::uint64_t record_no, platform::TextWriter& out) {
    char* at = batch_.Room(out, row_room_);
    if (at == nullptr) return false;
    if (csv_line_) {
      // call_start's date and time, chosen or not, in the scratch room.
      char* time_end;
      char* const time = csv_line_->PutDateAndTime(record, scratch_.data(), &time_end);
      at = csv_line_->Format(record, at) - 2;  // without its CR LF
      batch_.Add(csv_end_.Put(at,
                              {scratch_.data(), static_cast<std::size_t>(time - scratch_.data())},
                              {time, static_cast<std::size_t>(time_end - time)}, record_no));
      return true;
    }
    // Date and time not chosen go to the scratch room: call_start needs them.
    char* extra = scratch_.data();
    for (const int field : unchosen_) {
      char* const end = formatter_->PutField(field, record, extra);
      texts_[static_cast<std::size_t>(field)] = {extra, static_cast<std::size_t>(end - extra)};
      extra = end;
    }
    std::size_t step = 0;
    for (const int field : fields_) {
      at = table_->PutLead(at, step++);
      char* const end = formatter_->PutField(field, record, at);
      texts_[static_cast<std::size_t>(field)] = {at, static_cast<std::size_t>(end - at)};
      at = end;
    }
    return EndRow(at, step, record_no);
  }

  // call_start, the file's name and record_no after the fields, which end at
  // `at`; `step` is call_start's.
  bool EndRow(char* at, std::size_t step, std::uint64_t record_no) {
    char moment[platform::kIsoMomentLength];
    const char* moment_end = moments_.Put(moment, texts_[ocb::kDateField], texts_[ocb::kTimeField]);
    at = table_->PutLead(at, step);
    at = table_->PutCell(at, step++, {moment, static_cast<std::size_t>(moment_end - moment)});
    at = table_->PutLead(at, step);
    at = platform::PutDecimal(at, record_no);
    batch_.Add(table_->PutEnd(at));
    return true;
  }

  const FieldSelection& fields_;
  platform::CallStore* store_;
  std::vector<int> decoded_;   // the chosen fields, date and time
  std::vector<int> unchosen_;  // date and time when not chosen
  std::optional<RecordLineFormatter> formatter_;
  std::optional<RecordLineFormatter> csv_line_;  // csv: the chosen fields as one line
  platform::CsvCallEnd csv_end_;                 // after csv_line_'s fields
  std::vector<char> scratch_;
  std::array<std::string_view, ocb::kFieldCount + 1> texts_{};  // by field number
  std::optional<platform::TableWriter> table_;
  platform::LineBatch batch_;
  std::vector<std::string_view> cells_;
  std::size_t row_room_ = 0;
  platform::IsoMoments moments_;
  bool in_file_ = false;
};

enum class FileOutcome {
  kDone,
  kSkipped,
  kStopAtInvalid,
  kStoppedByUser,
  kFailed,
  kWriteFailed,  // not yet reported: the writer knows the reason
  kLoadFailed,   // not yet reported: the database knows the reason
};

// The lines (or rows) of blocks [first, end) of a file whose run of blocks
// in sequence is `block_count` long, into `out`. After each block
// `after_block` says whether to go on (kDone) or how the file ends.
template <typename AfterBlock>
FileOutcome PutBlocks(platform::BinaryReader& reader, ocb::Layout layout, std::uint64_t block_count,
                      std::uint64_t first, std::uint64_t end, RecordLineFormatter& formatter,
                      CallRows* rows, platform::TextWriter& out, std::uint64_t& calls,
                      AfterBlock after_block) {
  const std::size_t block_room = ocb::kRecordsPerBlock * formatter.MaxLineBytes();
  for (std::uint64_t b = first; b < end; ++b) {
    const bool last_block = b + 1 == block_count;
    // The whole block where it lies in the reader's buffer, and its lines
    // formatted in place in the writer's: nothing is copied on the way.
    const std::uint8_t* block = reader.View(ocb::HeaderOffset(layout, b), ocb::kBlockSize);
    if (rows != nullptr) {
      if (!rows->PutBlock(block, b, last_block, out, calls))
        return out.Ok() ? FileOutcome::kLoadFailed : FileOutcome::kWriteFailed;
    } else {
      char* const room = out.Reserve(block_room);
      char* end_of_lines = room;
      for (int i = 0; i < ocb::kRecordsPerBlock; ++i) {
        const std::uint8_t* record =
            block + ocb::kHeaderSize + static_cast<std::size_t>(i) * ocb::kRecordSize;
        if (last_block && ocb::IsUnusedSlot(record)) continue;
        end_of_lines = formatter.Format(record, end_of_lines);
        ++calls;
      }
      if (!out.Commit(static_cast<std::size_t>(end_of_lines - room)))
        return FileOutcome::kWriteFailed;
    }
    const FileOutcome next = after_block(b);
    if (next != FileOutcome::kDone) return next;
  }
  return FileOutcome::kDone;
}

std::string UnreadableText(const std::string& path) {
  return "Cannot read the input file " + path + ": the file could not be read to its end";
}

// `rows`: null for the text lines.
FileOutcome ExtractOneFile(const std::string& path, const FieldSelection& fields,
                           platform::TextWriter& out, CallRows* rows, Host& host,
                           std::uint64_t& calls) {
  host.SetProgress(0);
  platform::BinaryReader reader;
  std::string reason;
  if (!reader.Open(platform::PathOf(path), &reason)) {
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
  if (rows != nullptr && !rows->BeginFile(path, blocks.header_year, blocks.header_day))
    return FileOutcome::kLoadFailed;

  RecordLineFormatter formatter(fields, blocks.header_year, blocks.header_day);
  int progress = 0;
  auto after_block = [&](std::uint64_t b) {
    if (reader.ReadFailed()) {
      ShowError(host, UnreadableText(path));
      return FileOutcome::kFailed;
    }
    host.PumpEvents();
    if (host.StopRequested()) return FileOutcome::kStoppedByUser;
    if ((b + 1) % step == 0 && progress < 100) host.SetProgress(++progress);
    return FileOutcome::kDone;
  };
  const FileOutcome outcome = PutBlocks(reader, info.layout, blocks.count, 0, blocks.count,
                                        formatter, rows, out, calls, after_block);
  if (outcome != FileOutcome::kDone) return outcome;
  host.SetProgress(100);
  return FileOutcome::kDone;
}

// A piece of a run on several workers: a whole file, or a stretch of the
// blocks of a large one. Every block stands alone (its records are dated
// against block 0's header, numbered by their place, and only the last
// block of the run has unused slots), so a stretch needs nothing from the
// one before it but what every stretch reads itself from the file's headers.
struct Stretch {
  std::size_t file = 0;
  std::uint64_t first_block = 0;
  std::uint64_t end_block = 0;  // the file's last stretch goes on to the run's end
  bool opens_file = false;
  bool ends_file = false;
};

// Cut by size alone, before any file is read, so that each stretch is made
// wholly on its worker.
std::vector<Stretch> CutIntoStretches(const std::vector<std::string>& files,
                                      std::uint64_t stretch_bytes) {
  const std::uint64_t per_stretch = std::max<std::uint64_t>(1, stretch_bytes / ocb::kBlockSize);
  std::vector<Stretch> stretches;
  for (std::size_t f = 0; f < files.size(); ++f) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(platform::PathOf(files[f]), error);
    std::uint64_t count = 1;
    if (!error && size > stretch_bytes) {
      // No header of a block in sequence starts at or past this many block
      // sizes, in either layout.
      const std::uint64_t most_blocks = (size + ocb::kBlockSize - 1) / ocb::kBlockSize;
      count = std::max<std::uint64_t>(1, (most_blocks + per_stretch - 1) / per_stretch);
    }
    for (std::uint64_t k = 0; k < count; ++k)
      stretches.push_back({f, k * per_stretch, (k + 1) * per_stretch, k == 0, k + 1 == count});
  }
  return stretches;
}

// What a worker made of a stretch; nothing here has been shown or written.
struct StretchResult {
  enum class Found { kBlocks, kCannotOpen, kNotOcb } found = Found::kBlocks;
  std::string reason;             // kCannotOpen: the system's
  std::uint64_t block_count = 0;  // the file's run of blocks in sequence
  std::uint64_t first_block = 0;  // the blocks decoded: [first_block, end_block)
  std::uint64_t end_block = 0;
  std::uint64_t calls = 0;
  // kDone, kFailed (the input could not be read to its end) or kWriteFailed
  // (`out` itself failed).
  FileOutcome outcome = FileOutcome::kDone;
  std::unique_ptr<platform::TextWriter> out;  // the lines or rows, when any block was decoded
};

StretchResult MakeStretch(const Stretch& stretch, const ExtractionRequest& request,
                          const platform::RunEnded& ended) {
  StretchResult made;
  const std::string& path = request.files[stretch.file];
  platform::BinaryReader reader;
  if (!reader.Open(platform::PathOf(path), &made.reason)) {
    made.found = StretchResult::Found::kCannotOpen;
    return made;
  }
  ocb::FileInfo info;
  if (!ocb::CheckDataFile(reader, info)) {
    made.found = StretchResult::Found::kNotOcb;
    return made;
  }
  reader.MapFile();
  const ocb::BlockCount blocks = ocb::CountBlocks(reader, info.layout);
  made.block_count = blocks.count;
  made.first_block = std::min(stretch.first_block, blocks.count);
  made.end_block = stretch.ends_file ? blocks.count : std::min(stretch.end_block, blocks.count);
  if (made.first_block >= made.end_block) return made;
  made.out = std::make_unique<platform::TextWriter>();
  if (!made.out->OpenTemporary()) {
    made.outcome = FileOutcome::kWriteFailed;
    return made;
  }
  std::optional<CallRows> rows;
  if (request.format != OutputFormat::kText) {
    rows.emplace(request.fields, request.format, nullptr);
    rows->BeginFile(path, blocks.header_year, blocks.header_day);
  }
  RecordLineFormatter formatter(request.fields, blocks.header_year, blocks.header_day);
  auto after_block = [&](std::uint64_t) {
    if (reader.ReadFailed()) return FileOutcome::kFailed;
    // The run has ended: what is made now is dropped anyway.
    if (ended.load(std::memory_order_relaxed)) return FileOutcome::kStoppedByUser;
    return FileOutcome::kDone;
  };
  made.outcome = PutBlocks(reader, info.layout, blocks.count, made.first_block, made.end_block,
                           formatter, rows ? &*rows : nullptr, *made.out, made.calls, after_block);
  return made;
}

// Takes the stretches in list order on the calling thread: the questions,
// messages, progress and stop of each file come exactly where one worker
// meets them, and the output gets the same bytes.
class StretchTaker {
 public:
  StretchTaker(const ExtractionRequest& request, const std::vector<Stretch>& stretches,
               platform::FileReplacer& out, Host& host, ExtractionResult& result)
      : request_(request), stretches_(stretches), out_(out), host_(host), result_(result) {}

  // The outcome of a file once it is known; kDone while it goes on.
  FileOutcome Take(std::size_t i, StretchResult& made) {
    const Stretch& stretch = stretches_[i];
    const std::string& path = request_.files[stretch.file];
    if (stretch.opens_file) {
      ++result_.files_taken_up;
      skipping_ = false;
      host_.SetProgress(0);
      if (made.found == StretchResult::Found::kCannotOpen) {
        ShowError(host_, "Cannot open the input file " + path + ": " + made.reason);
        return FileOutcome::kFailed;
      }
      if (made.found == StretchResult::Found::kNotOcb) {
        const MessageAnswer answer =
            host_.ShowMessage({path + " is not a valid OCB Data File.  Do you Want to continue?",
                               "Wrong Data File", MessageIcon::kQuestion, MessageButtons::kYesNo});
        if (answer != MessageAnswer::kYes) return FileOutcome::kStopAtInvalid;
        skipping_ = true;
        return FileOutcome::kSkipped;
      }
      block_count_ = made.block_count;
      step_ = ProgressStep(made.block_count);
      progress_ = 0;
      host_.SetStatusText(ProcessingText(path));
    }
    if (skipping_) return FileOutcome::kDone;
    // A later stretch that saw another file than the first did: it changed
    // under the run.
    if (made.found != StretchResult::Found::kBlocks || made.block_count != block_count_) {
      ShowError(host_, UnreadableText(path));
      return FileOutcome::kFailed;
    }
    if (made.out) {
      if (made.outcome == FileOutcome::kWriteFailed || !made.out->AppendTo(out_.Writer())) {
        const std::string& reason =
            out_.Writer().Ok() ? made.out->Reason() : out_.Writer().Reason();
        ShowError(host_, "Cannot write the output file " + out_.Target().string() + ": " + reason);
        return FileOutcome::kFailed;
      }
      made.out.reset();
    }
    result_.calls += made.calls;
    if (made.outcome == FileOutcome::kFailed) {
      ShowError(host_, UnreadableText(path));
      return FileOutcome::kFailed;
    }
    if (made.end_block > made.first_block) {
      // The bar and the stop where one worker's block by block check meets
      // them: each block moves the bar after the stop was looked at.
      MoveBarTo(made.end_block - 1);
      host_.PumpEvents();
      if (host_.StopRequested()) return FileOutcome::kStoppedByUser;
      MoveBarTo(made.end_block);
    }
    if (stretch.ends_file) host_.SetProgress(100);
    return FileOutcome::kDone;
  }

 private:
  // The bar as it stands after `blocks` blocks of the file.
  void MoveBarTo(std::uint64_t blocks) {
    const std::uint64_t reached = std::min<std::uint64_t>(100, blocks / step_);
    while (static_cast<std::uint64_t>(progress_) < reached) host_.SetProgress(++progress_);
  }

  const ExtractionRequest& request_;
  const std::vector<Stretch>& stretches_;
  platform::FileReplacer& out_;
  Host& host_;
  ExtractionResult& result_;
  bool skipping_ = false;  // the rest of a file answered Yes to
  std::uint64_t block_count_ = 0;
  std::uint64_t step_ = 1;
  int progress_ = 0;
};

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

std::string LoadedText(std::uint64_t calls, std::size_t files, const std::string& database) {
  return std::to_string(calls) + " Records Loaded from " + std::to_string(files) + " Files into " +
         database;
}

std::string DatabaseName(const ExtractionRequest& request) {
  return request.format == OutputFormat::kPostgres ? std::string("the PostgreSQL database")
                                                   : request.output_path;
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
  const bool database = platform::IsDatabaseFormat(request.format);
  const std::string refused_output = database
                                         ? "Cannot open the database " + request.output_path
                                         : "Cannot create the output file " + request.output_path;
  // Creating the output empties it: never let that be one of the inputs.
  // A connection text names no file.
  for (const std::string& path : request.files) {
    if (request.format == OutputFormat::kPostgres) break;
    std::error_code same_error;
    if (std::filesystem::equivalent(platform::PathOf(request.output_path), platform::PathOf(path),
                                    same_error)) {
      ShowError(host, refused_output + ": it is one of the input files");
      result.outcome = RunOutcome::kFailed;
      return result;
    }
  }
  // A folder named as the output would only fail at the very end, when the
  // finished lines are moved into place. (A database refuses it itself.)
  std::error_code kind_error;
  if (!database &&
      std::filesystem::is_directory(platform::PathOf(request.output_path), kind_error)) {
    ShowError(host,
              refused_output + ": " + std::make_error_code(std::errc::is_a_directory).message());
    result.outcome = RunOutcome::kFailed;
    return result;
  }
  host.SetBusy(true);
  // The output is written beside its target and moved into place only when
  // the run ends as it should; created now, so that an output that cannot be
  // written is found before the first file is read. A database is checked
  // now too, and is never replaced: each file is one transaction in it.
  platform::FileReplacer out;
  std::unique_ptr<platform::CallStore> store;
  if (database) {
    std::string reason;
    store = platform::OpenCallStore(request.format, request.output_path, CallTable(), &reason);
    if (store == nullptr) {
      host.SetBusy(false);
      ShowError(host, "Cannot open the database " + reason);
      result.outcome = RunOutcome::kFailed;
      return result;
    }
  } else if (!out.Begin(platform::PathOf(request.output_path))) {
    host.SetBusy(false);
    ShowError(host, "Cannot create the output file " + out.Error());
    result.outcome = RunOutcome::kFailed;
    return result;
  }
  std::optional<CallRows> rows;
  if (request.format != OutputFormat::kText)
    rows.emplace(request.fields, request.format, store.get());
  if (rows && !rows->WriteHeader(out.Writer())) {
    host.SetBusy(false);
    ShowError(host, "Cannot write the output file " + out.Target().string() + ": " +
                        out.Writer().Reason());
    out.Cancel();
    result.outcome = RunOutcome::kFailed;
    return result;
  }
  CallRows* const row_path = rows ? &*rows : nullptr;
  result.outcome = RunOutcome::kCompleted;
  std::size_t refused = 0;
  // What a file's outcome means for the run: false when the run ends with it.
  auto go_on = [&](FileOutcome outcome) {
    if (outcome == FileOutcome::kDone) return true;
    if (outcome == FileOutcome::kSkipped) {
      ++result.files_skipped;
      ++refused;
      return true;
    }
    if (outcome == FileOutcome::kStopAtInvalid) ++refused;
    if (outcome == FileOutcome::kWriteFailed)
      ShowError(host, "Cannot write the output file " + out.Target().string() + ": " +
                          out.Writer().Reason());
    if (outcome == FileOutcome::kLoadFailed)
      ShowError(host, "Cannot load the calls into " + store->Error());
    result.outcome = outcome == FileOutcome::kStopAtInvalid   ? RunOutcome::kStoppedAtInvalid
                     : outcome == FileOutcome::kStoppedByUser ? RunOutcome::kStoppedByUser
                                                              : RunOutcome::kFailed;
    return false;
  };
  try {
    std::vector<Stretch> stretches;
    if (request.workers > 1 && !store)
      stretches = CutIntoStretches(request.files, request.stretch_bytes);
    // One piece alone gains nothing from a worker: it goes straight to the
    // output instead of through a temporary writer.
    if (stretches.size() > 1) {
      StretchTaker taker(request, stretches, out, host, result);
      platform::RunInOrder<StretchResult>(
          stretches.size(), request.workers, 2 * std::size_t{request.workers},
          [&](std::size_t i, const platform::RunEnded& ended) {
            return MakeStretch(stretches[i], request, ended);
          },
          [&](std::size_t i, StretchResult& made) { return go_on(taker.Take(i, made)); },
          [&] { host.PumpEvents(); });
    } else {
      for (const std::string& path : request.files) {
        ++result.files_taken_up;
        const std::uint64_t calls_before = result.calls;
        FileOutcome outcome =
            ExtractOneFile(path, request.fields, out.Writer(), row_path, host, result.calls);
        // A database keeps whole files only.
        if (store && !rows->EndFile(outcome == FileOutcome::kDone))
          outcome = FileOutcome::kLoadFailed;
        if (store && outcome != FileOutcome::kDone) result.calls = calls_before;
        if (!go_on(outcome)) break;
      }
    }
  } catch (const std::exception& e) {
    if (rows) rows->EndFile(false);
    ShowError(host, std::string("The extraction stopped: ") + e.what());
    result.outcome = RunOutcome::kFailed;
  }
  bool written = true;
  if (store) {
    result.files_loaded = static_cast<std::size_t>(store->FilesCommitted());
    // A failure was reported when it happened; closing can still fail.
    if (!store->Close() && result.outcome != RunOutcome::kFailed) {
      ShowError(host, "Cannot load the calls into " + store->Error());
      written = false;
    }
  } else if (result.outcome == RunOutcome::kFailed) {
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
    host.ShowMessage({store ? LoadedText(result.calls, result.files_loaded, DatabaseName(request))
                            : ClosingText(result.calls, result.files_taken_up),
                      kProgramTitle, MessageIcon::kInformation, MessageButtons::kOk});
  }
  host.SetProgress(0);
  host.SetStatusText("");
  return result;
}

}  // namespace ostrel
