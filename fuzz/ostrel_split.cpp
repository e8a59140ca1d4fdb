// Ostrel's extraction of any bytes on one worker and on two with the file
// cut into stretches: the two runs must write the same bytes and say the
// same things. The input's last byte sets the stretch (from 1 byte to a few
// blocks, so that small files are cut anywhere), the one before it the
// output format.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "ostrel/extraction_run.h"

namespace {

// Answers every question Yes and remembers what was said.
class RecordingHost : public ostrel::Host {
 public:
  ostrel::MessageAnswer ShowMessage(const ostrel::Message& message) override {
    said += message.text + '\n';
    return message.buttons == ostrel::MessageButtons::kYesNo ? ostrel::MessageAnswer::kYes
                                                             : ostrel::MessageAnswer::kOk;
  }
  void SetProgress(int percent) override { said += std::to_string(percent) + ' '; }
  void SetStatusText(const std::string& text) override { said += text + '\n'; }
  void PumpEvents() override {}
  bool StopRequested() override { return false; }
  void SetBusy(bool) override {}

  std::string said;
};

struct Written {
  std::string said;
  std::string output;  // "missing" when the run wrote no output
  ostrel::ExtractionResult result;
};

Written Extract(ostrel::ExtractionRequest request, const std::filesystem::path& output) {
  request.output_path = output.string();
  RecordingHost host;
  Written written;
  written.result = ostrel::ExtractFiles(request, host);
  written.said = host.said;
  std::ifstream in(output, std::ios::binary);
  if (in) {
    std::ostringstream bytes;
    bytes << in.rdbuf();
    written.output = bytes.str();
  } else {
    written.output = "missing";
  }
  std::error_code ec;
  std::filesystem::remove(output, ec);
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const fuzz::InputFile file(data, size);
  ostrel::ExtractionRequest request;
  request.files = {file.Text()};
  request.list_entries = 1;
  const ostrel::OutputFormat formats[] = {ostrel::OutputFormat::kText, ostrel::OutputFormat::kCsv,
                                          ostrel::OutputFormat::kJsonl};
  request.format = formats[data[size - 2] % 3];
  request.fields = data[size - 2] & 4 ? std::vector<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                         10, 11, 12, 13, 14, 15, 16, 17, 18}
                                      : ostrel::DefaultFieldSelection();
  const std::filesystem::path folder = file.Path().parent_path();

  request.workers = 1;
  // One output name for both: a message that names it is the same.
  const Written whole = Extract(request, folder / "out.txt");
  request.workers = 2;
  request.stretch_bytes = 1 + std::uint64_t{data[size - 1]} * 41;
  const Written split = Extract(request, folder / "out.txt");

  if (split.output != whole.output || split.said != whole.said ||
      split.result.outcome != whole.result.outcome || split.result.calls != whole.result.calls ||
      split.result.files_taken_up != whole.result.files_taken_up ||
      split.result.files_skipped != whole.result.files_skipped) {
    __builtin_trap();
  }
  return 0;
}
