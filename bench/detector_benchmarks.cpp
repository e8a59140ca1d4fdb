// lomtra: every detector over a sample file of its format.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "engine/clock.h"
#include "engine/detectors.h"
#include "engine/engine_state.h"
#include "engine/host.h"
#include "sample_files.h"

namespace {

constexpr std::uint64_t kFileSize = 8u << 20;

class QuietHost : public lomtra::Host {
 public:
  lomtra::MessageAnswer ShowMessage(const lomtra::Message&) override {
    return lomtra::MessageAnswer::kYes;
  }
  int ProgressValue() const override { return progress_; }
  void SetProgress(int value) override { progress_ = value; }
  void SetStatusPanel(lomtra::StatusPanel, const std::string&) override {}

 private:
  int progress_ = 0;
};

using Detector = lomtra::DetectorResult (*)(const std::filesystem::path&, lomtra::AnalyserContext&);

void Detect(benchmark::State& state, const char* format, Detector detector) {
  const std::filesystem::path path = bench::SampleFile(format, kFileSize);
  lomtra::ClockReading reading;
  reading.year = 2006;
  reading.month = 6;
  reading.day = 15;
  const lomtra::FixedClock clock(reading);
  for (auto _ : state) {
    QuietHost host;
    lomtra::EngineState engine;
    lomtra::AnalyserContext context{host, clock, engine};
    benchmark::DoNotOptimize(detector(path, context));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK_CAPTURE(Detect, ewsd, "ewsd", lomtra::AnalyseEwsd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, ocb, "ocb", lomtra::AnalyseOcb)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Detect, cdot, "cdot-bare", lomtra::AnalyseCdot)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, e10b, "e10b", lomtra::AnalyseE10b)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, axe, "axe", lomtra::AnalyseAxe)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, five_ess, "5ess", lomtra::Analyse5ess)->Unit(benchmark::kMillisecond);

}  // namespace
