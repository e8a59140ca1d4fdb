#include "pardel/extraction_run.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "formats/axe/layout.h"
#include "pardel/call_table.h"
#include "platform/digits.h"
#include "platform/file_replacer.h"
#include "platform/text_writer.h"

namespace pardel {

namespace {

// The whole line is made of the record's first kWholeRecordSize bytes,
// digits and separators: when none of those bytes is one CSV quotes (a
// comma among them), the line is plain without a look at it, which would
// wait for the bytes just stored.
bool RecordIsPlain(std::string_view record) {
  constexpr std::size_t kChunks = formats::axe::kWholeRecordSize / 16 * 16;
  return platform::IsPlainCsv(record.data(), kChunks, 0) &&
         platform::IsPlainCsvText(record.data() + kChunks, formats::axe::kWholeRecordSize - kChunks,
                                  0);
}

}  // namespace

std::string CompletionText(std::uint64_t lines, int files) {
  return std::to_string(lines) + " Records Written from " + std::to_string(files) + " Files";
}

std::string LoadedText(std::uint64_t calls, std::int64_t files, const std::string& database) {
  return std::to_string(calls) + " Records Loaded from " + std::to_string(files) + " Files into " +
         database;
}

std::string DatabaseName(const RunRequest& request, platform::OutputFormat format) {
  return format == platform::OutputFormat::kSqlite ? request.output.string()
                                                   : std::string("the PostgreSQL database");
}

void ExtractionRun::ShowError(const std::string& text) {
  host_.ShowMessage({text, "", Icon::kError, Buttons::kOk});
}

RunResult ExtractionRun::Fail(const std::string& text) {
  ShowError(text);
  result_.outcome = RunOutcome::kFailed;
  return result_;
}

std::string ExtractionRun::WriteError(platform::FileReplacer& out) {
  // The writer names the temporary file; the user knows the output by its own name.
  if (!out.Writer().Ok()) return out.Target().string() + ": " + out.Writer().Reason();
  return out.Error();
}

RunResult ExtractionRun::Run(const RunRequest& request, const OutputChoice& choice) {
  result_ = {};
  layout_ = {};
  rows_ = choice.format != platform::OutputFormat::kText;
  table_.reset();
  store_.reset();
  bool sample = request.sample;
  const int n = static_cast<int>(request.files.size());
  if (n == 0) {
    ShowError("Please Select input Files in the List Box");
    result_.outcome = RunOutcome::kNoFiles;
    return result_;
  }
  if (platform::IsDatabaseFormat(choice.format)) return LoadIntoDatabase(request, choice);
  // Replacing the output must never touch one of the inputs.
  for (const auto& path : request.files) {
    std::error_code same_error;
    if (std::filesystem::equivalent(request.output, path, same_error)) {
      return Fail("Cannot create the output file " + request.output.string() +
                  ": it is one of the input files");
    }
  }
  // The lines go beside the output and replace it only when the run ends as
  // it should; an output that cannot be written is found before any reading.
  platform::FileReplacer out;
  if (!out.Begin(request.output)) return Fail("Cannot create the output file " + out.Error());
  platform::TextWriter& writer = out.Writer();
  if (platform::IsTableFormat(choice.format)) {
    table_.emplace(choice.format == platform::OutputFormat::kCsv ? platform::TableFormat::kCsv
                                                                 : platform::TableFormat::kJsonl,
                   CallColumns());
    if (!table_->WriteHeader(writer)) {
      const std::string error = WriteError(out);
      out.Cancel();
      return Fail("Cannot write the output file " + error);
    }
  }
  int decoded = 0;  // files that were AXE files: a run of refused files replaces nothing
  auto end_run = [&](RunOutcome outcome) {
    const bool keep = decoded > 0 || outcome == RunOutcome::kInterrupted;
    if (!keep) {
      out.Cancel();
    } else if (!out.Commit()) {
      host_.SetStatus("", "");
      host_.SetProgress(0);
      return false;
    }
    result_.outcome = outcome;
    return true;
  };
  platform::BinaryReader file;
  for (const auto& path : request.files) {
    if (host_.StopRequested()) {
      if (!end_run(RunOutcome::kInterrupted))
        return Fail("Cannot write the output file " + WriteError(out));
      host_.SetStatus("", "");
      host_.SetProgress(0);
      return result_;
    }
    std::string reason;
    if (!file.Open(path, &reason)) {
      out.Cancel();
      return Fail("Cannot open the input file " + path.string() + ": " + reason);
    }
    file.MapFile();  // blocks straight from the file cache, not copied
    ++result_.files_opened;
    host_.SetMessageFile(path.string());
    host_.SetStatus(std::to_string(result_.files_opened) + "/" + std::to_string(n),
                    "Processing " + path.filename().string());
    if (!IsAxeFile(file)) {
      file.Close();
      const Answer answer =
          host_.ShowMessage({"The Input File Selected is not AXE Data File. Do you want to "
                             "continue with other Files?",
                             "", Icon::kQuestion, Buttons::kYesNo});
      if (answer == Answer::kYes) {
        ++result_.files_skipped;
        continue;
      }
      // No ends the run at once; the files extracted before are kept.
      if (!end_run(RunOutcome::kStopped))
        return Fail("Cannot write the output file " + WriteError(out));
      return result_;
    }
    ++decoded;
    host_.SetProgress(0);
    source_file_ = path.string();
    if (table_) table_->FixCell(kFieldCount + 1, source_file_);
    csv_rows_ = table_ && table_->Format() == platform::TableFormat::kCsv;
    if (csv_rows_) csv_end_.SetFile(source_file_);
    const FileEnd end = DecodeFile(file, writer, sample);
    // A file that shrank or a disk that failed under the run reads as zeros:
    // such a run is a failure and replaces nothing.
    const bool read_failed = file.ReadFailed();
    file.Close();
    if (end == FileEnd::kWriteFailed || (read_failed && !writer.Ok())) {
      const std::string error = WriteError(out);
      out.Cancel();
      host_.SetStatus("", "");
      host_.SetProgress(0);
      return Fail("Cannot write the output file " + error);
    }
    if (read_failed) {
      out.Cancel();
      host_.SetStatus("", "");
      host_.SetProgress(0);
      return Fail("Cannot read the input file " + path.string() +
                  ": the file could not be read to its end");
    }
    if (end == FileEnd::kInterrupted) {
      if (!end_run(RunOutcome::kInterrupted))
        return Fail("Cannot write the output file " + WriteError(out));
      host_.SetStatus("", "");
      host_.SetProgress(0);
      return result_;
    }
    if (end == FileEnd::kSampleFull) {
      const bool written = end_run(RunOutcome::kSampleShown);
      host_.SetStatus("", "");
      host_.SetProgress(0);
      if (!written) return Fail("Cannot write the output file " + WriteError(out));
      host_.OpenInTextViewer(request.output);
      return result_;
    }
  }
  if (!end_run(RunOutcome::kCompleted))
    return Fail("Cannot write the output file " + WriteError(out));
  host_.ShowMessage({CompletionText(result_.lines_written, result_.files_opened), "",
                     Icon::kInformation, Buttons::kOk});
  host_.SetStatus("", "");
  host_.SetProgress(0);
  return result_;
}

bool ExtractionRun::WriteLine(std::string_view record, platform::TextWriter& out) {
  // The line goes straight into the writer's buffer; only unusual records
  // take the general way through a string.
  char* room = out.Reserve(kWholeLineRoom);
  if (char* end = FormatWholeRecord(record, layout_, room)) {
    return out.Commit(static_cast<std::size_t>(end - room));
  }
  line_.clear();
  FormatRecord(record, layout_, line_);
  return out.WriteLine(line_);
}

bool ExtractionRun::WriteRow(std::string_view record, platform::TextWriter& out) {
  ++record_no_;
  // The row's fields are the line's: the same formatter makes them, and
  // they are cut out of the line where it says they end.
  FieldEnds ends;
  std::string_view line;
  char* whole_end;
  if (csv_rows_) {
    // The line made where the row goes: with its seven commas and nothing
    // else CSV quotes, it is already the row's fields.
    char* room = out.Reserve(kWholeLineRoom + csv_end_.Room());
    whole_end = FormatWholeRecord(record, layout_, room, ends);
    if (whole_end != nullptr) {
      const auto fields = static_cast<std::size_t>(whole_end - room) - 2;  // without CR LF
      if (RecordIsPlain(record) || platform::IsPlainCsv(room, fields, kFieldCount - 1)) {
        char* const end = csv_end_.Put(room + fields, {room, ends[0]},
                                       {room + ends[0] + 1, ends[1] - ends[0] - 1}, record_no_);
        return out.Commit(static_cast<std::size_t>(end - room));
      }
      std::memcpy(row_line_, room, static_cast<std::size_t>(whole_end - room));
      whole_end = row_line_ + (whole_end - room);
    }
  } else {
    whole_end = FormatWholeRecord(record, layout_, row_line_, ends);
  }
  if (whole_end != nullptr) {
    line = {row_line_, static_cast<std::size_t>(whole_end - row_line_)};
  } else {
    line_.clear();
    FormatRecord(record, layout_, line_, &ends);
    line = line_;
  }
  char moment[platform::kIsoMomentLength];
  const char* moment_end = moments_.Put(moment, line.substr(0, ends[0]),
                                        line.substr(ends[0] + 1, ends[1] - ends[0] - 1));
  const std::string_view call_start(moment, static_cast<std::size_t>(moment_end - moment));

  std::string_view cells[kFieldCount + 3];
  std::size_t start = 0;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    cells[i] = line.substr(start, ends[i] - start);
    start = ends[i] + 1;
  }
  if (store_) return store_->AddCall(static_cast<std::int64_t>(record_no_), call_start, cells);

  cells[kFieldCount] = call_start;
  // cells[kFieldCount + 1], source_file, is fixed for the file.
  char number[24];
  cells[kFieldCount + 2] = {
      number, static_cast<std::size_t>(platform::PutDecimal(number, record_no_) - number)};
  // The fields are cut out of the line: together no longer than it.
  char* room = out.Reserve(table_->RowRoom(line.size() + platform::kIsoMomentLength + 24));
  return out.Commit(static_cast<std::size_t>(table_->PutRow(room, cells) - room));
}

RunResult ExtractionRun::LoadIntoDatabase(const RunRequest& request, const OutputChoice& choice) {
  // A sample is a file to look at; a database keeps whole files only.
  if (request.sample)
    return Fail("Show Sample writes a file to look at: choose Text, CSV or JSON Lines");
  const bool sqlite = choice.format == platform::OutputFormat::kSqlite;
  const std::string database = DatabaseName(request, choice.format);
  if (sqlite) {
    for (const auto& path : request.files) {
      std::error_code same_error;
      if (std::filesystem::equivalent(request.output, path, same_error))
        return Fail("Cannot use the database " + database + ": it is one of the input files");
    }
  }
  // A database that cannot take the calls is refused before any file is
  // read, and is then left as it was.
  std::string error;
  store_ = platform::OpenCallStore(choice.format, sqlite ? database : choice.connection,
                                   AxeCallTable(), &error);
  if (!store_) return Fail("Cannot use the database " + error);

  auto clear_status = [&] {
    host_.SetStatus("", "");
    host_.SetProgress(0);
  };
  // Files loaded before a failure keep their calls; the file being read
  // leaves none.
  auto fail = [&](const std::string& text) {
    store_->RollbackFile();
    store_->Close();
    result_.files_loaded = store_->FilesCommitted();
    clear_status();
    return Fail(text);
  };
  auto end_run = [&](RunOutcome outcome) {
    if (!store_->Close()) return fail("Cannot write to the database " + store_->Error());
    result_.files_loaded = store_->FilesCommitted();
    result_.outcome = outcome;
    return result_;
  };

  const int n = static_cast<int>(request.files.size());
  platform::TextWriter no_text;  // the calls go to the database
  platform::BinaryReader file;
  for (const auto& path : request.files) {
    if (host_.StopRequested()) {
      clear_status();
      return end_run(RunOutcome::kInterrupted);
    }
    std::string reason;
    if (!file.Open(path, &reason))
      return fail("Cannot open the input file " + path.string() + ": " + reason);
    file.MapFile();
    ++result_.files_opened;
    host_.SetMessageFile(path.string());
    host_.SetStatus(std::to_string(result_.files_opened) + "/" + std::to_string(n),
                    "Processing " + path.filename().string());
    if (!IsAxeFile(file)) {
      file.Close();
      const Answer answer =
          host_.ShowMessage({"The Input File Selected is not AXE Data File. Do you want to "
                             "continue with other Files?",
                             "", Icon::kQuestion, Buttons::kYesNo});
      if (answer == Answer::kYes) {
        ++result_.files_skipped;
        continue;
      }
      return end_run(RunOutcome::kStopped);
    }
    host_.SetProgress(0);
    source_file_ = path.string();
    if (!store_->BeginFile(platform::DescribeInputFile(source_file_, "AXE", "pardel"))) {
      file.Close();
      return fail("Cannot write to the database " + store_->Error());
    }
    const std::uint64_t lines_before = result_.lines_written;
    bool no_sample = false;
    const FileEnd end = DecodeFile(file, no_text, no_sample);
    const bool read_failed = file.ReadFailed();
    file.Close();
    if (end != FileEnd::kDone || read_failed) result_.lines_written = lines_before;
    if (end == FileEnd::kWriteFailed)
      return fail("Cannot write to the database " + store_->Error());
    if (read_failed) {
      return fail("Cannot read the input file " + path.string() +
                  ": the file could not be read to its end");
    }
    if (end == FileEnd::kInterrupted) {
      store_->RollbackFile();
      clear_status();
      return end_run(RunOutcome::kInterrupted);
    }
    if (!store_->CommitFile()) {
      result_.lines_written = lines_before;
      return fail("Cannot write to the database " + store_->Error());
    }
  }
  end_run(RunOutcome::kCompleted);
  if (result_.outcome == RunOutcome::kFailed) return result_;
  host_.ShowMessage({LoadedText(result_.lines_written, result_.files_loaded, database), "",
                     Icon::kInformation, Buttons::kOk});
  clear_status();
  return result_;
}

ExtractionRun::FileEnd ExtractionRun::DecodeFile(platform::BinaryReader& file,
                                                 platform::TextWriter& out, bool& sample) {
  // Files under 100 bytes have no progress step and show no progress.
  const std::uint64_t step = file.Length() / 100;
  int progress = 0;
  record_no_ = 0;
  AxeBlock copy;
  for (std::uint64_t offset = 0; offset < file.Length(); offset += kBlockSize) {
    bool past_end = false;
    const BlockBytes block = ViewBlock(file, offset, copy, past_end);
    std::size_t start = 0;
    for (;;) {
      const AxeRecord record = NextRecord(block, start);
      if (record.length == 0) break;
      if (!(rows_ ? WriteRow(record.text, out) : WriteLine(record.text, out)))
        return FileEnd::kWriteFailed;
      ++result_.lines_written;
      if (sample && result_.lines_written >= kSampleLines) {
        sample = false;
        return FileEnd::kSampleFull;
      }
      start += record.length;
    }
    if (step > 0 && progress < 100) {
      progress = static_cast<int>(std::min<std::uint64_t>(100, (offset + kBlockSize + 1) / step));
      host_.SetProgress(progress);
    }
    if (past_end) break;
    if (host_.StopRequested()) return FileEnd::kInterrupted;
  }
  host_.SetProgress(100);
  return FileEnd::kDone;
}

}  // namespace pardel
