#include "kelvan/extraction_run.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "formats/cdot/digits.h"
#include "formats/cdot/layout.h"
#include "formats/cdot/section_reader.h"
#include "kelvan/call_table.h"
#include "kelvan/record_formatter.h"
#include "kelvan/record_text.h"
#include "platform/call_store.h"
#include "platform/digits.h"
#include "platform/file_replacer.h"
#include "platform/parallel.h"
#include "platform/table_writer.h"
#include "platform/text_writer.h"

namespace kelvan {

namespace {

using formats::cdot::CdotSectionReader;
using formats::cdot::WalkPoint;

// Records read between two questions to the host whether to stop: often
// enough to stop at once, rare enough to cost nothing per record.
constexpr unsigned kRecordsPerStopQuestion = 1024;

// Days one piece keeps apart for the files of the days; a piece with more
// (a damaged file of many tiny sections) is read again by the run itself.
constexpr std::size_t kDaysPerPiece = 8;

// What is read of a file: all of it, or a stretch of its walk.
struct Stretch {
  std::size_t index = 0;  // 0: from the file's start
  WalkPoint start;        // where a later stretch's walk goes on
  // The walk stops before its first step at or past this offset.
  std::uint64_t end = std::numeric_limits<std::uint64_t>::max();
  bool last = true;  // it ends with the file
};

// What a worker makes of one piece of the run (a file, or a stretch of
// one): everything the run shows and writes for it, kept until its turn.
struct Piece {
  bool opened = false;
  bool refused = false;  // not a C-DOT file
  bool redo = false;     // too many days: the run reads it itself
  std::string failure;   // the message that ends the run, when one does
  WalkPoint start, end;  // where its walk began and where it stopped
  std::uint64_t length = 0;
  std::uint64_t lines = 0;
  // The lines before its first section start: the day then being written
  // goes on (with one output file: every line).
  std::unique_ptr<platform::TextWriter> lead;
  struct Section {
    bool undated = false;  // its records' dates are empty (and written)
    int day = -1;          // in days, with a file per day
  };
  std::vector<Section> sections;
  // The lines of the sections starting in it, a writer per day.
  std::vector<std::pair<std::string, std::unique_ptr<platform::TextWriter>>> days;
};

// The host of a worker: it shows nothing, and stops when the run no longer
// wants the piece.
class PieceHost : public Host {
 public:
  explicit PieceHost(const platform::RunEnded& ended) : ended_(ended) {}
  MessageAnswer ShowMessage(const Message&) override { return MessageAnswer::kOk; }
  void SetProgress(int) override {}
  void SetStatusText(const std::string&) override {}
  bool StopRequested() override { return ended_.load(); }

 private:
  const platform::RunEnded& ended_;
};

// Records between two steps of the progress bar: a step comes each time the
// bytes of the records since the last reach a 300th of the file.
std::uint64_t RecordsPerStep(std::uint64_t length) {
  const double step = static_cast<double>(length) / kProgressMaximum;
  auto per = static_cast<std::uint64_t>(step / kRecordSize);
  while (static_cast<double>(per * kRecordSize) < step) ++per;
  return std::max<std::uint64_t>(per, 1);
}

int ProgressAfter(std::uint64_t records, std::uint64_t length) {
  return static_cast<int>(
      std::min<std::uint64_t>(kProgressMaximum, records / RecordsPerStep(length)));
}

// Where the stretches of one file begin: the walk from its start, taken on
// by whichever worker needs the next point first. It only looks for
// section ends, far quicker than decoding, so the workers seldom wait.
class StretchScout {
 public:
  StretchScout(std::filesystem::path path, std::uint64_t bytes, std::size_t count)
      : path_(std::move(path)), bytes_(bytes), count_(count) {}

  WalkPoint StartOf(std::size_t stretch) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!begun_) {
      begun_ = true;
      walking_ = reader_.Open(path_) && reader_.IsCdotFile();
    }
    // A file that cannot be walked: its worker finds out why itself.
    if (!walking_) {
      WalkPoint none;
      none.finished = true;
      return none;
    }
    while (points_.size() < stretch) {
      reader_.WalkTo((points_.size() + 1) * bytes_);
      points_.push_back(reader_.Point());
    }
    if (points_.size() + 1 == count_) reader_.Close();
    return points_[stretch - 1];
  }

 private:
  std::mutex mutex_;
  const std::filesystem::path path_;
  const std::uint64_t bytes_;
  const std::size_t count_;
  CdotSectionReader reader_;
  bool begun_ = false;
  bool walking_ = false;
  std::vector<WalkPoint> points_;  // of stretches 1, 2, ...
};

std::string UndatedText(const std::filesystem::path& path) {
  return "The name of " + path.string() +
         " gives no date (its characters 5 to 10 are no day DDMMYY): "
         "the date column of its lines is left empty";
}

class ExtractionRun {
 public:
  // With a piece, the run makes only that piece, into its writers.
  ExtractionRun(const RunSettings& settings, Host& host, Piece* piece = nullptr)
      : settings_(settings),
        host_(host),
        piece_(piece),
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
    if (settings_.workers > 1 && !database_ && Plan()) {
      if (!RunPieces(result)) return false;
    } else {
      for (std::size_t k = 0; k < n && !stopped_ && !ended_; ++k) {
        if (host_.StopRequested()) {
          stopped_ = true;
          break;
        }
        if (!ReadFile(settings_.inputs[k], k + 1, n, Stretch())) return false;
        if (!refused_) ++result.files_read;
      }
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
    return database_ ? calls_loaded_ : batch_.LinesCommitted() + lines_taken_;
  }

  // A worker's part: the piece's stretch of the file into its writers.
  void MakePiece(const std::filesystem::path& path, const Stretch& stretch) {
    piece_->start = stretch.start;
    piece_->lead = std::make_unique<platform::TextWriter>();
    piece_->lead->OpenTemporary();
    writer_ = piece_->lead.get();
    target_ = split_days_ ? settings_.output_folder : settings_.output_file;
    ReadFile(path, 0, 0, stretch);
    piece_->lines = batch_.LinesCommitted();
  }
  std::size_t FilesLoaded() const {
    return store_ ? static_cast<std::size_t>(store_->FilesCommitted()) : 0;
  }

 private:
  bool ReadFile(const std::filesystem::path& path, std::size_t k, std::size_t n,
                const Stretch& stretch) {
    std::string reason;
    if (!reader_.Open(path, &reason)) {
      return Fail("Cannot open the input file " + path.string() + ": " + reason);
    }
    const bool first = stretch.index == 0;
    if (piece_) {
      piece_->opened = true;
      piece_->length = reader_.Length();
    }
    // A later stretch of a file the run reads itself was taken at its first.
    refused_ = (first || piece_) && !reader_.IsCdotFile();
    if (refused_) {
      reader_.Close();
      if (piece_) {
        piece_->refused = true;
        return true;
      }
      AskAboutRefused(path);
      return true;
    }
    if (first) {
      ++decoded_;
      undated_told_ = false;
    }
    if (rows_) {
      source_file_ = path.string();
      if (table_) table_->FixCell(settings_.field_selection.size() + 1, source_file_);
      if (csv_line_) {
        csv_end_.SetFile(source_file_);
        row_room_ = std::max(row_room_, csv_line_->MaxLineBytes() + csv_end_.Room());
      }
      record_no_ = first ? 0 : stretch.start.records;
      calls_in_file_ = 0;
      if (store_ &&
          !store_->BeginFile(platform::DescribeInputFile(source_file_, "C-DOT", "kelvan")))
        return Fail("Cannot load into the database " + store_->Error());
    }
    const double step = static_cast<double>(reader_.Length()) / kProgressMaximum;
    int progress = 0;
    std::uint64_t accumulated = 0;
    unsigned until_stop_question = kRecordsPerStopQuestion;
    if (first) {
      host_.SetProgress(0);
      host_.SetStatusText(StatusText(path, k, n));
    } else {
      // The bar goes on where the records before the stretch left it.
      const std::uint64_t before = stretch.start.records;
      progress = ProgressAfter(before, reader_.Length());
      accumulated = before % RecordsPerStep(reader_.Length()) * kRecordSize;
      reader_.Resume(stretch.start);
    }
    const std::uint64_t end = stretch.end;
    for (;;) {
      if (reader_.NextOffset() >= end) break;
      const CdotSectionReader::Step step_kind = reader_.Next();
      if (step_kind == CdotSectionReader::Step::kFinished) break;
      if (step_kind == CdotSectionReader::Step::kSection) {
        const bool undated = !reader_.SectionDated() && WritesDates();
        if (piece_) {
          piece_->sections.push_back({undated, -1});
        } else if (undated && !undated_told_) {
          undated_told_ = true;
          host_.ShowMessage(
              {UndatedText(path), settings_.title, MessageIcon::kInformation, MessageButtons::kOk});
        }
        // The section's texts replace the last's (no text at all is plain).
        plain_date_ = {};
        date_is_plain_ = true;
        if (split_days_ && !StartSectionFile(reader_.SectionDigits())) return false;
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
    last_end_ = reader_.Point();
    if (piece_) piece_->end = last_end_;
    reader_.Close();
    if (read_failed) return Fail("Cannot read the input file " + path.string() + ": a read failed");
    if (store_) return EndDatabaseFile();
    // The day being written goes on in the file's next stretch.
    return !split_days_ || !stretch.last || piece_ || CloseSectionFile();
  }

  static std::string StatusText(const std::filesystem::path& path, std::size_t k, std::size_t n) {
    return "Processing " + path.filename().string() + "  " + std::to_string(k) + " of " +
           std::to_string(n);
  }

  void AskAboutRefused(const std::filesystem::path& path) {
    const MessageAnswer answer = host_.ShowMessage(
        {path.string() + " is not a C-DOT data file. Do you want to continue with other files?",
         settings_.title, MessageIcon::kQuestion, MessageButtons::kYesNo});
    // Yes skips the file; No ends the run, keeping what was written.
    if (answer == MessageAnswer::kYes) {
      ++skipped_;
    } else {
      ended_ = true;
    }
  }

  // The pieces of the run: each file, a large one cut into stretches. False
  // when there is only one: the run reads it itself, as with one worker.
  bool Plan() {
    const std::uint64_t bytes = std::max<std::uint64_t>(settings_.stretch_bytes, 1);
    scouts_.resize(settings_.inputs.size());
    for (std::size_t f = 0; f < settings_.inputs.size(); ++f) {
      std::error_code error;
      const std::uint64_t size = std::filesystem::file_size(settings_.inputs[f], error);
      // One that cannot be sized is one piece: opening it says why.
      const std::size_t count = error || size <= bytes ? 1 : (size - 1) / bytes + 1;
      if (count > 1) scouts_[f] = std::make_unique<StretchScout>(settings_.inputs[f], bytes, count);
      for (std::size_t s = 0; s < count; ++s) {
        Stretch stretch;
        stretch.index = s;
        stretch.last = s + 1 == count;
        if (!stretch.last) stretch.end = (s + 1) * bytes;
        plan_.push_back({f, stretch});
      }
    }
    return plan_.size() > 1;
  }

  // The pieces made on the workers and taken here in their order.
  bool RunPieces(RunResult& result) {
    const unsigned workers = settings_.workers;
    const auto make = [this](std::size_t i, const platform::RunEnded& ended) {
      Piece piece;
      const auto& [file, planned] = plan_[i];
      Stretch stretch = planned;
      if (stretch.index > 0) stretch.start = scouts_[file]->StartOf(stretch.index);
      PieceHost host(ended);
      ExtractionRun worker(settings_, host, &piece);
      worker.MakePiece(settings_.inputs[file], stretch);
      return piece;
    };
    const auto take = [this, &result](std::size_t i, Piece& piece) {
      return TakePiece(plan_[i].first, plan_[i].second, piece, result);
    };
    platform::RunInOrder<Piece>(plan_.size(), workers, 2 * std::size_t{workers}, make, take,
                                [this] { host_.PumpEvents(); });
    return !failed_;
  }

  // What one worker would have shown and written at this point of the run,
  // from the piece made ahead. False ends the run.
  bool TakePiece(std::size_t file, const Stretch& planned, Piece& piece, RunResult& result) {
    const std::filesystem::path& path = settings_.inputs[file];
    const std::size_t k = file + 1, n = settings_.inputs.size();
    if (planned.index > 0 && refused_) return true;
    if (host_.StopRequested()) {
      stopped_ = true;
      // A file stopped between its stretches was read, as one stopped mid-way.
      if (planned.index > 0) ++result.files_read;
      return false;
    }
    // The piece's walk must begin where the walk before it ended, or the
    // run reads it itself from there.
    if (piece.redo || (planned.index > 0 && !(piece.start == last_end_))) {
      Stretch stretch = planned;
      if (planned.index > 0) stretch.start = last_end_;
      if (!ReadFile(path, k, n, stretch)) return false;
      if ((planned.last || stopped_) && !refused_) ++result.files_read;
      return !stopped_ && !ended_;
    }
    if (!piece.opened) return Fail(piece.failure);
    if (planned.index == 0) {
      refused_ = piece.refused;
      if (refused_) {
        AskAboutRefused(path);
        return !ended_;
      }
      ++decoded_;
      undated_told_ = false;
      host_.SetProgress(0);
      host_.SetStatusText(StatusText(path, k, n));
    }
    if (piece.lead->BytesWritten() > 0 && !AppendLines(*piece.lead)) return false;
    for (const Piece::Section& section : piece.sections) {
      if (section.undated && !undated_told_) {
        undated_told_ = true;
        host_.ShowMessage(
            {UndatedText(path), settings_.title, MessageIcon::kInformation, MessageButtons::kOk});
      }
      if (!split_days_) continue;
      if (section.day < 0) break;  // the piece failed there
      if (!StartSectionFile(piece.days[static_cast<std::size_t>(section.day)].first)) return false;
    }
    for (auto& [digits, lines] : piece.days) {
      if (!AppendToDay(digits, *lines)) return false;
    }
    lines_taken_ += piece.lines;
    host_.SetProgress(ProgressAfter(piece.end.records, piece.length));
    last_end_ = piece.end;
    if (!piece.failure.empty()) return Fail(piece.failure);
    if (planned.last) {
      if (split_days_ && !CloseSectionFile()) return false;
      ++result.files_read;
    }
    return true;
  }

  // A piece's lines after those the run wrote where they go now.
  bool AppendLines(platform::TextWriter& lines) {
    if (!CommitLines()) return false;
    if (lines.AppendTo(*writer_)) return true;
    if (!writer_->Ok()) return Fail("Cannot write the output file " + WriteError());
    return Fail("Cannot write the output file " + target_.string() + ": " + lines.Reason());
  }

  // A piece's lines of a day, after what the day's file has: the file being
  // written, or another opened for this.
  bool AppendToDay(const std::string& digits, platform::TextWriter& lines) {
    const std::filesystem::path path = DayPath(digits);
    if (path == target_) return AppendLines(lines);
    const auto& day = days_.at(path.lexically_normal().string());
    platform::TextWriter out;
    bool written =
        out.Open(day->TemporaryPath(), platform::TextWriter::Mode::kAppend) && lines.AppendTo(out);
    written = out.Close() && written;
    if (written) return true;
    return Fail("Cannot write the output file " + path.string() + ": " +
                (out.Ok() ? lines.Reason() : out.Reason()));
  }

  std::filesystem::path DayPath(const std::string& digits) const {
    return settings_.output_folder /
           (table_ ? SectionFileName(digits, settings_.format) : SectionFileName(digits));
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
  bool StartSectionFile(const std::string& digits) {
    if (piece_) return StartPieceDay(digits);
    if (!CommitLines() || !CloseSectionFile()) return false;
    const std::filesystem::path path = DayPath(digits);
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

  // A worker keeps each day's lines apart; the run puts them in the days'
  // files when it takes the piece.
  bool StartPieceDay(const std::string& digits) {
    if (!CommitLines()) return false;
    auto& days = piece_->days;
    std::size_t day = 0;
    while (day < days.size() && days[day].first != digits) ++day;
    if (day == days.size()) {
      if (days.size() == kDaysPerPiece) {
        piece_->redo = true;
        return false;
      }
      days.emplace_back(digits, std::make_unique<platform::TextWriter>());
      days.back().second->OpenTemporary();
    }
    piece_->sections.back().day = static_cast<int>(day);
    writer_ = days[day].second.get();
    target_ = DayPath(digits);
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
    failed_ = true;
    if (piece_) {
      // Said when the run takes the piece, in its turn.
      piece_->failure = text;
      reader_.Close();
      return false;
    }
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
  Piece* piece_;  // a worker's: what it makes
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
  bool failed_ = false;
  bool undated_told_ = false;                          // of the file being read
  WalkPoint last_end_;                                 // where the latest walk stopped
  std::vector<std::pair<std::size_t, Stretch>> plan_;  // file and stretch of each piece
  std::vector<std::unique_ptr<StretchScout>> scouts_;  // of files cut in stretches
  std::uint64_t lines_taken_ = 0;                      // written from pieces
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
