#include "vantor/extraction_run.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/digits.h"
#include "platform/interrupt.h"
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

}  // namespace

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
    if (std::filesystem::equivalent(settings.output_path, path, error)) {
      Fail("The output file " + settings.output_path +
           " is one of the input files. Please choose another output file name.");
      return {RunOutcome::kFailed, 0};
    }
  }
  columns_ = settings.columns;
  // Slots no column shows are not formatted at all.
  std::uint32_t wanted = 0;
  repeated_columns_ = false;
  for (int column : columns_) {
    if (wanted & 1u << column) repeated_columns_ = true;
    wanted |= 1u << column;
  }
  table_.reset();
  store_.reset();
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
  if (std::filesystem::is_directory(settings.output_path, kind_error)) {
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
  } else if (!output_.Begin(settings.output_path)) {
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
  for (;;) {
    busy_ = true;
    decoder_.FindNextRecord();
    if (!decoder_.Go()) break;
    decoder_.CountRecord();
    decoder_.ReadRecordHeader();
    decoder_.DecodePackages();
    if (!decoder_.Go()) break;
    if (!(row_path_ ? WriteRow() : WriteRecord())) {
      Fail(store_ ? "The database could not be written: " + store_->Error()
                  : "The output file could not be written: " + WriteError());
      return FileEnd::kFailed;
    }
    host_.PumpEvents();
    // Ctrl-C on a command line: Cancel answered Yes, after a whole line.
    if (platform::InterruptRequested()) {
      decoder_.SetGo(false);
      terminated_ = interrupted_ = true;
      break;
    }
    if (decoder_.RecordReachedEnd()) break;
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
  char* at = batch_.Room(output_.Writer(), max_line_bytes_);
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

    char* at = batch_.Room(output_.Writer(), table_->RowRoom(cells_.data()));
    if (at == nullptr) return false;
    batch_.Add(table_->PutRow(at, cells_.data()));
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
  char* const start = batch_.Room(output_.Writer(), max_line_bytes_ + csv_end_.Room());
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
  batch_.Add(csv_end_.Put(at, slots[formats::ewsd::kDateSlot].View(),
                          slots[formats::ewsd::kTimeSlot].View(),
                          static_cast<std::uint64_t>(decoder_.RecordsFound())));
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

}  // namespace vantor
