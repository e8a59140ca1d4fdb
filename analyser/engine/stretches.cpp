#include "engine/stretches.h"

#include <algorithm>

namespace lomtra {
namespace {

// Set before a run and read by the scans it starts, possibly on workers.
std::atomic<unsigned> g_workers{0};
std::atomic<std::uint64_t> g_threshold{StretchOptions{}.threshold};

}  // namespace

void SetStretchOptions(const StretchOptions& options) {
  g_workers.store(options.workers);
  g_threshold.store(options.threshold);
}

StretchOptions CurrentStretchOptions() {
  return {g_workers.load(), g_threshold.load()};
}

StretchPlan PlanStretches(std::uint64_t file_length, std::uint64_t from, std::uint64_t to,
                          std::uint64_t unit) {
  StretchPlan plan;
  const StretchOptions options = CurrentStretchOptions();
  const unsigned workers = options.workers == 0 ? platform::DefaultWorkers() : options.workers;
  const std::uint64_t threshold = std::max<std::uint64_t>(options.threshold, 1);
  if (workers <= 1 || file_length <= threshold || to <= from) return plan;
  const std::uint64_t units = (to - from) / unit;
  // Never more than a million stretches, however small a test's threshold.
  const std::uint64_t count =
      std::min({units, (to - from + threshold - 1) / threshold, std::uint64_t{1} << 20});
  if (count < 2) return plan;
  plan.workers = workers;
  plan.bounds.reserve(static_cast<std::size_t>(count) + 1);
  for (std::uint64_t i = 0; i < count; ++i) {
    // i * units / count, without the product's overflow.
    const std::uint64_t at = i * (units / count) + i * (units % count) / count;
    plan.bounds.push_back(from + at * unit);
  }
  plan.bounds.push_back(to);
  return plan;
}

}  // namespace lomtra
