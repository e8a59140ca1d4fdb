// A whole-file detector run on several workers with the file cut into small
// stretches must show what the run from start to end shows: the result, the
// messages and what carries to the next file. The input's first bytes pick
// the detector, where the file is cut and the workers; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analyser_rig.h"
#include "engine/detectors.h"
#include "engine/stretches.h"
#include "fuzz_input.h"

namespace {

using Detector = lomtra::DetectorResult (*)(const std::filesystem::path&, lomtra::AnalyserContext&);

constexpr Detector kDetectors[] = {lomtra::AnalyseEwsd, lomtra::AnalyseAxe, lomtra::Analyse5ess,
                                   lomtra::AnalyseE10b, lomtra::AnalyseCdot};
constexpr std::size_t kHead = 4;

class RecordingHost : public fuzz::SilentHost {
 public:
  lomtra::MessageAnswer ShowMessage(const lomtra::Message& message) override {
    shown.push_back(message.text);
    return SilentHost::ShowMessage(message);
  }
  std::vector<std::string> shown;
};

// Two runs in a row, so that the second starts from what the first left.
std::vector<std::string> Seen(Detector detector, const std::filesystem::path& path,
                              const lomtra::StretchOptions& options) {
  const lomtra::ScopedStretchOptions scoped(options);
  RecordingHost host;
  lomtra::FixedClock clock{fuzz::FuzzNow()};
  lomtra::EngineState state;
  lomtra::AnalyserContext context{host, clock, state};
  std::vector<std::string> seen;
  for (int round = 0; round < 2; ++round) {
    const lomtra::DetectorResult result = detector(path, context);
    seen.push_back(result.start + "|" + result.end + "|" + std::to_string(result.count) + "|" +
                   std::to_string(static_cast<int>(result.state)));
  }
  const lomtra::EwsdMemory& m = state.ewsd;
  seen.push_back(m.slot_values.date + "|" + m.slot_values.time + "|" + m.slot_values.calling + "|" +
                 m.slot_values.called + "|" + std::to_string(m.length) + "|" +
                 std::string(m.record.begin(), m.record.end()));
  seen.insert(seen.end(), host.shown.begin(), host.shown.end());
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHead) return 0;
  const Detector detector = kDetectors[data[0] % std::size(kDetectors)];
  const std::uint64_t threshold = 16 + (data[1] | static_cast<std::uint64_t>(data[2]) << 8);
  const unsigned workers = 2 + data[3] % 2;
  // A C-DOT result takes its date from the name, so the name looks like one.
  const fuzz::InputFile file(data + kHead, size - kHead, "TG150606.DAT");
  if (Seen(detector, file.Path(), {1, lomtra::StretchOptions{}.threshold}) !=
      Seen(detector, file.Path(), {workers, threshold})) {
    __builtin_trap();
  }
  return 0;
}
