#include "vantor/extraction_run.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/digits.h"
#include "platform/interrupt.h"
#include "platform/open_file.h"
#include "platform/parallel.h"
#include "vantor/call_table.h"

namespace vantor {

namespace {

// Copies `slot` to `out` and returns the end. Room for SlotText::kCapacity +
// SlotText::kSlack bytes must be there.
inline char* PutSlot(char* out, const SlotText& slot) {
  const std::size_t count = slot.size();
  // Most values are short: one fixed-size move (the slack makes it safe).
  if (count <= SlotText::kSlack)
    std::memcpy(out, slot.data(), SlotText::kSlack);
  else
    std::memcpy(out, slot.data(), count);
  return out + count;
}

// The same without leading and trailing blanks.
char* PutTrimmed(char* out, const SlotText& slot) {
  const char* begin = slot.data();
  const char* end = begin + slot.size();
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  const auto count = static_cast<std::size_t>(end - begin);
  std::memcpy(out, begin, count);
  return out + count;
}

std::string_view Trimmed(const SlotText& slot) {
  std::string_view text = slot.View();
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Only the six trunk group characters can hold blanks; every other slot is
// digits the decoder wrote.
bool MayHoldBlanks(int slot) {
  return slot == formats::ewsd::kOutgoingGroupSlot || slot == formats::ewsd::kIncomingGroupSlot;
}

// A worker's host: it shows nothing; the one message that ends a piece
// (an invalid file, an unsupported package) is kept for the calling thread
// to show in its turn.
class PieceHost : public Host {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    shown = message;
    return message.buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kYes;
  }
  void SetStatusText(const std::string&) override {}
  void SetProgress(int) override {}
  void PumpEvents() override {}
  void SetAnalysisProgress(int) override {}
  void SetAnalysisLabels(const AnalysisLabels&) override {}
  std::optional<Message> shown;
};

}  // namespace

struct ExtractionRun::Piece {
  std::size_t file = 0;
  std::int64_t begin = 0;
  std::int64_t end = INT64_MAX;  // the file's end
  std::int64_t length = 0;       // the file's length, for progress
  std::int64_t records_before = 0;
  bool first = true;  // of its file
  bool last = true;
};

struct ExtractionRun::PieceResult {
  std::unique_ptr<platform::TextWriter> text = std::make_unique<platform::TextWriter>();
  bool numbered = false;  // its lines begin with their number, renumbered when taken
  std::vector<std::uint32_t> line_lengths;
  bool opened = true;
  std::string error;  // why the input could not be opened, or the piece not written
  bool write_failed = false;
  bool read_failed = false;
  bool interrupted = false;
  std::optional<Message> message;
  MessageAnswer answer = MessageAnswer::kOk;
  DecoderCondition condition = DecoderCondition::kNone;
  std::int64_t lines = 0;
  std::int64_t records = 0;
  Slots slots;
};

std::string LoadedText(std::int64_t calls, std::int64_t files, const std::string& database) {
  return std::to_string(calls) + " Records Loaded from " + std::to_string(files) +
         (files == 1 ? " File" : " Files") + " into " + database;
}

std::string CompletionText(std::int64_t lines, std::size_t files) {
  std::string text =
      std::to_string(lines) + " Records Have Been Written from " + std::to_string(files);
  text += files == 1 ? "File" : " Files";
  return text;
}

RunResult ExtractionRun::StartExtraction(const RunSettings& settings) {
  if (busy_) return {RunOutcome::kIgnored, 0};
  decoder_.SetGo(true);
  // PostgreSQL may take its server from the PG* variables alone.
  if (settings.output_path.empty() && settings.format != OutputFormat::kPostgres) {
    host_.ShowMessage({"Please Enter a Valid Output File Name", "Data Missing",
                       MessageIcon::kInformation, MessageButtons::kOk});
    return {RunOutcome::kMissingOutput, 0};
  }
  if (settings.input_paths.empty()) {
    host_.ShowMessage({"Please Select Atleast one file in the File List Box to Proceed",
                       kProgramName, MessageIcon::kError, MessageButtons::kOk});
    return {RunOutcome::kNoInput, 0};
  }
  // Creating the output empties it: never let that be one of the inputs.
  for (const std::string& path : settings.input_paths) {
    std::error_code error;
    if (std::filesystem::equivalent(platform::PathOf(settings.output_path), platform::PathOf(path),
                                    error)) {
      Fail("The output file " + settings.output_path +
           " is one of the input files. Please choose another output file name.");
      return {RunOutcome::kFailed, 0};
    }
  }
  store_.reset();
  Configure(settings);
  out_ = &output_.Writer();
  line_lengths_ = nullptr;
  lines_written_ = 0;
  last_progress_ = 0;
  terminated_ = false;
  abandoned_ = false;
  interrupted_ = false;
  decoder_.ClearAnswer();
  // Values left over from an earlier run's unwritten record belong to another
  // file and must not carry into this run.
  for (SlotText& slot : decoder_.Slot()) slot.clear();
  // A folder named as the output would only fail at the very end, when the
  // finished lines are moved into place.
  std::error_code kind_error;
  if (std::filesystem::is_directory(platform::PathOf(settings.output_path), kind_error)) {
    Fail("The output file cannot be created: " + settings.output_path + ": " +
         std::make_error_code(std::errc::is_a_directory).message());
    return {RunOutcome::kFailed, 0};
  }
  calls_loaded_ = 0;
  files_loaded_ = 0;
  if (platform::IsDatabaseFormat(settings.format)) {
    // Checked before the first file is read; a database refused is left as
    // it was.
    if (!OpenStore(settings)) return {RunOutcome::kFailed, 0};
  } else if (!output_.Begin(platform::PathOf(settings.output_path))) {
    // Created now, so that an output that cannot be written is found before
    // the first file is read.
    Fail("The output file cannot be created: " + output_.Error());
    return {RunOutcome::kFailed, 0};
  } else if (table_ && !table_->WriteHeader(output_.Writer())) {
    Fail("The output file could not be written: " + WriteError());
    return {RunOutcome::kFailed, 0};
  }

  const PassKind kind =
      settings.input_paths.size() > 1 ? PassKind::kSeveralFiles : PassKind::kSingle;
  RunOutcome outcome = RunOutcome::kCompleted;
  std::size_t refused = 0;
  // A database keeps one transaction a file on one connection: one worker.
  std::vector<Piece> pieces;
  // Renumbered pieces need the number first in every line.
  const bool number_first = !show_number_ || columns_.empty() || columns_.front() == 0;
  if (settings.workers > 1 && !store_ && !repeated_columns_ && number_first) {
    busy_ = true;  // a Cancel while long files are cut stops the run
    pieces = CutPieces(settings, kind);
  }
  if (pieces.size() > 1) {
    bool failed = false;
    outcome = ExtractInParallel(settings, pieces, kind, &refused, &failed);
    if (failed) return {RunOutcome::kFailed, lines_written_, files_loaded_};
  } else {
    for (const std::string& path : settings.input_paths) {
      const FileEnd end = ExtractFile(path, kind);
      if (end == FileEnd::kFailed) {
        CloseStore();
        return {RunOutcome::kFailed, lines_written_, files_loaded_};
      }
      if (refused_) ++refused;
      if (end == FileEnd::kSkipped) outcome = RunOutcome::kFilesSkipped;
      if (end == FileEnd::kStopRun) {
        outcome = interrupted_ ? RunOutcome::kInterrupted : RunOutcome::kStopped;
        break;
      }
    }
  }

  decoder_.Close();
  const std::int64_t files_loaded = files_loaded_;
  if (store_) {
    // A database this run created and filled with nothing is removed.
    if (!CloseStore()) return {RunOutcome::kFailed, lines_written_, files_loaded};
  } else if (CommitLines(), refused == settings.input_paths.size()) {
    // Nothing but refused files: what the output held before is kept.
    output_.Cancel();
  } else if (!output_.Commit()) {
    Fail("The output file could not be written: " + output_.Error());
    return {RunOutcome::kFailed, lines_written_};
  }
  if (abandoned_) return {RunOutcome::kStopped, lines_written_, files_loaded};
  if (interrupted_) {
    // The command line says that it stopped and how many lines it kept.
    busy_ = false;
    host_.SetProgress(0);
    host_.SetStatusText("");
    return {outcome, lines_written_, files_loaded};
  }
  const std::string text = platform::IsDatabaseFormat(format_)
                               ? LoadedText(calls_loaded_, files_loaded, StoreName())
                               : CompletionText(lines_written_, settings.input_paths.size());
  host_.ShowMessage({text, "Extraction Completed", MessageIcon::kInformation, MessageButtons::kOk});
  busy_ = false;
  host_.SetProgress(0);
  host_.SetStatusText("");
  return {outcome, lines_written_, files_loaded};
}

void ExtractionRun::Configure(const RunSettings& settings) {
  columns_ = settings.columns;
  // Slots no column shows are not formatted at all.
  std::uint32_t wanted = 0;
  repeated_columns_ = false;
  for (int column : columns_) {
    if (wanted & 1u << column) repeated_columns_ = true;
    wanted |= 1u << column;
  }
  table_.reset();
  csv_lines_ = false;
  format_ = settings.format;
  row_path_ = settings.format != OutputFormat::kText;
  if (settings.format != OutputFormat::kText) {
    // A row holds each column once; with no column it holds the serial
    // number, as the line does. Its call_start needs the date and time.
    row_slots_.clear();
    for (const int column : columns_.empty() ? std::vector<int>{0} : columns_)
      if (std::find(row_slots_.begin(), row_slots_.end(), column) == row_slots_.end())
        row_slots_.push_back(column);
    wanted |= 1u << formats::ewsd::kDateSlot | 1u << formats::ewsd::kTimeSlot;
    if (platform::IsTableFormat(settings.format)) {
      table_.emplace(settings.format == OutputFormat::kCsv ? platform::TableFormat::kCsv
                                                           : platform::TableFormat::kJsonl,
                     CallColumns(row_slots_));
      cells_.assign(table_->Columns().size(), {});
      // A line of each column once is a csv row's start.
      csv_lines_ = settings.format == OutputFormat::kCsv && !repeated_columns_;
      csv_commas_ = static_cast<unsigned>(row_slots_.size() - 1);
    } else {
      cells_.assign(kSlotCaptions.size(), {});
    }
  }
  decoder_.SetWantedSlots(wanted);
  show_number_ = columns_.empty() || (wanted & 1u) != 0;
  // The longest line: every column at full length plus its comma, CR LF.
  max_line_bytes_ =
      (std::max<std::size_t>(columns_.size(), 1)) * (SlotText::kCapacity + SlotText::kSlack + 1) +
      2;
  // A line or row that begins with the serial number: where its digits start.
  // A JSON row begins {"serial_number":
  number_at_ = settings.format == OutputFormat::kJsonl
                   ? platform::SnakeCaseKey(kSlotCaptions[formats::ewsd::kSerialSlot]).size() + 4
                   : 0;
}

bool ExtractionRun::OpenStore(const RunSettings& settings) {
  store_target_ =
      settings.format == OutputFormat::kSqlite ? settings.output_path : settings.database;
  std::string error;
  store_ = platform::OpenCallStore(settings.format, store_target_, CallShape(), &error);
  if (!store_) Fail("The database cannot be used: " + error);
  return store_ != nullptr;
}

bool ExtractionRun::CloseStore() {
  if (!store_) return true;
  store_->RollbackFile();  // nothing when no file is open
  const bool closed = store_->Close();
  if (!closed) Fail("The database could not be written: " + store_->Error());
  store_.reset();
  return closed;
}

std::string ExtractionRun::StoreName() const {
  return format_ == OutputFormat::kSqlite ? store_target_ : std::string("the PostgreSQL database");
}

ExtractionRun::FileEnd ExtractionRun::ExtractFile(const std::string& path, PassKind kind) {
  host_.SetStatusText("Processing File  " + path);
  refused_ = false;
  std::string reason;
  if (!decoder_.BeginFile(path, kind, &reason)) {
    Fail("The input file cannot be opened: " + path + ": " + reason);
    return FileEnd::kFailed;
  }
  host_.SetMessageFile(path);
  source_file_ = path;
  if (table_) table_->FixCell(row_slots_.size() + 1, path);
  if (csv_lines_) csv_end_.SetFile(path);
  if (store_) {
    file_first_line_ = lines_written_;
    if (!store_->BeginFile(platform::DescribeInputFile(path, "EWSD", "vantor"))) {
      Fail("The database could not be written: " + store_->Error());
      return FileEnd::kFailed;
    }
  }
  FileEnd end = ReadFile(path, kind);
  host_.SetMessageFile("");
  if (store_) {
    // A database keeps whole files only: one refused, stopped or failed
    // leaves none of its calls.
    if (end != FileEnd::kRead) {
      store_->RollbackFile();
    } else if (store_->CommitFile()) {
      calls_loaded_ += lines_written_ - file_first_line_;
      ++files_loaded_;
    } else {
      Fail("The database could not be written: " + store_->Error());
      end = FileEnd::kFailed;
    }
  }
  return end;
}

ExtractionRun::FileEnd ExtractionRun::ReadFile(const std::string& path, PassKind kind) {
  const std::int64_t lines_before = lines_written_;
  progress_step_ = decoder_.FileLength() / 100;
  next_progress_offset_ = 0;  // the first record of each file looks at once
  if (!DecodeRecords()) {
    Fail(store_ ? "The database could not be written: " + store_->Error()
                : "The output file could not be written: " + WriteError());
    return FileEnd::kFailed;
  }
  busy_ = false;
  if (decoder_.ReadFailed()) {
    Fail("The input file could not be read: " + path);
    return FileEnd::kFailed;
  }
  // Records but not one call among them (a text file reads as records
  // without date and time): no EWSD billing file.
  if (!terminated_ && decoder_.Condition() == DecoderCondition::kNone &&
      decoder_.RecordsFound() > 0 && lines_written_ == lines_before)
    decoder_.RefuseFile();
  refused_ = decoder_.Condition() == DecoderCondition::kInvalidFile;
  if (terminated_ || decoder_.Answer() == MessageAnswer::kNo) {
    terminated_ = false;
    decoder_.ClearAnswer();
    return FileEnd::kStopRun;
  }
  decoder_.Close();
  switch (decoder_.Condition()) {
    case DecoderCondition::kUnsupportedPackage:
      return FileEnd::kStopRun;
    case DecoderCondition::kInvalidFile:
      return kind == PassKind::kSeveralFiles ? FileEnd::kSkipped : FileEnd::kStopRun;
    case DecoderCondition::kNone:
      break;
  }
  host_.SetProgress(100);
  return FileEnd::kRead;
}

bool ExtractionRun::DecodeRecords() {
  for (;;) {
    busy_ = true;
    decoder_.FindNextRecord();
    if (!decoder_.Go()) break;
    decoder_.CountRecord();
    decoder_.ReadRecordHeader();
    decoder_.DecodePackages();
    if (!decoder_.Go()) break;
    if (!(row_path_ ? WriteRow() : WriteRecord())) return false;
    host_.PumpEvents();
    // Ctrl-C on a command line: Cancel answered Yes, after a whole line.
    if (platform::InterruptRequested()) {
      decoder_.SetGo(false);
      terminated_ = interrupted_ = true;
      break;
    }
    if (decoder_.RecordReachedEnd()) break;
  }
  return true;
}

// Counts the record being written and gives its serial number, when it is
// shown (alone, or as a column).
inline SlotText& ExtractionRun::NumberRecord(Slots& slots) {
  ++lines_written_;
  SlotText& number = slots[formats::ewsd::kSerialSlot];
  if (show_number_) {
    number.SetSize(static_cast<std::size_t>(
        platform::PutDecimal(number.Room(), static_cast<std::uint64_t>(lines_written_)) -
        number.Room()));
  }
  return number;
}

bool ExtractionRun::WriteRecord() {
  Slots& slots = decoder_.Slot();
  // A record without a time is found but not written, and keeps its slots
  // for the next record.
  if (slots[formats::ewsd::kTimeSlot].empty()) return true;
  SlotText& number = NumberRecord(slots);
  // The line is formatted straight into room taken from the writer's buffer
  // for many lines at once.
  char* const start = batch_.Room(*out_, max_line_bytes_);
  char* at = start;
  if (at == nullptr) return false;
  if (columns_.empty()) {
    at = PutSlot(at, number);
  } else {
    // Slots 2 to 19 start empty for the next record. Those no column shows
    // are neither decoded nor read, so they need no clearing; the others are
    // cleared as they are copied, unless a column comes twice.
    for (const int column : columns_) {
      SlotText& slot = slots[static_cast<std::size_t>(column)];
      at = MayHoldBlanks(column) ? PutTrimmed(at, slot) : PutSlot(at, slot);
      *at++ = ',';
      if (column >= formats::ewsd::kTimeSlot && !repeated_columns_) slot.clear();
    }
    --at;  // no comma after the last column
    if (repeated_columns_) {
      for (const int column : columns_)
        if (column >= formats::ewsd::kTimeSlot) slots[static_cast<std::size_t>(column)].clear();
    }
  }
  slots[formats::ewsd::kTimeSlot].clear();  // whether shown or not: it decides the next writing
  at[0] = '\r';
  at[1] = '\n';
  batch_.Add(at + 2);
  if (line_lengths_) line_lengths_->push_back(static_cast<std::uint32_t>(at + 2 - start));
  ShowProgress();
  return true;
}

bool ExtractionRun::WriteRow() {
  Slots& slots = decoder_.Slot();
  // Which records are written, the serial number and which slots start
  // empty for the next record: as for the lines.
  if (slots[formats::ewsd::kTimeSlot].empty()) return true;
  SlotText& number = NumberRecord(slots);
  if (csv_lines_ && PutCsvLine(slots, number)) return true;
  char moment[platform::kIsoMomentLength];
  const char* moment_end =
      moments_.Put(moment, slots[formats::ewsd::kDateSlot], slots[formats::ewsd::kTimeSlot]);
  const std::string_view call_start(moment, static_cast<std::size_t>(moment_end - moment));
  if (store_) {
    // Every slot has its column; those the run does not show stay NULL.
    for (const int column : row_slots_) {
      const SlotText& slot = slots[static_cast<std::size_t>(column)];
      cells_[static_cast<std::size_t>(column)] =
          MayHoldBlanks(column) ? Trimmed(slot) : slot.View();
    }
    if (!store_->AddCall(decoder_.RecordsFound(), call_start, cells_.data())) return false;
  } else {
    std::size_t cell = 0;
    for (const int column : row_slots_) {
      const SlotText& slot = slots[static_cast<std::size_t>(column)];
      cells_[cell++] = MayHoldBlanks(column) ? Trimmed(slot) : slot.View();
    }
    cells_[cell++] = call_start;
    ++cell;  // source_file: fixed for the file
    char record_no[24];
    const char* record_no_end =
        platform::PutDecimal(record_no, static_cast<std::uint64_t>(decoder_.RecordsFound()));
    cells_[cell] = {record_no, static_cast<std::size_t>(record_no_end - record_no)};

    char* at = batch_.Room(*out_, table_->RowRoom(cells_.data()));
    if (at == nullptr) return false;
    char* const end = table_->PutRow(at, cells_.data());
    batch_.Add(end);
    if (line_lengths_) line_lengths_->push_back(static_cast<std::uint32_t>(end - at));
  }
  for (const int column : row_slots_)
    if (column >= formats::ewsd::kTimeSlot) slots[static_cast<std::size_t>(column)].clear();
  slots[formats::ewsd::kTimeSlot].clear();
  ShowProgress();
  return true;
}

// The row of a csv run written as the line is, when that is already its
// cells (each column once, no byte CSV quotes); false leaves it to the
// general writer.
inline bool ExtractionRun::PutCsvLine(Slots& slots, const SlotText& number) {
  char* const start = batch_.Room(*out_, max_line_bytes_ + csv_end_.Room());
  if (start == nullptr) return false;  // the general way meets the same failure
  char* at = start;
  if (columns_.empty()) {
    at = PutSlot(at, number);
  } else {
    for (const int column : columns_) {
      const SlotText& slot = slots[static_cast<std::size_t>(column)];
      at = MayHoldBlanks(column) ? PutTrimmed(at, slot) : PutSlot(at, slot);
      *at++ = ',';
    }
    --at;  // no comma after the last column
  }
  if (!platform::IsPlainCsv(start, static_cast<std::size_t>(at - start), csv_commas_)) return false;
  char* const end = csv_end_.Put(at, slots[formats::ewsd::kDateSlot].View(),
                                 slots[formats::ewsd::kTimeSlot].View(),
                                 static_cast<std::uint64_t>(decoder_.RecordsFound()));
  batch_.Add(end);
  if (line_lengths_) line_lengths_->push_back(static_cast<std::uint32_t>(end - start));
  for (const int column : columns_)
    if (column >= formats::ewsd::kTimeSlot) slots[static_cast<std::size_t>(column)].clear();
  slots[formats::ewsd::kTimeSlot].clear();
  ShowProgress();
  return true;
}

std::string ExtractionRun::WriteError() {
  return output_.Target().string() + ": " + output_.Writer().Reason();
}

void ExtractionRun::ShowProgress() {
  if (progress_step_ == 0) return;
  // The shown value (offset + 1) / step can only change once the walk gets
  // to the next multiple of the step: no division for every record.
  if (decoder_.FileOffset() < next_progress_offset_) return;
  const std::int64_t value = (decoder_.FileOffset() + 1) / progress_step_;
  if (value != last_progress_ && value < 100) host_.SetProgress(static_cast<int>(value));
  last_progress_ = value;
  next_progress_offset_ = (value + 1) * progress_step_ - 1;
}

bool ExtractionRun::RequestTermination() {
  if (!busy_) return false;
  const MessageAnswer answer =
      host_.ShowMessage({"Do you Want to Terminate Extraction", kProgramName,
                         MessageIcon::kQuestion, MessageButtons::kYesNo});
  if (answer == MessageAnswer::kYes) {
    decoder_.SetGo(false);
    busy_ = false;
    terminated_ = true;
  }
  return true;
}

void ExtractionRun::Abandon() {
  if (!busy_) return;
  decoder_.SetGo(false);
  busy_ = false;
  terminated_ = true;
  abandoned_ = true;
}

// A failure that ends the run: every file closed, no completion message.
void ExtractionRun::Fail(const std::string& text) {
  decoder_.Close();
  CommitLines();
  output_.Cancel();
  host_.SetMessageFile("");
  busy_ = false;
  host_.ShowMessage({text, kProgramName, MessageIcon::kError, MessageButtons::kOk});
  host_.SetProgress(0);
  host_.SetStatusText("");
}

// Whole files, and long files cut into stretches where the walk from the
// start ends a record: a first walk over the file's lead and length bytes
// finds those places and counts the records before each, so a stretch is
// walked exactly as the whole file would be.
std::vector<ExtractionRun::Piece> ExtractionRun::CutPieces(const RunSettings& settings,
                                                           PassKind kind) {
  std::vector<Piece> pieces;
  const std::int64_t stretch = std::max<std::int64_t>(settings.stretch_bytes, 1);
  for (std::size_t file = 0; file < settings.input_paths.size(); ++file) {
    const std::string& path = settings.input_paths[file];
    Piece whole;
    whole.file = file;
    std::error_code error;
    const auto size = std::filesystem::file_size(platform::PathOf(path), error);
    whole.length = error ? 0 : static_cast<std::int64_t>(size);
    if (error || whole.length <= stretch) {
      pieces.push_back(whole);
      continue;
    }
    PieceHost quiet;
    EwsdDecoder walk(quiet);
    std::string reason;
    if (!walk.BeginFile(path, kind, &reason)) {
      pieces.push_back(whole);  // its worker says why
      continue;
    }
    Piece piece = whole;
    piece.last = false;
    std::int64_t records = 0;
    for (;;) {
      const std::int64_t at = walk.FileOffset();
      if (at - piece.begin >= stretch && at < walk.FileLength()) {
        piece.end = at;
        pieces.push_back(piece);
        piece.first = false;
        piece.begin = at;
        piece.records_before = records;
      }
      walk.FindNextRecord();
      if (!walk.Go()) break;
      // The window stays drawn; a stop asked for now is taken before the
      // first piece is written, so the rest need not be cut.
      if (++records % 65536 == 0) {
        host_.PumpEvents();
        if (terminated_ || platform::InterruptRequested()) break;
      }
    }
    piece.end = INT64_MAX;
    piece.last = true;
    pieces.push_back(piece);
  }
  return pieces;
}

// Decodes a piece into out_ with this run's decoder, numbering from
// lines_written_ and starting from the decoder's slots.
void ExtractionRun::DecodePiece(const Piece& piece, const std::string& path, PassKind kind,
                                PieceResult* result) {
  std::string reason;
  if (!decoder_.BeginFile(path, kind, &reason)) {
    result->opened = false;
    result->error = reason;
    return;
  }
  decoder_.StartAt(piece.begin, piece.end, piece.records_before);
  source_file_ = path;
  if (table_) table_->FixCell(row_slots_.size() + 1, path);
  if (csv_lines_) csv_end_.SetFile(path);
  progress_step_ = decoder_.FileLength() / 100;
  next_progress_offset_ = piece.begin;
  const std::int64_t lines_before = lines_written_;
  result->write_failed = !DecodeRecords();
  result->lines = lines_written_ - lines_before;
  result->records = decoder_.RecordsFound() - piece.records_before;
  result->read_failed = decoder_.ReadFailed();
  result->interrupted = interrupted_;
  result->condition = decoder_.Condition();
  result->answer = decoder_.Answer();
  decoder_.Close();
}

// True when an unwritten record left a shown value for the next record: a
// piece decoded from empty slots would not be what one worker writes. The
// date needs no look: it is written only with a time, and both come from
// the same package.
bool ExtractionRun::CarriesValues() const {
  const std::uint32_t wanted = decoder_.WantedSlots();
  for (int slot = formats::ewsd::kTimeSlot; slot < kSlotCount; ++slot)
    if ((wanted >> slot & 1u) != 0 && !decoder_.Slot()[static_cast<std::size_t>(slot)].empty())
      return true;
  return false;
}

// Writes a worker's piece into the output, its serial numbers moved on by
// the lines written before it.
bool ExtractionRun::AppendPiece(PieceResult& result, std::string* error) {
  CommitLines();
  platform::TextWriter& out = *out_;
  if (!result.numbered) {
    if (result.text->AppendTo(out)) return true;
    *error = result.text->Ok() ? WriteError() : result.text->Error();
    return false;
  }
  // Each line's number counted from the piece's start becomes its number
  // in the output.
  const std::uint64_t base = static_cast<std::uint64_t>(lines_written_);
  const std::size_t count = result.line_lengths.size();
  std::size_t line = 0;
  std::string held;  // a line cut between two chunks
  const auto put = [&](const char* from, std::size_t length) {
    const std::uint64_t own = line + 1;
    const auto own_digits = static_cast<std::size_t>(platform::DigitCount(own));
    char* room = batch_.Room(out, length + 24);
    if (room == nullptr) return false;
    std::memcpy(room, from, number_at_);
    char* end = platform::PutDecimal(room + number_at_, base + own);
    const std::size_t rest = length - number_at_ - own_digits;
    std::memcpy(end, from + number_at_ + own_digits, rest);
    batch_.Add(end + rest);
    ++line;
    return true;
  };
  const bool read = result.text->ReadBack([&](std::string_view chunk) {
    while (!chunk.empty() && line < count) {
      const std::size_t length = result.line_lengths[line];
      if (held.empty() && chunk.size() >= length) {
        if (!put(chunk.data(), length)) return false;
        chunk.remove_prefix(length);
        continue;
      }
      const std::size_t part = std::min(length - held.size(), chunk.size());
      held.append(chunk.data(), part);
      chunk.remove_prefix(part);
      if (held.size() < length) break;
      if (!put(held.data(), length)) return false;
      held.clear();
    }
    return true;
  });
  if (!read) {
    *error = result.text->Ok() ? WriteError() : result.text->Error();
    return false;
  }
  if (line < count) {
    *error = "a temporary file: ended before its lines";
    return false;
  }
  if (!CommitLines()) {
    *error = WriteError();
    return false;
  }
  return true;
}

RunOutcome ExtractionRun::ExtractInParallel(const RunSettings& settings,
                                            const std::vector<Piece>& pieces, PassKind kind,
                                            std::size_t* refused, bool* failed) {
  RunOutcome outcome = RunOutcome::kCompleted;
  const bool numbered = show_number_;
  const auto make = [&](std::size_t i, const platform::RunEnded&) {
    const Piece& piece = pieces[i];
    PieceResult result;
    PieceHost quiet;
    ExtractionRun worker(quiet);
    worker.Configure(settings);
    worker.out_ = result.text.get();
    result.text->OpenTemporary();
    if (numbered) {
      result.numbered = true;
      worker.line_lengths_ = &result.line_lengths;
    }
    worker.DecodePiece(piece, settings.input_paths[piece.file], kind, &result);
    if (!worker.CommitLines() && !result.write_failed) result.write_failed = true;
    if (result.write_failed && result.error.empty()) result.error = result.text->Error();
    result.message = quiet.shown;
    result.slots = worker.decoder_.Slot();
    return result;
  };

  std::int64_t file_lines = 0;
  std::int64_t file_records = 0;
  std::size_t ended_file = pieces.size() + settings.input_paths.size();  // none
  const auto stop = [&] {
    if (platform::InterruptRequested()) terminated_ = interrupted_ = true;
    if (!terminated_) return false;
    terminated_ = false;
    outcome = interrupted_ ? RunOutcome::kInterrupted : RunOutcome::kStopped;
    return true;
  };
  const auto take = [&](std::size_t i, PieceResult& result) {
    const Piece& piece = pieces[i];
    const std::string& path = settings.input_paths[piece.file];
    // The rest of a file that a message ended.
    if (!piece.first && piece.file == ended_file) return true;
    // A stop asked for while the pieces were being made ends the run after
    // the one written last.
    if (stop()) return false;
    if (piece.first) {
      host_.SetStatusText("Processing File  " + path);
      host_.SetProgress(0);
      refused_ = false;
      file_lines = 0;
      file_records = 0;
    }
    if (CarriesValues() || !result.opened) {
      // The values an unwritten record left behind go on into this piece:
      // it is decoded again here, from them, straight into the output (an
      // input that would not open is tried again, in its turn).
      CommitLines();
      out_ = &output_.Writer();
      line_lengths_ = nullptr;
      const std::int64_t lines_before = lines_written_;
      result = PieceResult{};
      if (piece.first) host_.SetMessageFile(path);
      decoder_.ClearAnswer();
      DecodePiece(piece, path, kind, &result);
      busy_ = true;
      if (!result.opened) {
        Fail("The input file cannot be opened: " + path + ": " + result.error);
        *failed = true;
        return false;
      }
      CommitLines();
      result.lines = lines_written_ - lines_before;
      if (result.write_failed) {
        Fail("The output file could not be written: " + WriteError());
        *failed = true;
        return false;
      }
      decoder_.ClearAnswer();
    } else {
      if (piece.first) host_.SetMessageFile(path);
      std::string error;
      if (result.write_failed || !AppendPiece(result, &error)) {
        Fail("The output file could not be written: " +
             (result.write_failed ? output_.Target().string() + ": " + result.error : error));
        *failed = true;
        return false;
      }
      lines_written_ += result.lines;
      // Every shown slot started empty, so the piece's are what one worker
      // would hold now; the date only when the piece read one.
      Slots& slots = decoder_.Slot();
      const std::uint32_t wanted = decoder_.WantedSlots();
      for (int slot = formats::ewsd::kTimeSlot; slot < kSlotCount; ++slot)
        if ((wanted >> slot & 1u) != 0)
          slots[static_cast<std::size_t>(slot)] = result.slots[static_cast<std::size_t>(slot)];
      if (!result.slots[formats::ewsd::kDateSlot].empty())
        slots[formats::ewsd::kDateSlot] = result.slots[formats::ewsd::kDateSlot];
      if (result.message) {
        const MessageAnswer answer = host_.ShowMessage(*result.message);
        if (result.message->buttons != MessageButtons::kOk) result.answer = answer;
      }
    }
    host_.PumpEvents();
    file_lines += result.lines;
    file_records += result.records;
    if (!piece.last && result.condition == DecoderCondition::kNone && !result.read_failed &&
        !result.interrupted) {
      const std::int64_t step = piece.length / 100;
      if (step > 0 && (piece.end + 1) / step < 100)
        host_.SetProgress(static_cast<int>((piece.end + 1) / step));
      return !stop();
    }
    // The file's end, as ReadFile has it.
    ended_file = piece.file;
    if (result.read_failed) {
      Fail("The input file could not be read: " + path);
      *failed = true;
      return false;
    }
    if (result.interrupted) terminated_ = interrupted_ = true;
    if (!terminated_ && result.condition == DecoderCondition::kNone && file_records > 0 &&
        file_lines == 0) {
      result.condition = DecoderCondition::kInvalidFile;
      const MessageAnswer answer = host_.ShowMessage(InvalidFileMessage(path, kind));
      if (kind == PassKind::kSeveralFiles) result.answer = answer;
    }
    host_.SetMessageFile("");
    refused_ = result.condition == DecoderCondition::kInvalidFile;
    if (refused_) ++*refused;
    if (terminated_ || result.answer == MessageAnswer::kNo) {
      terminated_ = false;
      outcome = interrupted_ ? RunOutcome::kInterrupted : RunOutcome::kStopped;
      return false;
    }
    switch (result.condition) {
      case DecoderCondition::kUnsupportedPackage:
        outcome = interrupted_ ? RunOutcome::kInterrupted : RunOutcome::kStopped;
        return false;
      case DecoderCondition::kInvalidFile:
        if (kind != PassKind::kSeveralFiles) {
          outcome = interrupted_ ? RunOutcome::kInterrupted : RunOutcome::kStopped;
          return false;
        }
        outcome = RunOutcome::kFilesSkipped;
        break;
      case DecoderCondition::kNone:
        host_.SetProgress(100);
        break;
    }
    return !stop();
  };
  busy_ = true;
  const unsigned workers = settings.workers;
  platform::RunInOrder<PieceResult>(pieces.size(), workers, 2 * std::size_t{workers}, make, take,
                                    [this] { host_.PumpEvents(); });
  busy_ = false;
  out_ = &output_.Writer();
  line_lengths_ = nullptr;
  return outcome;
}

}  // namespace vantor
