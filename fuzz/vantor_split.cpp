// vantor's run over an EWSD file cut into stretches (and over the same file
// given twice, whose values carry from one into the other) on two workers:
// the output, the messages and the end must be those of one worker reading
// it whole. The first two bytes choose the stretch length, the third the
// columns, the format and whether the file comes twice.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "vantor/extraction_run.h"

namespace {

class RecordingHost : public vantor::Host {
 public:
  vantor::MessageAnswer ShowMessage(const vantor::Message& message) override {
    messages += message.text + '\n';
    return message.buttons == vantor::MessageButtons::kOk ? vantor::MessageAnswer::kOk
                                                          : vantor::MessageAnswer::kYes;
  }
  void SetStatusText(const std::string&) override {}
  void SetProgress(int) override {}
  void SetAnalysisProgress(int) override {}
  void SetAnalysisLabels(const vantor::AnalysisLabels&) override {}
  void PumpEvents() override {}
  std::string messages;
};

std::string Run(const vantor::RunSettings& settings) {
  std::remove(settings.output_path.c_str());  // a refused run leaves it as it was
  RecordingHost host;
  vantor::ExtractionRun run(host);
  const vantor::RunResult result = run.StartExtraction(settings);
  std::ifstream in(settings.output_path, std::ios::binary);
  std::stringstream output;
  output << in.rdbuf();
  return std::to_string(static_cast<int>(result.outcome)) + ' ' +
         std::to_string(result.lines_written) + '\n' + host.messages + output.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::int64_t stretch = 64 + (data[0] | data[1] << 8) % 1024;
  const unsigned shape = data[2];
  const fuzz::InputFile file(data + 3, size - 3);
  static const std::vector<int> kColumns[] = {
      {1, 2, 3, 4, 5, 6, 7, 8, 11},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
      {},
      {0, 4, 7, 19}};
  vantor::RunSettings settings;
  settings.output_path = (file.Path().parent_path() / "split_output").string();
  settings.columns = kColumns[shape % 4];
  settings.format = static_cast<vantor::OutputFormat>((shape / 4) % 3);
  settings.input_paths = {file.Text()};
  if (shape & 0x10) settings.input_paths.push_back(file.Text());
  const std::string whole = Run(settings);
  settings.workers = 2;
  settings.stretch_bytes = stretch;
  if (Run(settings) != whole) __builtin_trap();
  return 0;
}
