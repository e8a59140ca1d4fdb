#include "extraction_run.h"

#include <algorithm>
#include <exception>
#include <set>
#include <system_error>

#include "platform/text_writer.h"
#include "record_formatter.h"
#include "section_reader.h"

namespace kelvan {

namespace {

// Output formatted before it is handed to the writer, at most.
constexpr std::size_t kBatchBytes = 64 * 1024;

class ExtractionRun {
 public:
  ExtractionRun(const RunSettings& settings, Host& host)
      : settings_(settings),
        host_(host),
        formatter_(settings.field_selection, settings.layout, DelimiterText(settings.delimiter_name),
                   settings.area_code_on ? settings.area_code : std::string()),
        filter_(settings.filter_on ? RecordFilter(settings.filter_field, settings.filter_value)
                                   : RecordFilter()) {}

  // False when the run ended on a failure (already reported).
  bool Run(RunResult& result) {
    if (!settings_.multi_file && !OpenOutput(settings_.output_file)) return false;
    const std::size_t n = settings_.inputs.size();
    for (std::size_t k = 0; k < n; ++k) {
      if (!ReadFile(settings_.inputs[k], k + 1, n)) return false;
      ++result.files_read;
    }
    result.records_written = records_written_;
    return CloseOutput();
  }

  void Abandon() { writer_.Abandon(); }
  std::uint64_t RecordsWritten() const { return records_written_; }

 private:
  bool ReadFile(const std::filesystem::path& path, std::size_t k, std::size_t n) {
    std::string reason;
    if (!reader_.Open(path, &reason)) {
      return Fail("Cannot open the input file " + path.string() + ": " + reason);
    }
    const double step = static_cast<double>(reader_.Length()) / kProgressMaximum;
    int progress = 0;
    std::uint64_t accumulated = 0;
    host_.SetProgress(0);
    host_.SetStatusText("Processing " + path.filename().string() + "  " + std::to_string(k) +
                        " of " + std::to_string(n));
    for (;;) {
      const CdotSectionReader::Step step_kind = reader_.Next();
      if (step_kind == CdotSectionReader::Step::kFinished) break;
      if (step_kind == CdotSectionReader::Step::kSection) {
        if (settings_.multi_file && !StartSectionFile()) return false;
        continue;
      }
      accumulated += kRecordSize;
      if (static_cast<double>(accumulated) >= step) {
        accumulated = 0;
        if (progress < kProgressMaximum) host_.SetProgress(++progress);
      }
      if (!WriteRecord()) return false;
    }
    if (!CommitLines()) return false;
    const bool read_failed = reader_.ReadFailed();
    reader_.Close();
    if (read_failed) return Fail("Cannot read the input file " + path.string() + ": a read failed");
    return !settings_.multi_file || CloseOutput();
  }

  bool WriteRecord() {
    if (settings_.filter_on && !Passes()) return true;
    // The line is made in the writer's buffer, where it stays; the lines of
    // a batch are handed over together.
    if (static_cast<std::size_t>(room_end_ - room_next_) < formatter_.MaxLineBytes() && !NewRoom())
      return false;
    room_next_ = formatter_.Format(reader_.Record(), reader_.RecordDate(), room_next_);
    ++lines_in_room_;
    return true;
  }

  bool NewRoom() {
    if (!CommitLines()) return false;
    const std::size_t size = std::max(kBatchBytes, formatter_.MaxLineBytes());
    room_ = room_next_ = writer_.Reserve(size);
    room_end_ = room_ + size;
    return true;
  }

  // Hands the batch's lines to the writer; needed before the output file
  // changes or the run ends.
  bool CommitLines() {
    if (room_ == nullptr) return true;
    const bool written = writer_.Commit(static_cast<std::size_t>(room_next_ - room_));
    room_ = room_next_ = room_end_ = nullptr;
    if (!written) return Fail("Cannot write the output file " + writer_.Error());
    records_written_ += lines_in_room_;
    lines_in_room_ = 0;
    return true;
  }

  bool Passes() {
    const CdotFields& fields = reader_.Fields();
    if (settings_.area_code_on) {
      PrefixAreaCode(fields.calling, settings_.area_code, calling_);
    } else {
      calling_.assign(fields.calling);
    }
    return filter_.Passes(fields, calling_);
  }

  bool StartSectionFile() {
    if (!CommitLines() || !CloseOutput()) return false;
    return OpenOutput(settings_.output_folder / SectionFileName(reader_.SectionDigits()));
  }

  // A file is emptied only the first time this run opens it: a later section
  // of the same date (or another input file's) appends instead of wiping it.
  bool OpenOutput(const std::filesystem::path& path) {
    if (IsInput(path))
      return Fail("Cannot create the output file " + path.string() +
                  ": it is one of the input files");
    const bool seen = !opened_.insert(path.lexically_normal().string()).second;
    const auto mode =
        seen ? platform::TextWriter::Mode::kAppend : platform::TextWriter::Mode::kCreate;
    if (!writer_.Open(path, mode)) return Fail("Cannot create the output file " + writer_.Error());
    return true;
  }

  bool CloseOutput() {
    if (!writer_.IsOpen()) return true;
    if (!writer_.Close()) return Fail("Cannot write the output file " + writer_.Error());
    return true;
  }

  bool IsInput(const std::filesystem::path& path) const {
    for (const auto& input : settings_.inputs) {
      std::error_code error;
      if (std::filesystem::equivalent(path, input, error)) return true;
    }
    return false;
  }

  bool Fail(const std::string& text) {
    room_ = room_next_ = room_end_ = nullptr;  // it lay in the writer's buffer
    lines_in_room_ = 0;
    writer_.Abandon();
    reader_.Close();
    host_.ShowMessage({text, settings_.title, MessageIcon::kError, MessageButtons::kOk});
    return false;
  }

  const RunSettings& settings_;
  Host& host_;
  RecordFormatter formatter_;
  RecordFilter filter_;
  CdotSectionReader reader_;
  platform::TextWriter writer_;
  std::set<std::string> opened_;
  std::string calling_;
  std::uint64_t records_written_ = 0;
  // The writer's room the current batch of lines goes into.
  char* room_ = nullptr;
  char* room_next_ = nullptr;
  char* room_end_ = nullptr;
  std::uint64_t lines_in_room_ = 0;
};

void Error(Host& host, const RunSettings& settings, const std::string& text) {
  host.ShowMessage({text, settings.title, MessageIcon::kError, MessageButtons::kOk});
}

}  // namespace

std::string SectionFileName(const std::string& ddmmyy) {
  return "tgcbr" + ddmmyy + ".txt";
}

std::string ClosingMessage(std::uint64_t records, std::size_t files, std::int64_t seconds) {
  return std::to_string(records) + " Records Written from " + std::to_string(files) +
         (files == 1 ? " File" : " Files") + " in " + ElapsedText(seconds);
}

RunResult RunExtraction(const RunSettings& settings, Host& host, const Clock& clock) {
  RunResult result;
  const TimeOfDay start = clock.Now();
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
    if (run.Run(result)) {
      result.outcome = RunResult::Outcome::kCompleted;
      const std::int64_t seconds = ElapsedSeconds(start, clock.Now());
      host.ShowMessage({ClosingMessage(result.records_written, settings.inputs.size(), seconds),
                        settings.title, MessageIcon::kInformation, MessageButtons::kOk});
    } else {
      result.records_written = run.RecordsWritten();
    }
  } catch (const std::exception& e) {
    Error(host, settings, std::string("The extraction stopped: ") + e.what());
  }
  host.SetProgress(0);
  host.SetStatusText("");
  return result;
}

}  // namespace kelvan
