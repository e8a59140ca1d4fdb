#pragma once
// The extraction run: decodes every record of the selected files and writes
// one comma-separated line per record into one output file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/call_store.h"
#include "platform/file_replacer.h"
#include "platform/output_format.h"
#include "platform/table_writer.h"
#include "platform/text_writer.h"
#include "vantor/ewsd_decoder.h"
#include "vantor/host.h"

namespace vantor {

using platform::OutputFormat;

// Files longer than this are decoded in stretches of about this length.
inline constexpr std::int64_t kStretchBytes = std::int64_t{64} << 20;

struct RunSettings {
  std::string output_path;
  std::vector<int> columns;  // slot numbers 0 to 19, ascending
  std::vector<std::string> input_paths;
  OutputFormat format = OutputFormat::kText;
  // postgres: the connection text (empty: libpq's PG* variables); sqlite
  // loads into output_path.
  std::string database = {};
  // Files (and stretches of long files) decoded at once on worker threads;
  // 1 reads them one after the other. A database load always takes one.
  unsigned workers = 1;
  std::int64_t stretch_bytes = kStretchBytes;
};

enum class RunOutcome {
  kIgnored,        // a run was already busy
  kMissingOutput,  // no output name: the window puts the focus on it
  kNoInput,
  kCompleted,     // every file read to its end
  kFilesSkipped,  // an invalid file was passed over, the others read
  kStopped,       // cancelled, answered No, unsupported package, invalid single file
  kInterrupted,   // Ctrl-C: ended after a whole record, the lines so far kept
  kFailed,        // output or input could not be opened, read or written
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kIgnored;
  std::int64_t lines_written = 0;
  std::int64_t files_loaded = 0;  // sqlite, postgres: files committed
};

class ExtractionRun {
 public:
  explicit ExtractionRun(Host& host) : host_(host), decoder_(host) {}

  RunResult StartExtraction(const RunSettings& settings);
  // While a run is busy: asks whether to terminate and returns true. When no
  // run is busy returns false (the window then ends the program).
  bool RequestTermination();
  // Ends a busy run at once without asking and without a closing message
  // (the window is going away).
  void Abandon();
  bool Busy() const { return busy_; }

 private:
  enum class FileEnd { kRead, kSkipped, kStopRun, kFailed };
  FileEnd ExtractFile(const std::string& path, PassKind kind);
  FileEnd ReadFile(const std::string& path, PassKind kind);
  // The record loop of a file or a stretch; false when a line could not be
  // written.
  bool DecodeRecords();
  // Sets the columns, format and slots of a run (its workers' too).
  void Configure(const RunSettings& settings);

  // A run on several workers: pieces (whole files, stretches of long ones)
  // decoded apart and written in order.
  struct Piece;
  struct PieceResult;
  std::vector<Piece> CutPieces(const RunSettings& settings, PassKind kind);
  void DecodePiece(const Piece& piece, const std::string& path, PassKind kind, PieceResult* result);
  RunOutcome ExtractInParallel(const RunSettings& settings, const std::vector<Piece>& pieces,
                               PassKind kind, std::size_t* refused, bool* failed);
  bool CarriesValues() const;
  bool AppendPiece(PieceResult& result, std::string* error);
  bool WriteRecord();
  SlotText& NumberRecord(Slots& slots);
  // The same record as a row of the run's table (csv, jsonl).
  bool WriteRow();
  bool PutCsvLine(Slots& slots, const SlotText& number);
  // The database of a sqlite or postgres run: opened, closed, named.
  bool OpenStore(const RunSettings& settings);
  bool CloseStore();
  std::string StoreName() const;
  // Lines are formatted in the writer's buffer and handed to it
  // (committed) a batch at a time and when the run ends.
  bool CommitLines() { return batch_.Commit(); }
  void ShowProgress();
  void Fail(const std::string& text);

  Host& host_;
  EwsdDecoder decoder_;
  // The output is written beside its target and replaces it only when the
  // run ends as it should; a failed run, or one whose every input was
  // refused, leaves an existing file as it was.
  platform::FileReplacer output_;
  std::string WriteError();
  std::vector<int> columns_;
  std::size_t max_line_bytes_ = 0;
  bool show_number_ = true;
  bool repeated_columns_ = false;  // a column listed twice is shown twice
  platform::LineBatch batch_;
  platform::TextWriter* out_ = nullptr;  // the output, or a worker's piece
  // A worker's line lengths, when its lines begin with the serial number
  // (numbered from 1 there, renumbered when written).
  std::vector<std::uint32_t>* line_lengths_ = nullptr;
  std::size_t number_at_ = 0;  // where in a line the number starts
  // Set for a table run: its columns, one cell each, the file being read.
  std::optional<platform::TableWriter> table_;
  std::vector<int> row_slots_;
  std::vector<std::string_view> cells_;
  platform::IsoMoments moments_;  // call_start of each row
  bool csv_lines_ = false;        // csv rows start as the lines do
  unsigned csv_commas_ = 0;       // in such a row's cells
  platform::CsvCallEnd csv_end_;
  std::string source_file_;
  // Set for a database run: every record's cells go to it, a file at a time.
  std::unique_ptr<platform::CallStore> store_;
  OutputFormat format_ = OutputFormat::kText;
  bool row_path_ = false;  // any format but text: records go to WriteRow
  std::string store_target_;
  std::int64_t file_first_line_ = 0;  // lines_written_ when the file began
  std::int64_t calls_loaded_ = 0;
  std::int64_t files_loaded_ = 0;
  std::int64_t lines_written_ = 0;
  std::int64_t progress_step_ = 0;
  std::int64_t last_progress_ = 0;
  std::int64_t next_progress_offset_ = 0;  // no progress change before this offset
  bool busy_ = false;
  bool terminated_ = false;
  bool abandoned_ = false;
  bool interrupted_ = false;
  bool refused_ = false;  // the current file was not a valid data file
};

// "12 Records Have Been Written from 1File", "340 Records Have Been Written from 3 Files".
std::string CompletionText(std::int64_t lines, std::size_t files);

}  // namespace vantor
