// The call checks on a set of files: calls checked a second and the peak
// memory, for bench/run.sh --calls.
//
//   call_checks_run [--budget MIB] [--temp DIR] FILE...
//
// A file named *.ewsd, *.ocb, *.cdot or *.axe is of that type; any other is
// identified as lomtra identifies it.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/call_checks.h"
#include "engine/findings.h"
#include "engine/identify.h"

namespace {

lomtra::SwitchType TypeOf(const std::string& path) {
  auto ends = [&](const std::string& end) {
    return path.size() > end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
  };
  if (ends(".ewsd")) return lomtra::SwitchType::kEwsd;
  if (ends(".ocb")) return lomtra::SwitchType::kOcb;
  if (ends(".cdot")) return lomtra::SwitchType::kCdot;
  if (ends(".axe")) return lomtra::SwitchType::kAxe;
  return lomtra::IdentifySwitch(path);
}

}  // namespace

int main(int argc, char** argv) {
  lomtra::CallCheckOptions options;
  std::vector<lomtra::SeriesFile> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--budget" && i + 1 < argc) {
      options.memory_budget = std::strtoull(argv[++i], nullptr, 10) << 20;
    } else if (arg == "--temp" && i + 1 < argc) {
      options.temp_folder = argv[++i];
    } else {
      files.push_back({arg, TypeOf(arg)});
    }
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<lomtra::Finding> findings;
  std::string error;
  if (!lomtra::CheckCalls("bench", files, options, findings, &error)) {
    std::fprintf(stderr, "call_checks_run: %s\n", error.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // Counted after the timing, from the page cache: how long reading the
  // calls alone takes, against which the checks' sorting and confirming
  // show.
  const auto read_start = std::chrono::steady_clock::now();
  std::uint64_t calls = 0;
  for (const lomtra::SeriesFile& file : files)
    lomtra::ForEachCall(file, [&](std::uint64_t, const lomtra::CallValues&) {
      ++calls;
      return true;
    });
  const double read_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - read_start).count();
  std::uint64_t copies = 0;
  for (const lomtra::Finding& finding : findings)
    if (finding.kind == lomtra::FindingKind::kDuplicateCall) copies += finding.count;
  std::printf(
      "%llu calls checked in %.2f s: %.0f calls/s, peak %.1f MiB; %zu findings, %llu copies; "
      "reading alone %.2f s\n",
      static_cast<unsigned long long>(calls), seconds,
      static_cast<double>(calls) / (seconds > 0 ? seconds : 1),
      static_cast<double>(usage.ru_maxrss) / 1024, findings.size(),
      static_cast<unsigned long long>(copies), read_seconds);
  return 0;
}
