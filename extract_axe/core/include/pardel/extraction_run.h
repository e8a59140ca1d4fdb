#pragma once
// One Extract or Show Sample run over the selected files, into one output file.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pardel/axe_decoder.h"
#include "pardel/host.h"
#include "platform/call_store.h"
#include "platform/file_replacer.h"
#include "platform/output_format.h"
#include "platform/table_writer.h"
#include "platform/text_writer.h"

namespace pardel {

inline constexpr std::uint64_t kSampleLines = 50;

struct RunRequest {
  std::vector<std::filesystem::path> files;  // in list order
  // The output file; for sqlite the database file.
  std::filesystem::path output;
  bool sample = false;  // text, csv and jsonl only: a database has no sample
};

// What the run writes: the text lines, rows for other tools, or calls loaded
// into a database.
struct OutputChoice {
  platform::OutputFormat format = platform::OutputFormat::kText;
  // postgres: the connection text ("postgresql://…"), empty for the PG*
  // variables.
  std::string connection;
};

enum class RunOutcome {
  kCompleted,    // every file done, the closing message shown
  kSampleShown,  // the sample reached its lines and went to the text viewer
  kNoFiles,      // nothing selected
  kStopped,      // a file was not AXE and the user chose not to go on
  kInterrupted,  // the host asked to stop (Ctrl-C): the lines (database: the files) so far are kept
  kFailed,       // the output or an input could not be created, read or written
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kCompleted;
  // Lines or rows written; for a database the calls of the files loaded.
  std::uint64_t lines_written = 0;
  std::int64_t files_loaded = 0;  // database: files committed
  int files_opened = 0;           // k: every selected file that was opened
  int files_skipped = 0;          // not AXE, answered Yes
};

class ExtractionRun {
 public:
  explicit ExtractionRun(Host& host) : host_(host) {}
  RunResult Run(const RunRequest& request, const OutputChoice& choice = {});

 private:
  enum class FileEnd { kDone, kSampleFull, kWriteFailed, kInterrupted };
  FileEnd DecodeFile(platform::BinaryReader& file, platform::TextWriter& out, bool& sample);
  bool WriteLine(std::string_view record, platform::TextWriter& out);
  // The same record as a row of a csv or jsonl file, or as a call of the
  // database.
  bool WriteRow(std::string_view record, platform::TextWriter& out);
  RunResult LoadIntoDatabase(const RunRequest& request, const OutputChoice& choice);
  void ShowError(const std::string& text);
  RunResult Fail(const std::string& text);
  static std::string WriteError(platform::FileReplacer& out);

  Host& host_;
  RunResult result_;
  LayoutState layout_;
  std::string line_;
  // Set for any format but text: rows instead of lines.
  bool rows_ = false;
  std::optional<platform::TableWriter> table_;  // csv, jsonl
  platform::IsoMoments moments_;                // call_start of each row
  std::unique_ptr<platform::CallStore> store_;  // sqlite, postgres
  std::string source_file_;                     // the input as the user gave it
  bool csv_rows_ = false;                       // a csv run: rows end with csv_end_
  platform::CsvCallEnd csv_end_;
  std::uint64_t record_no_ = 0;  // of the record in its file, from 1
  alignas(16) char row_line_[kWholeLineRoom] = {};
};

// "1250 Records Written from 2 Files"
std::string CompletionText(std::uint64_t lines, int files);
// "1250 Records Loaded from 2 Files into calls.db"
std::string LoadedText(std::uint64_t calls, std::int64_t files, const std::string& database);
// How messages name the database of a run: the SQLite file, or "the
// PostgreSQL database" (the connection text may hold a password).
std::string DatabaseName(const RunRequest& request, platform::OutputFormat format);

}  // namespace pardel
