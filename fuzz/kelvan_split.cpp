// kelvan's run over any bytes, read whole on one worker and cut into
// stretches on two: the outputs, messages and counts must be the same.
// The stretch size comes from the input's last two bytes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "kelvan/extraction_run.h"

namespace {

class Recorder : public kelvan::Host {
 public:
  kelvan::MessageAnswer ShowMessage(const kelvan::Message& message) override {
    said += message.text + "\n";
    return message.buttons == kelvan::MessageButtons::kOk ? kelvan::MessageAnswer::kOk
                                                          : kelvan::MessageAnswer::kYes;
  }
  void SetProgress(int) override {}
  void SetStatusText(const std::string&) override {}
  std::string said;
};

class FixedClock : public kelvan::Clock {
 public:
  kelvan::ClockReading Today() const override { return {2026, 12, 8}; }
  kelvan::ClockReading Now() const override { return {2026, 12, 8, 10, 0, 0}; }
};

std::string Ending(kelvan::RunSettings settings, const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  std::filesystem::create_directories(folder, ec);
  settings.output_file = folder / "out.txt";
  settings.output_folder = folder;
  Recorder host;
  const FixedClock clock;
  const kelvan::RunResult result = kelvan::RunExtraction(settings, host, clock);
  std::string ending = std::to_string(static_cast<int>(result.outcome)) + " " +
                       std::to_string(result.records_written) + " " +
                       std::to_string(result.files_read) + "\n" + host.said;
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  for (const auto& [name, text] : files) ending += name + "\n" + text;
  std::filesystem::remove_all(folder, ec);
  return ending;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A name that dates a header-less file, or one that does not.
  const fuzz::InputFile file(data, size, size % 2 == 0 ? "TGCB070305.DAT" : "TG150606.DAT");
  const std::uint64_t tail = size >= 2 ? (data[size - 1] | data[size - 2] << 8) : 0;
  kelvan::RunSettings settings;
  settings.inputs = {file.Path(), file.Path()};  // what carries from file to file too
  settings.field_selection = {1, 2, 3, 4, 5, 6, 7, 8};
  settings.multi_file = tail % 3 == 0;
  if (tail % 5 == 0) settings.format = platform::OutputFormat::kCsv;
  const std::filesystem::path folder = file.Path().parent_path();
  const std::string whole = Ending(settings, folder / "whole");
  settings.workers = 2;
  // At most eight stretches a file: enough cuts, and quick enough to run.
  settings.stretch_bytes = 1 + size / 8 + tail % (size + 1);
  if (Ending(settings, folder / "split") != whole) __builtin_trap();
  return 0;
}
