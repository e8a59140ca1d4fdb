#include "kelvan/extraction_run.h"

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "formats/cdot/digits.h"
#include "formats/cdot/layout.h"
#include "formats/cdot/section_reader.h"
#include "kelvan/call_table.h"
#include "kelvan/record_formatter.h"
#include "kelvan/record_text.h"
#include "platform/call_store.h"
#include "platform/digits.h"
#include "platform/file_replacer.h"
#include "platform/table_writer.h"
#include "platform/text_writer.h"

namespace kelvan {

namespace {

using formats::cdot::CdotSectionReader;

// Records read between two questions to the host whether to stop: often
// enough to stop at once, rare enough to cost nothing per record.
constexpr unsigned kRecordsPerStopQuestion = 1024;

class ExtractionRun {
 public:
  ExtractionRun(const RunSettings& settings, Host& host)
      : settings_(settings),
        host_(host),
        formatter_(settings.field_selection, settings.layout,
                   DelimiterText(settings.delimiter_name),
                   settings.area_code_on ? settings.area_code : std::string()),
        filter_(settings.filter_on ? RecordFilter(settings.filter_field, settings.filter_value)
                                   : RecordFilter()),
        database_(platform::IsDatabaseFormat(settings.format)),
        split_days_(settings.multi_file && !database_) {
    if (settings.format == platform::OutputFormat::kText) return;
    rows_ = true;
    // A row's call_start needs the date and the time, chosen or not.
    row_fields_ = settings.field_selection;
    for (const int field : {1, 2})
      if (std::find(row_fields_.begin(), row_fields_.end(), field) == row_fields_.end())
        row_fields_.push_back(field);
    for (const int field : settings.field_selection) chosen_[field] = true;
    field_room_ = kMaxDigits + settings.area_code.size() + kWriteSlack;
    scratch_.resize(row_fields_.size() * field_room_);
    if (database_) {
      cells_.assign(8, {});
    } else {
      const bool csv = settings.format == platform::OutputFormat::kCsv;
      // Times and numbers are digits, ':' and hex letters, the integers
      // digits without leading zeros: written in place, unless the calling
      // number's area code (the user's text) needs a look, or a trunk group
      // written as nothing must be null in JSON. The date is the reader's.
      bool plain[9] = {false, false, true, platform::IsPlainText(settings.area_code), true, true,
                       true,  true,  true};
      std::vector<platform::Column> columns = CallColumns(settings.field_selection);
      for (std::size_t i = 0; i < settings.field_selection.size(); ++i) {
        const int field = settings.field_selection[i];
        columns[i].plain = plain[field];
        in_place_[field] = plain[field] && (csv || (field != 7 && field != 8));
      }
      table_.emplace(csv ? platform::TableFormat::kCsv : platform::TableFormat::kJsonl,
                     std::move(columns));
      row_room_ =
          table_->RowRoom(row_fields_.size() * field_room_ + platform::kIsoMomentLength + 20);
      // With every field plain but the date, a comma-separated line is the
      // CSV row's start: made by the line's own quick writer.
      if (csv && plain[3])
        csv_line_.emplace(settings.field_selection, Layout::kDelimited, ",",
                          settings.area_code_on ? settings.area_code : std::string());
      for (const int field : {1, 2})
        if (!chosen_[field]) unchosen_.push_back(field);
      scratch_.resize(9 * field_room_);
    }
  }

  // False when the run ended on a failure (already reported). Every output is
  // written beside its target and replaces it only here, at the run's end.
  bool Run(RunResult& result) {
    if (database_) {
      const bool sqlite = settings_.format == platform::OutputFormat::kSqlite;
      if (sqlite && IsInput(settings_.output_file)) return InputAsOutput(settings_.output_file);
      std::string error;
      store_ = platform::OpenCallStore(settings_.format,
                                       sqlite ? settings_.output_file.string() : settings_.database,
                                       CallShape(), &error);
      if (!store_) return Fail("Cannot load into the database " + error);
    } else if (!settings_.multi_file) {
      if (IsInput(settings_.output_file)) return InputAsOutput(settings_.output_file);
      if (!single_.Begin(settings_.output_file))
        return Fail("Cannot create the output file " + single_.Error());
      writer_ = &single_.Writer();
      target_ = settings_.output_file;
      if (table_ && !table_->WriteHeader(*writer_))
        return Fail("Cannot write the output file " + WriteError());
    }
    const std::size_t n = settings_.inputs.size();
    for (std::size_t k = 0; k < n && !stopped_ && !ended_; ++k) {
      if (host_.StopRequested()) {
        stopped_ = true;
        break;
      }
      if (!ReadFile(settings_.inputs[k], k + 1, n)) return false;
      if (!refused_) ++result.files_read;
    }
    result.records_written = RecordsWritten();
    result.files_skipped = skipped_;
    result.files_decoded = decoded_;
    result.files_loaded = FilesLoaded();
    // Only refused files: nothing of theirs may replace an existing output.
    if (decoded_ == 0 && !stopped_) {
      single_.Cancel();
      if (store_ && !store_->Close())
        return Fail("Cannot load into the database " + store_->Error());
      return true;
    }
    return CommitOutputs();
  }

  bool Stopped() const { return stopped_; }
  bool Ended() const { return ended_; }
  std::uint64_t RecordsWritten() const {
    return database_ ? calls_loaded_ : batch_.LinesCommitted();
  }
  std::size_t FilesLoaded() const {
    return store_ ? static_cast<std::size_t>(store_->FilesCommitted()) : 0;
  }

 private:
  bool ReadFile(const std::filesystem::path& path, std::size_t k, std::size_t n) {
    std::string reason;
    if (!reader_.Open(path, &reason)) {
      return Fail("Cannot open the input file " + path.string() + ": " + reason);
    }
    refused_ = !reader_.IsCdotFile();
    if (refused_) {
      reader_.Close();
      const MessageAnswer answer = host_.ShowMessage(
          {path.string() + " is not a C-DOT data file. Do you want to continue with other files?",
           settings_.title, MessageIcon::kQuestion, MessageButtons::kYesNo});
      // Yes skips the file; No ends the run, keeping what was written.
      if (answer == MessageAnswer::kYes) {
        ++skipped_;
      } else {
        ended_ = true;
      }
      return true;
    }
    ++decoded_;
    if (rows_) {
      source_file_ = path.string();
      if (table_) table_->FixCell(settings_.field_selection.size() + 1, source_file_);
      if (csv_line_) {
        csv_end_.SetFile(source_file_);
        row_room_ = std::max(row_room_, csv_line_->MaxLineBytes() + csv_end_.Room());
      }
      record_no_ = 0;
      calls_in_file_ = 0;
      if (store_ &&
          !store_->BeginFile(platform::DescribeInputFile(source_file_, "C-DOT", "kelvan")))
        return Fail("Cannot load into the database " + store_->Error());
    }
    bool undated_told = false;
    const double step = static_cast<double>(reader_.Length()) / kProgressMaximum;
    int progress = 0;
    std::uint64_t accumulated = 0;
    unsigned until_stop_question = kRecordsPerStopQuestion;
    host_.SetProgress(0);
    host_.SetStatusText("Processing " + path.filename().string() + "  " + std::to_string(k) +
                        " of " + std::to_string(n));
    for (;;) {
      const CdotSectionReader::Step step_kind = reader_.Next();
      if (step_kind == CdotSectionReader::Step::kFinished) break;
      if (step_kind == CdotSectionReader::Step::kSection) {
        if (!reader_.SectionDated() && !undated_told && WritesDates()) {
          undated_told = true;
          host_.ShowMessage({"The name of " + path.string() +
                                 " gives no date (its characters 5 to 10 are no day DDMMYY): "
                                 "the date column of its lines is left empty",
                             settings_.title, MessageIcon::kInformation, MessageButtons::kOk});
        }
        // The section's texts replace the last's (no text at all is plain).
        plain_date_ = {};
        date_is_plain_ = true;
        if (split_days_ && !StartSectionFile()) return false;
        continue;
      }
      accumulated += kRecordSize;
      if (static_cast<double>(accumulated) >= step) {
        accumulated = 0;
        if (progress < kProgressMaximum) host_.SetProgress(++progress);
      }
      if (!(rows_ ? WriteRow() : WriteRecord())) return false;
      if (--until_stop_question == 0) {
        until_stop_question = kRecordsPerStopQuestion;
        if (host_.StopRequested()) {
          stopped_ = true;
          break;
        }
      }
    }
    if (!CommitLines()) return false;
    const bool read_failed = reader_.ReadFailed();
    reader_.Close();
    if (read_failed) return Fail("Cannot read the input file " + path.string() + ": a read failed");
    if (store_) return EndDatabaseFile();
    return !split_days_ || CloseSectionFile();
  }

  // A database keeps whole files only: one stopped mid-file leaves no calls.
  bool EndDatabaseFile() {
    if (stopped_) {
      store_->RollbackFile();
      return true;
    }
    if (!store_->CommitFile()) return Fail("Cannot load into the database " + store_->Error());
    calls_loaded_ += calls_in_file_;
    return true;
  }

  bool WritesDates() const {
    const auto& fields = settings_.field_selection;
    return std::find(fields.begin(), fields.end(), 1) != fields.end();
  }

  bool WriteRecord() {
    if (settings_.filter_on && !Passes()) return true;
    // The line is made in the writer's buffer, where it stays; the lines of
    // a batch are handed over together.
    char* room = batch_.Room(*writer_, formatter_.MaxLineBytes());
    if (room == nullptr) return Fail("Cannot write the output file " + WriteError());
    batch_.Add(formatter_.Format(reader_.Record(), reader_.RecordDate(), room));
    return true;
  }

  // The record as a row of the run's table (csv, jsonl) or a call of the
  // database: the texts the line would hold, without its layout.
  bool WriteRow() {
    ++record_no_;  // every record counts, written or not
    if (settings_.filter_on && !Passes()) return true;
    const std::uint8_t* record = reader_.Record();
    const std::string_view date = reader_.RecordDate();
    if (table_) return PutRow(record, date);
    std::string_view texts[9];
    char* at = scratch_.data();
    for (const int field : row_fields_) {
      char* end = formatter_.PutField(field, record, date, at);
      texts[field] = {at, static_cast<std::size_t>(end - at)};
      at += field_room_;
    }
    char moment[platform::kIsoMomentLength];
    const char* moment_end = platform::PutIsoMoment(moment, texts[1], texts[2]);
    const std::string_view call_start(moment, static_cast<std::size_t>(moment_end - moment));
    for (int field = 1; field <= 8; ++field)
      cells_[static_cast<std::size_t>(field - 1)] =
          chosen_[field] ? texts[field] : std::string_view();
    if (!store_->AddCall(static_cast<std::int64_t>(record_no_), call_start, cells_.data()))
      return Fail("Cannot load into the database " + store_->Error());
    ++calls_in_file_;
    return true;
  }

  // The row made in the writer's buffer, the fields written in place
  // between the table's pieces where they need no look: nothing copied twice.
  bool PutRow(const std::uint8_t* record, std::string_view date) {
    char* at = batch_.Room(*writer_, row_room_);
    if (at == nullptr) return Fail("Cannot write the output file " + WriteError());
    if (csv_line_ && DateIsPlain(date)) {
      char time[kMaxDigits + kWriteSlack];
      const char* const time_end =
          formats::cdot::PutTime(time, record + formats::cdot::kTimeOffset);
      at = csv_line_->Format(record, date, at) - 2;  // without its CR LF
      batch_.Add(
          csv_end_.Put(at, date, {time, static_cast<std::size_t>(time_end - time)}, record_no_));
      return true;
    }
    // call_start needs the date and the time, chosen or not.
    for (const int field : unchosen_) {
      char* const from = scratch_.data() + static_cast<std::size_t>(field) * field_room_;
      row_texts_[field] = {
          from, static_cast<std::size_t>(formatter_.PutField(field, record, date, from) - from)};
    }
    std::size_t step = 0;
    for (const int field : settings_.field_selection) {
      at = table_->PutLead(at, step);
      if (in_place_[field]) {
        char* const end = formatter_.PutField(field, record, date, at);
        row_texts_[field] = {at, static_cast<std::size_t>(end - at)};
        at = end;
      } else {
        char* const from = scratch_.data() + static_cast<std::size_t>(field) * field_room_;
        row_texts_[field] = {
            from, static_cast<std::size_t>(formatter_.PutField(field, record, date, from) - from)};
        at = table_->PutCell(at, step, row_texts_[field]);
      }
      ++step;
    }
    return EndRow(at, step);
  }

  // A section dates its records with one of two texts that stay where they
  // are until the next section: each is looked at once.
  bool DateIsPlain(std::string_view date) {
    if (date.data() != plain_date_.data() || date.size() != plain_date_.size()) {
      plain_date_ = date;
      date_is_plain_ = platform::IsPlainText(date);
    }
    return date_is_plain_;
  }

  // call_start, the file's name and record_no after the fields, which end at
  // `at`; `step` is call_start's.
  bool EndRow(char* at, std::size_t step) {
    char moment[platform::kIsoMomentLength];
    const char* moment_end = moments_.Put(moment, row_texts_[1], row_texts_[2]);
    at = table_->PutLead(at, step);
    at = table_->PutCell(at, step++, {moment, static_cast<std::size_t>(moment_end - moment)});
    at = table_->PutLead(at, step);
    at = platform::PutDecimal(at, record_no_);
    batch_.Add(table_->PutEnd(at));
    return true;
  }

  // Hands the batch's lines to the writer; needed before the output file
  // changes or the run ends.
  bool CommitLines() {
    if (!batch_.Commit()) return Fail("Cannot write the output file " + WriteError());
    return true;
  }

  // The writer names the temporary file; the user knows the output by its own name.
  std::string WriteError() const { return target_.string() + ": " + writer_->Reason(); }

  bool Passes() {
    const CdotFields& fields = reader_.Fields();
    if (settings_.area_code_on) {
      PrefixAreaCode(fields.calling, settings_.area_code, calling_);
    } else {
      calling_.assign(fields.calling);
    }
    return filter_.Passes(fields, calling_);
  }

  // Every day's file has a temporary file of its own for the whole run: a
  // later section of the same date (or another input file's) appends to it
  // instead of wiping what the earlier one wrote.
  bool StartSectionFile() {
    if (!CommitLines() || !CloseSectionFile()) return false;
    const std::filesystem::path path =
        settings_.output_folder / (table_
                                       ? SectionFileName(reader_.SectionDigits(), settings_.format)
                                       : SectionFileName(reader_.SectionDigits()));
    if (IsInput(path)) return InputAsOutput(path);
    std::unique_ptr<platform::FileReplacer>& day = days_[path.lexically_normal().string()];
    const bool new_day = !day;
    if (new_day) {
      day = std::make_unique<platform::FileReplacer>();
      if (!day->Reserve(path)) return Fail("Cannot create the output file " + day->Error());
    }
    writer_ = &section_writer_;
    target_ = path;
    if (!section_writer_.Open(day->TemporaryPath(), platform::TextWriter::Mode::kAppend))
      return Fail("Cannot create the output file " + WriteError());
    // Each day's file of rows has its header row once, at its start.
    if (new_day && table_ && !table_->WriteHeader(section_writer_))
      return Fail("Cannot write the output file " + WriteError());
    return true;
  }

  bool CloseSectionFile() {
    if (!section_writer_.IsOpen()) return true;
    if (!section_writer_.Close()) return Fail("Cannot write the output file " + WriteError());
    return true;
  }

  // The run ended as it should (every file read, or stopped keeping the
  // lines so far): the outputs take their places.
  bool CommitOutputs() {
    if (store_) {
      if (!store_->Close()) return Fail("Cannot load into the database " + store_->Error());
      return true;
    }
    if (!CommitLines()) return false;
    if (settings_.multi_file) {
      if (!CloseSectionFile()) return false;
      for (auto& [name, day] : days_) {
        if (!day->Commit()) return Fail("Cannot write the output file " + day->Error());
      }
      return true;
    }
    if (!single_.Commit()) {
      return Fail("Cannot write the output file " +
                  (single_.Writer().Ok() ? single_.Error() : WriteError()));
    }
    return true;
  }

  bool IsInput(const std::filesystem::path& path) const {
    for (const auto& input : settings_.inputs) {
      std::error_code error;
      if (std::filesystem::equivalent(path, input, error)) return true;
    }
    return false;
  }

  bool InputAsOutput(const std::filesystem::path& path) {
    return Fail("Cannot create the output file " + path.string() +
                ": it is one of the input files");
  }

  // Nothing of a failed run replaces anything: every temporary file goes.
  bool Fail(const std::string& text) {
    batch_.Drop();  // it lay in the writer's buffer
    section_writer_.Abandon();
    single_.Cancel();
    for (auto& [name, day] : days_) day->Cancel();
    if (store_) {
      // The file being read leaves no calls; the files committed stay.
      store_->RollbackFile();
      store_->Close();
    }
    reader_.Close();
    host_.ShowMessage({text, settings_.title, MessageIcon::kError, MessageButtons::kOk});
    return false;
  }

  const RunSettings& settings_;
  Host& host_;
  RecordFormatter formatter_;
  RecordFilter filter_;
  CdotSectionReader reader_;
  platform::FileReplacer single_;                                        // the one output file
  std::map<std::string, std::unique_ptr<platform::FileReplacer>> days_;  // per-day files
  platform::TextWriter section_writer_;     // appends to the current day's file
  platform::TextWriter* writer_ = nullptr;  // where the lines go now
  std::filesystem::path target_;            // the output they are meant for
  std::string calling_;
  bool stopped_ = false;
  bool ended_ = false;    // No after a file that is not C-DOT
  bool refused_ = false;  // the latest file was not C-DOT
  std::size_t skipped_ = 0;
  std::size_t decoded_ = 0;
  platform::LineBatch batch_;  // the lines made in the writer's buffer
  // Set for every format but text: rows instead of lines.
  bool rows_ = false;
  bool database_ = false;
  bool split_days_ = false;      // one file per day (never for a database)
  std::vector<int> row_fields_;  // the fields a row needs texts of
  bool chosen_[9] = {};          // by field number: written by this run
  std::size_t field_room_ = 0;
  std::vector<char> scratch_;  // room for each needed field's text
  bool in_place_[9] = {};      // by field number: written straight into the row
  std::vector<int> unchosen_;  // date and time when not chosen
  std::size_t row_room_ = 0;
  // A row's field texts by field number; a member, so that no row clears it.
  std::string_view row_texts_[9];
  std::vector<std::string_view> cells_;
  std::optional<platform::TableWriter> table_;  // csv, jsonl
  std::optional<RecordFormatter> csv_line_;     // csv: the fields as one line
  platform::CsvCallEnd csv_end_;                // after csv_line_'s fields
  std::string_view plain_date_;                 // the latest date DateIsPlain looked at
  bool date_is_plain_ = true;
  platform::IsoMoments moments_;
  std::unique_ptr<platform::CallStore> store_;  // sqlite, postgres
  std::string source_file_;
  std::uint64_t record_no_ = 0;
  std::uint64_t calls_in_file_ = 0;
  std::uint64_t calls_loaded_ = 0;
};

void Error(Host& host, const RunSettings& settings, const std::string& text) {
  host.ShowMessage({text, settings.title, MessageIcon::kError, MessageButtons::kOk});
}

}  // namespace

std::string SectionFileName(const std::string& ddmmyy) {
  return "tgcbr" + ddmmyy + ".txt";
}

std::string SectionFileName(const std::string& ddmmyy, platform::OutputFormat format) {
  return "tgcbr" + ddmmyy + "." + platform::OutputFormatName(format);
}

std::string DatabaseName(const RunSettings& settings) {
  if (settings.format == platform::OutputFormat::kSqlite) return settings.output_file.string();
  return "the PostgreSQL database";
}

std::string ClosingMessage(std::uint64_t records, std::size_t files, std::int64_t seconds) {
  return std::to_string(records) + " Records Written from " + std::to_string(files) +
         (files == 1 ? " File" : " Files") + " in " + ElapsedText(seconds);
}

std::string DatabaseClosingMessage(std::uint64_t calls, std::size_t files,
                                   const std::string& database, std::int64_t seconds) {
  return std::to_string(calls) + " Records Loaded from " + std::to_string(files) +
         (files == 1 ? " File" : " Files") + " into " + database + " in " + ElapsedText(seconds);
}

RunResult RunExtraction(const RunSettings& settings, Host& host, const Clock& clock) {
  RunResult result;
  const TimeOfDay start = TimeOf(clock.Now());
  if (settings.inputs.empty()) {
    Error(host, settings, "Please select atleast one input File to proceed");
    return result;
  }
  if (settings.field_selection.empty()) {
    Error(host, settings, "Please select atleast one Option to print");
    return result;
  }
  result.outcome = RunResult::Outcome::kFailed;
  try {
    ExtractionRun run(settings, host);
    if (!run.Run(result)) {
      result.records_written = run.RecordsWritten();
    } else if (run.Stopped()) {
      result.outcome = RunResult::Outcome::kStopped;
    } else if (run.Ended()) {
      result.outcome = RunResult::Outcome::kEnded;
    } else {
      result.outcome = RunResult::Outcome::kCompleted;
      const std::int64_t seconds = ElapsedSeconds(start, TimeOf(clock.Now()));
      const std::string closing =
          platform::IsDatabaseFormat(settings.format)
              ? DatabaseClosingMessage(result.records_written, result.files_loaded,
                                       DatabaseName(settings), seconds)
              : ClosingMessage(result.records_written, settings.inputs.size(), seconds);
      host.ShowMessage({closing, settings.title, MessageIcon::kInformation, MessageButtons::kOk});
    }
  } catch (const std::exception& e) {
    Error(host, settings, std::string("The extraction stopped: ") + e.what());
  }
  host.SetProgress(0);
  host.SetStatusText("");
  return result;
}

}  // namespace kelvan
