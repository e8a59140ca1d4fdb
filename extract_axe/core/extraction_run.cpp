#include "pardel/extraction_run.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>

#include "formats/axe/layout.h"
#include "pardel/call_table.h"
#include "platform/digits.h"
#include "platform/file_replacer.h"
#include "platform/parallel.h"
#include "platform/text_writer.h"

namespace pardel {

namespace {

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
// The blocks of a stretch whose lines, rows or JSON objects fit in a
// temporary writer's memory (usual blocks give 1 to 5 KiB of them).
constexpr std::uint64_t kStretchBlocks = 192;

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

// The progress bar once the block `block` is done: the 1-based offset of the
// next block over the file's progress step, at most 100.
int ProgressAfter(std::uint64_t block, std::uint64_t step) {
  return static_cast<int>(
      std::min<std::uint64_t>(100, (block * kBlockSize + kBlockSize + 1) / step));
}

// The bar as it stands when a decode starts at `block`.
int ProgressBefore(std::uint64_t block, std::uint64_t step) {
  return block > 0 && step > 0 ? ProgressAfter(block - 1, step) : 0;
}

}  // namespace

// A run's (or a worker's) lines or rows, with what a record's line takes
// from the records before it: the layout and a row's record number.
class RecordFormatter {
 public:
  // Text lines without a table and a store; rows of `table` or calls of
  // `store` with one.
  RecordFormatter(const platform::TableWriter* table, platform::CallStore* store)
      : rows_(table != nullptr || store != nullptr), store_(store) {
    if (table != nullptr) table_.emplace(*table);
  }

  void SetFile(const std::string& source_file) {
    source_file_ = source_file;
    if (table_) table_->FixCell(kFieldCount + 1, source_file_);
    csv_rows_ = table_ && table_->Format() == platform::TableFormat::kCsv;
    if (csv_rows_) csv_end_.SetFile(source_file_);
    record_no = 0;
  }

  bool Write(std::string_view record, platform::TextWriter& out) {
    return rows_ ? WriteRow(record, out) : WriteLine(record, out);
  }
  bool Rows() const { return rows_; }

  LayoutState layout;
  std::uint64_t record_no = 0;  // rows: of the last record written, in its file from 1

 private:
  bool WriteLine(std::string_view record, platform::TextWriter& out);
  // The same record as a row of a csv or jsonl file, or as a call of the
  // database.
  bool WriteRow(std::string_view record, platform::TextWriter& out);

  bool rows_;
  std::optional<platform::TableWriter> table_;  // csv, jsonl
  platform::IsoMoments moments_;                // call_start of each row
  platform::CallStore* store_;                  // sqlite, postgres
  std::string source_file_;                     // the input as the user gave it
  bool csv_rows_ = false;                       // a csv run: rows end with csv_end_
  platform::CsvCallEnd csv_end_;
  std::string line_;
  alignas(16) char row_line_[kWholeLineRoom] = {};
};

bool RecordFormatter::WriteLine(std::string_view record, platform::TextWriter& out) {
  // The line goes straight into the writer's buffer; only unusual records
  // take the general way through a string.
  char* room = out.Reserve(kWholeLineRoom);
  if (char* end = FormatWholeRecord(record, layout, room)) {
    return out.Commit(static_cast<std::size_t>(end - room));
  }
  line_.clear();
  FormatRecord(record, layout, line_);
  return out.WriteLine(line_);
}

bool RecordFormatter::WriteRow(std::string_view record, platform::TextWriter& out) {
  ++record_no;
  // The row's fields are the line's: the same formatter makes them, and
  // they are cut out of the line where it says they end.
  FieldEnds ends;
  std::string_view line;
  char* whole_end;
  if (csv_rows_) {
    // The line made where the row goes: with its seven commas and nothing
    // else CSV quotes, it is already the row's fields.
    char* room = out.Reserve(kWholeLineRoom + csv_end_.Room());
    whole_end = FormatWholeRecord(record, layout, room, ends);
    if (whole_end != nullptr) {
      const auto fields = static_cast<std::size_t>(whole_end - room) - 2;  // without CR LF
      if (RecordIsPlain(record) || platform::IsPlainCsv(room, fields, kFieldCount - 1)) {
        char* const end = csv_end_.Put(room + fields, {room, ends[0]},
                                       {room + ends[0] + 1, ends[1] - ends[0] - 1}, record_no);
        return out.Commit(static_cast<std::size_t>(end - room));
      }
      std::memcpy(row_line_, room, static_cast<std::size_t>(whole_end - room));
      whole_end = row_line_ + (whole_end - room);
    }
  } else {
    whole_end = FormatWholeRecord(record, layout, row_line_, ends);
  }
  if (whole_end != nullptr) {
    line = {row_line_, static_cast<std::size_t>(whole_end - row_line_)};
  } else {
    line_.clear();
    FormatRecord(record, layout, line_, &ends);
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
  if (store_) return store_->AddCall(static_cast<std::int64_t>(record_no), call_start, cells);

  cells[kFieldCount] = call_start;
  // cells[kFieldCount + 1], source_file, is fixed for the file.
  char number[24];
  cells[kFieldCount + 2] = {
      number, static_cast<std::size_t>(platform::PutDecimal(number, record_no) - number)};
  // The fields are cut out of the line: together no longer than it.
  char* room = out.Reserve(table_->RowRoom(line.size() + platform::kIsoMomentLength + 24));
  return out.Commit(static_cast<std::size_t>(table_->PutRow(room, cells) - room));
}

namespace {

enum class FileEnd { kDone, kSampleFull, kWriteFailed, kInterrupted };

struct Decoded {
  FileEnd end = FileEnd::kDone;
  bool file_ended = false;  // the file's last block was decoded
};

// Decodes the blocks from `first_block` on, up to `end_block` or the file's
// end, into `out`; `lines` counts the lines, and reaching `line_limit` ends
// the decode. With a host: the progress after every block and the stop
// question after every block but a last one that runs past the file's end,
// as the user sees them. Without one (a worker): neither, but `ended`
// looked at after every block.
Decoded DecodeBlocks(platform::BinaryReader& file, platform::TextWriter& out,
                     RecordFormatter& formatter, std::uint64_t first_block, std::uint64_t end_block,
                     std::uint64_t& lines, std::uint64_t line_limit, Host* host,
                     const platform::RunEnded* ended) {
  // Files under 100 bytes have no progress step and show no progress.
  const std::uint64_t step = file.Length() / 100;
  int progress = ProgressBefore(first_block, step);
  Decoded decoded;
  AxeBlock copy;
  for (std::uint64_t block = first_block;; ++block) {
    const std::uint64_t offset = block * kBlockSize;
    if (offset >= file.Length()) {
      decoded.file_ended = true;
      break;
    }
    if (block >= end_block) break;
    bool past_end = false;
    const BlockBytes bytes = ViewBlock(file, offset, copy, past_end);
    std::size_t start = 0;
    for (;;) {
      const AxeRecord record = NextRecord(bytes, start);
      if (record.length == 0) break;
      if (!formatter.Write(record.text, out)) return {FileEnd::kWriteFailed, false};
      if (++lines >= line_limit) return {FileEnd::kSampleFull, false};
      start += record.length;
    }
    if (host != nullptr && step > 0 && progress < 100) {
      progress = ProgressAfter(block, step);
      host->SetProgress(progress);
    }
    if (past_end) {
      decoded.file_ended = true;
      break;
    }
    if (host != nullptr ? host->StopRequested()
                        : ended != nullptr && ended->load(std::memory_order_relaxed))
      return {FileEnd::kInterrupted, false};
  }
  if (host != nullptr && decoded.file_ended) host->SetProgress(100);
  return decoded;
}

// How many lines the blocks from `first_block` up to `end_block` (or the
// file's end) give: the walk of DecodeBlocks without the lines.
std::uint64_t CountRecords(const std::filesystem::path& path, std::uint64_t first_block,
                           std::uint64_t end_block, const platform::RunEnded& ended) {
  platform::BinaryReader file;
  if (!file.Open(path)) return 0;
  file.MapFile();
  std::uint64_t count = 0;
  AxeBlock copy;
  for (std::uint64_t block = first_block; block < end_block && !ended.load(); ++block) {
    const std::uint64_t offset = block * kBlockSize;
    if (offset >= file.Length()) break;
    bool past_end = false;
    const BlockBytes bytes = ViewBlock(file, offset, copy, past_end);
    for (std::size_t start = 0;;) {
      const AxeRecord record = NextRecord(bytes, start);
      if (record.length == 0) break;
      ++count;
      start += record.length;
    }
    if (past_end) break;
  }
  return count;
}

// A file, or a stretch of whole blocks of one, as the workers take them.
struct PiecePlan {
  std::size_t file = 0;
  std::uint64_t first_block = 0;
  std::uint64_t end_block = kNoLimit;  // kNoLimit: to the file's end
  // Rows: the records of the file before the stretch, as counted ahead.
  std::uint64_t first_record_no = 0;
  bool Opens() const { return first_block == 0; }
};

std::vector<PiecePlan> PlanPieces(const RunRequest& request, unsigned workers) {
  std::vector<PiecePlan> plans;
  // Stretches of at most kStretchBlocks: their lines stay in the memory of
  // their writers instead of going through a temporary file.
  const std::uint64_t stretch_blocks =
      std::clamp<std::uint64_t>(request.stretch_bytes / kBlockSize, 1, kStretchBlocks);
  for (std::size_t f = 0; f < request.files.size(); ++f) {
    std::uint64_t size = 0;
    // A sample needs the first lines only: a file is not worth cutting then.
    if (workers > 1 && !request.sample) {
      std::error_code error;
      size = std::filesystem::file_size(request.files[f], error);
      if (error) size = 0;  // the run says why in the file's turn
    }
    if (size <= request.stretch_bytes) {
      plans.push_back({f, 0, kNoLimit, 0});
      continue;
    }
    const std::uint64_t blocks = (size + kBlockSize - 1) / kBlockSize;
    for (std::uint64_t b = 0; b < blocks; b += stretch_blocks)
      plans.push_back({f, b, b + stretch_blocks >= blocks ? kNoLimit : b + stretch_blocks, 0});
  }
  return plans;
}

}  // namespace

// A piece decoded by a worker, for the calling thread to take in its turn.
struct ExtractionRun::Piece {
  bool made = false;                          // false: the calling thread decodes it in its turn
  std::unique_ptr<platform::TextWriter> out;  // the piece's lines
  FileEnd end = FileEnd::kDone;
  std::uint64_t lines = 0;
  std::uint64_t length = 0;  // of the file as the worker opened it
  bool read_failed = false;
  // The layout the worker decoded in, the one the file's first record
  // chooses, and the layout at the piece's end.
  bool assumed_shifted = false;
  bool first_choice = false;
  LayoutState end_layout;
};

ExtractionRun::ExtractionRun(Host& host) : host_(host) {}
ExtractionRun::~ExtractionRun() = default;

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
  table_.reset();
  store_.reset();
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
  const platform::TableWriter* table = table_ ? &*table_ : nullptr;
  formatter_ = std::make_unique<RecordFormatter>(table, nullptr);
  const std::uint64_t limit = request.sample ? kSampleLines : kNoLimit;
  unsigned workers = std::max(1u, request.workers);
  std::vector<PiecePlan> plans = PlanPieces(request, workers);
  // One piece is decoded straight into the output, as by one worker.
  if (plans.size() < 2) workers = 1;
  const std::size_t ahead = 2 * static_cast<std::size_t>(workers);
  auto pump = [this] { host_.PumpEvents(); };
  if (table != nullptr && plans.size() > request.files.size()) {
    // A row holds its record's number in the file: the stretches after a
    // file's first are counted ahead (a quick walk of the record lengths).
    std::vector<std::size_t> cut;  // the stretches that have a stretch after them
    for (std::size_t i = 0; i + 1 < plans.size(); ++i)
      if (!plans[i + 1].Opens()) cut.push_back(i);
    platform::RunInOrder<std::uint64_t>(
        cut.size(), workers, ahead,
        [&](std::size_t k, const platform::RunEnded& ended) {
          const PiecePlan& plan = plans[cut[k]];
          return CountRecords(request.files[plan.file], plan.first_block, plan.end_block, ended);
        },
        [&](std::size_t k, std::uint64_t& count) {
          plans[cut[k] + 1].first_record_no = plans[cut[k]].first_record_no + count;
          return true;
        },
        pump);
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
  auto clear_status = [&] {
    host_.SetStatus("", "");
    host_.SetProgress(0);
  };
  // Set once a line of the run is written: its layout, for the workers
  // (-1 while unknown).
  std::atomic<int> run_layout{-1};

  // Writers taken and emptied, for the next pieces: a new one would have
  // its buffer of a MiB made and cleared again.
  std::mutex spare_mutex;
  std::vector<std::unique_ptr<platform::TextWriter>> spare;

  auto make = [&](std::size_t i, const platform::RunEnded& ended) {
    Piece piece;
    if (workers <= 1) return piece;
    const PiecePlan& plan = plans[i];
    const std::filesystem::path& path = request.files[plan.file];
    platform::BinaryReader file;
    if (!file.Open(path)) return piece;
    file.MapFile();
    if (!IsAxeFile(file)) return piece;
    piece.length = file.Length();
    RecordFormatter formatter(table, nullptr);
    formatter.SetFile(path.string());
    formatter.record_no = plan.first_record_no;
    // The layout the run's first line chooses holds for every line after
    // it: until the run has written one, the file's first record is the
    // likely chooser. The calling thread checks the guess.
    AxeBlock copy;
    bool past_end = false;
    const AxeRecord first = NextRecord(ViewBlock(file, 0, copy, past_end), 0);
    piece.first_choice = first.length > 0 && formats::axe::ChoosesShiftedLayout(first.text);
    const int known = run_layout.load(std::memory_order_relaxed);
    piece.assumed_shifted = known >= 0 ? known == 1 : piece.first_choice;
    formatter.layout = {piece.assumed_shifted, true};
    {
      std::lock_guard<std::mutex> lock(spare_mutex);
      if (!spare.empty()) {
        piece.out = std::move(spare.back());
        spare.pop_back();
      }
    }
    if (!piece.out) {
      piece.out = std::make_unique<platform::TextWriter>();
      piece.out->OpenTemporary();
    }
    const Decoded decoded_piece = DecodeBlocks(file, *piece.out, formatter, plan.first_block,
                                               plan.end_block, piece.lines, limit, nullptr, &ended);
    piece.end = decoded_piece.end;
    piece.end_layout = formatter.layout;
    piece.read_failed = file.ReadFailed();
    piece.made = true;
    return piece;
  };

  // The file being taken, on the calling thread.
  platform::BinaryReader file;
  bool in_file = false;  // an AXE file whose last block is still to come
  std::optional<RunResult> finished;
  auto finish = [&](const RunResult& result) {
    finished = result;
    return false;
  };
  // Whether a worker's piece is what the calling thread would make now.
  auto fits = [&](const Piece& piece, const PiecePlan& plan) {
    if (!piece.made || piece.end != FileEnd::kDone || piece.read_failed || !piece.out->Ok() ||
        piece.length != file.Length())
      return false;
    // The piece that fills a sample is cut where it fills, on this thread.
    if (piece.lines >= limit - result_.lines_written) return false;
    const LayoutState& layout = formatter_->layout;
    if (!layout.line_written && !plan.Opens()) return false;
    if (piece.assumed_shifted != (layout.line_written ? layout.shifted : piece.first_choice))
      return false;
    return !formatter_->Rows() || formatter_->record_no == plan.first_record_no;
  };

  auto take = [&](std::size_t i, Piece& piece) {
    const PiecePlan& plan = plans[i];
    const std::filesystem::path& path = request.files[plan.file];
    if (plan.Opens()) {
      if (host_.StopRequested()) {
        if (!end_run(RunOutcome::kInterrupted))
          return finish(Fail("Cannot write the output file " + WriteError(out)));
        clear_status();
        return finish(result_);
      }
      std::string reason;
      if (!file.Open(path, &reason)) {
        out.Cancel();
        return finish(Fail("Cannot open the input file " + path.string() + ": " + reason));
      }
      file.MapFile();  // blocks straight from the file cache, not copied
      ++result_.files_opened;
      host_.SetMessageFile(path.string());
      host_.SetStatus(std::to_string(result_.files_opened) + "/" + std::to_string(n),
                      "Processing " + path.filename().string());
      if (!IsAxeFile(file)) {
        file.Close();
        in_file = false;
        const Answer answer =
            host_.ShowMessage({"The Input File Selected is not AXE Data File. Do you want to "
                               "continue with other Files?",
                               "", Icon::kQuestion, Buttons::kYesNo});
        if (answer == Answer::kYes) {
          ++result_.files_skipped;
          return true;
        }
        // No ends the run at once; the files extracted before are kept.
        if (!end_run(RunOutcome::kStopped))
          return finish(Fail("Cannot write the output file " + WriteError(out)));
        return finish(result_);
      }
      in_file = true;
      ++decoded;
      host_.SetProgress(0);
      formatter_->SetFile(path.string());
    } else if (!in_file) {
      return true;  // a stretch of a file refused or already ended
    }

    Decoded done;
    if (!fits(piece, plan)) {
      done = DecodeBlocks(file, writer, *formatter_, plan.first_block, plan.end_block,
                          result_.lines_written, limit, &host_, nullptr);
    } else {
      // What the user saw while a worker decoded: the progress and the stop
      // question after each block. A stop keeps the lines up to its block.
      const std::uint64_t step = file.Length() / 100;
      int progress = ProgressBefore(plan.first_block, step);
      for (std::uint64_t block = plan.first_block;; ++block) {
        const std::uint64_t offset = block * kBlockSize;
        if (offset >= file.Length()) {
          done.file_ended = true;
          break;
        }
        if (block >= plan.end_block) break;
        if (step > 0 && progress < 100) {
          progress = ProgressAfter(block, step);
          host_.SetProgress(progress);
        }
        if (file.Length() - offset < kBlockSize) {
          done.file_ended = true;
          break;
        }
        if (host_.StopRequested()) {
          done = DecodeBlocks(file, writer, *formatter_, plan.first_block, block + 1,
                              result_.lines_written, limit, nullptr, nullptr);
          if (done.end == FileEnd::kDone) done.end = FileEnd::kInterrupted;
          break;
        }
      }
      if (done.end == FileEnd::kDone) {
        if (done.file_ended) host_.SetProgress(100);
        if (!piece.out->AppendTo(writer)) {
          if (writer.Ok()) {
            out.Cancel();
            clear_status();
            return finish(Fail("Cannot write the output file " + out.Target().string() + ": " +
                               piece.out->Reason()));
          }
          done.end = FileEnd::kWriteFailed;
        }
        if (done.end == FileEnd::kDone) {
          std::lock_guard<std::mutex> lock(spare_mutex);
          spare.push_back(std::move(piece.out));
        }
        result_.lines_written += piece.lines;
        formatter_->record_no += piece.lines;
        if (piece.lines > 0) formatter_->layout = piece.end_layout;
      }
    }
    if (formatter_->layout.line_written)
      run_layout.store(formatter_->layout.shifted ? 1 : 0, std::memory_order_relaxed);

    // A file that shrank or a disk that failed under the run reads as zeros:
    // such a run is a failure and replaces nothing.
    const bool read_failed = file.ReadFailed();
    if (done.file_ended || done.end != FileEnd::kDone) {
      file.Close();
      in_file = false;
    }
    if (done.end == FileEnd::kWriteFailed || (read_failed && !writer.Ok())) {
      const std::string error = WriteError(out);
      out.Cancel();
      clear_status();
      return finish(Fail("Cannot write the output file " + error));
    }
    if (read_failed) {
      out.Cancel();
      clear_status();
      return finish(Fail("Cannot read the input file " + path.string() +
                         ": the file could not be read to its end"));
    }
    if (done.end == FileEnd::kInterrupted) {
      if (!end_run(RunOutcome::kInterrupted))
        return finish(Fail("Cannot write the output file " + WriteError(out)));
      clear_status();
      return finish(result_);
    }
    if (done.end == FileEnd::kSampleFull) {
      const bool written = end_run(RunOutcome::kSampleShown);
      clear_status();
      if (!written) return finish(Fail("Cannot write the output file " + WriteError(out)));
      host_.OpenInTextViewer(request.output);
      return finish(result_);
    }
    return true;
  };

  if (!platform::RunInOrder<Piece>(plans.size(), workers, ahead, make, take, pump))
    return *finished;
  if (!end_run(RunOutcome::kCompleted))
    return Fail("Cannot write the output file " + WriteError(out));
  host_.ShowMessage({CompletionText(result_.lines_written, result_.files_opened), "",
                     Icon::kInformation, Buttons::kOk});
  clear_status();
  return result_;
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
  formatter_ = std::make_unique<RecordFormatter>(nullptr, store_.get());

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
    formatter_->SetFile(path.string());
    if (!store_->BeginFile(platform::DescribeInputFile(path.string(), "AXE", "pardel"))) {
      file.Close();
      return fail("Cannot write to the database " + store_->Error());
    }
    const std::uint64_t lines_before = result_.lines_written;
    const FileEnd end = DecodeBlocks(file, no_text, *formatter_, 0, kNoLimit, result_.lines_written,
                                     kNoLimit, &host_, nullptr)
                            .end;
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

}  // namespace pardel
