// pardel's run over any bytes, whole on one worker and cut into stretches
// of a few blocks on two: the same output and the same things shown, or a
// trap. The input is read twice in one run (the layout carries from the
// first reading to the second); its last byte chooses the stretch, the
// output format and the stop question that stops the run.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_input.h"
#include "pardel/extraction_run.h"

namespace {

class QuietHost : public pardel::Host {
 public:
  explicit QuietHost(int stop_at) : stop_at_(stop_at) {}
  pardel::Answer ShowMessage(const pardel::Message& message) override {
    log += message.text + "\n";
    return message.buttons == pardel::Buttons::kOk ? pardel::Answer::kOk : pardel::Answer::kYes;
  }
  void SetStatus(const std::string& a, const std::string& b) override { log += a + b + "\n"; }
  void SetProgress(int value) override { log += std::to_string(value) + ","; }
  void OpenInTextViewer(const std::filesystem::path&) override { log += "viewer\n"; }
  bool StopRequested() override { return ++questions_ == stop_at_; }

  std::string log;

 private:
  int stop_at_;
  int questions_ = 0;
};

std::string RunOnce(const fuzz::InputFile& input, const std::filesystem::path& output,
                    unsigned workers, std::uint8_t choice) {
  pardel::RunRequest request;
  request.files = {input.Path(), input.Path()};
  request.output = output;
  request.workers = workers;
  request.stretch_bytes = 2048 * (1 + (choice & 3));
  static constexpr platform::OutputFormat kFormats[] = {
      platform::OutputFormat::kText, platform::OutputFormat::kCsv, platform::OutputFormat::kJsonl,
      platform::OutputFormat::kText};
  const pardel::OutputChoice format{kFormats[(choice >> 2) & 3], ""};
  // Half the runs stop at one of the first questions (before each file,
  // after every block).
  QuietHost host((choice & 0x80) != 0 ? (choice >> 4 & 7) * 3 + 1 : -1);
  std::filesystem::remove(output);
  const pardel::RunResult result = pardel::ExtractionRun(host).Run(request, format);
  std::ifstream in(output, std::ios::binary);
  return host.log + std::to_string(static_cast<int>(result.outcome)) + " " +
         std::to_string(result.lines_written) + "\n" +
         std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile input(data, size);
  const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
  const std::filesystem::path output = input.Path().parent_path() / "split_output.txt";
  if (RunOnce(input, output, 1, choice) != RunOnce(input, output, 2, choice)) __builtin_trap();
  std::filesystem::remove(output);
  return 0;
}
