#pragma once
// One Extract or Show Sample run over the selected files, into one output file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pardel/axe_decoder.h"
#include "pardel/host.h"
#include "platform/file_replacer.h"
#include "platform/text_writer.h"

namespace pardel {

inline constexpr std::uint64_t kSampleLines = 50;

struct RunRequest {
  std::vector<std::filesystem::path> files;  // in list order
  std::filesystem::path output;
  bool sample = false;
};

enum class RunOutcome {
  kCompleted,    // every file done, the closing message shown
  kSampleShown,  // the sample reached its lines and went to the text viewer
  kNoFiles,      // nothing selected
  kStopped,      // a file was not AXE and the user chose not to go on
  kInterrupted,  // the host asked to stop (Ctrl-C): the lines so far are kept
  kFailed,       // the output or an input could not be created, read or written
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kCompleted;
  std::uint64_t lines_written = 0;
  int files_opened = 0;   // k: every selected file that was opened
  int files_skipped = 0;  // not AXE, answered Yes
};

class ExtractionRun {
 public:
  explicit ExtractionRun(Host& host) : host_(host) {}
  RunResult Run(const RunRequest& request);

 private:
  enum class FileEnd { kDone, kSampleFull, kWriteFailed, kInterrupted };
  FileEnd DecodeFile(platform::BinaryReader& file, platform::TextWriter& out, bool& sample);
  bool WriteLine(std::string_view record, platform::TextWriter& out);
  void ShowError(const std::string& text);
  RunResult Fail(const std::string& text);
  static std::string WriteError(platform::FileReplacer& out);

  Host& host_;
  RunResult result_;
  LayoutState layout_;
  std::string line_;
};

// "1250 Records Written from 2 Files"
std::string CompletionText(std::uint64_t lines, int files);

}  // namespace pardel
