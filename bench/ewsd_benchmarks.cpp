// vantor: decoding one EWSD record, and whole extraction runs (decode, line
// formatting and writing) over a sample file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "sample_files.h"
#include "vantor/ewsd_decoder.h"
#include "vantor/extraction_run.h"

namespace {

constexpr std::uint64_t kFileSize = 4u << 20;

class QuietHost : public vantor::Host {
 public:
  vantor::MessageAnswer ShowMessage(const vantor::Message&) override {
    return vantor::MessageAnswer::kYes;
  }
  void SetStatusText(const std::string&) override {}
  void SetProgress(int) override {}
  void SetAnalysisProgress(int) override {}
  void SetAnalysisLabels(const vantor::AnalysisLabels&) override {}
  void PumpEvents() override {}
};

void EwsdDecodeRecord(benchmark::State& state) {
  const std::string& path = bench::SampleFile("ewsd", kFileSize);
  QuietHost host;
  vantor::EwsdDecoder decoder(host);
  decoder.BeginFile(path, vantor::PassKind::kSingle, nullptr);
  for (auto _ : state) {
    decoder.FindNextRecord();
    if (!decoder.Go() || decoder.RecordReachedEnd()) {
      state.PauseTiming();
      decoder.BeginFile(path, vantor::PassKind::kSingle, nullptr);
      decoder.FindNextRecord();
      state.ResumeTiming();
    }
    decoder.ReadRecordHeader();
    decoder.DecodePackages();
    benchmark::DoNotOptimize(decoder.Slot()[2].data());
    for (int i = 2; i <= 19; ++i) decoder.Slot()[static_cast<std::size_t>(i)].clear();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EwsdDecodeRecord);

void EwsdExtractionRun(benchmark::State& state) {
  vantor::RunSettings settings;
  settings.input_paths = {bench::SampleFile("ewsd", kFileSize)};
  settings.output_path =
      (std::filesystem::temp_directory_path() / "suite_bench_vantor.txt").string();
  settings.columns = {1, 2, 3, 4, 5, 6, 7, 8, 11};
  QuietHost host;
  std::int64_t lines = 0;
  for (auto _ : state) {
    vantor::ExtractionRun run(host);
    lines += run.StartExtraction(settings).lines_written;
  }
  std::filesystem::remove(settings.output_path);
  state.SetItemsProcessed(lines);
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations()) *
      static_cast<std::int64_t>(std::filesystem::file_size(settings.input_paths[0])));
}
BENCHMARK(EwsdExtractionRun)->Unit(benchmark::kMillisecond);

}  // namespace
