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
// A file larger than this is cut into stretches of whole blocks, at most
// this size (and small enough for their lines to stay in memory), which
// the workers decode side by side.
inline constexpr std::uint64_t kStretchBytes = std::uint64_t{64} << 20;

struct RunRequest {
  std::vector<std::filesystem::path> files;  // in list order
  // The output file; for sqlite the database file.
  std::filesystem::path output;
  bool sample = false;  // text, csv and jsonl only: a database has no sample
  // Files (and stretches of large files) decoded at once. With 1 each file
  // is decoded in its turn on the calling thread; a database is always
  // loaded so.
  unsigned workers = 1;
  std::uint64_t stretch_bytes = kStretchBytes;
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

// Makes the lines or rows of records (extraction_run.cpp).
class RecordFormatter;

class ExtractionRun {
 public:
  explicit ExtractionRun(Host& host);
  ~ExtractionRun();
  RunResult Run(const RunRequest& request, const OutputChoice& choice = {});

 private:
  struct Piece;  // a file or a stretch of one, decoded by a worker
  RunResult LoadIntoDatabase(const RunRequest& request, const OutputChoice& choice);
  void ShowError(const std::string& text);
  RunResult Fail(const std::string& text);
  static std::string WriteError(platform::FileReplacer& out);

  Host& host_;
  RunResult result_;
  std::optional<platform::TableWriter> table_;  // csv, jsonl: never changed once the run starts
  std::unique_ptr<platform::CallStore> store_;  // sqlite, postgres
  // The run's own, on the calling thread; workers make theirs.
  std::unique_ptr<RecordFormatter> formatter_;
};

// "1250 Records Written from 2 Files"
std::string CompletionText(std::uint64_t lines, int files);
// "1250 Records Loaded from 2 Files into calls.db"
std::string LoadedText(std::uint64_t calls, std::int64_t files, const std::string& database);
// How messages name the database of a run: the SQLite file, or "the
// PostgreSQL database" (the connection text may hold a password).
std::string DatabaseName(const RunRequest& request, platform::OutputFormat format);

}  // namespace pardel
