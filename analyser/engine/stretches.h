#pragma once
// A large file is scanned in stretches on several workers and the stretches'
// results are joined in file order, so that a detector's result is the one a
// scan from the start to the end gives. Where a format makes a stretch's
// start certain the cut is made there; elsewhere a stretch is scanned from a
// likely start and checked when it is joined.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/data_file.h"
#include "engine/host.h"
#include "platform/parallel.h"

namespace lomtra {

// How the detectors' whole-file scans use the workers. The run sets it from
// its -j before it analyses; tests and fuzzing lower the threshold so that
// small files are cut.
struct StretchOptions {
  unsigned workers = 0;                               // 0: one per core
  std::uint64_t threshold = std::uint64_t{64} << 20;  // files longer than this are cut
};
void SetStretchOptions(const StretchOptions& options);
StretchOptions CurrentStretchOptions();

// Sets the options for as long as it lives.
class ScopedStretchOptions {
 public:
  explicit ScopedStretchOptions(const StretchOptions& options) : saved_(CurrentStretchOptions()) {
    SetStretchOptions(options);
  }
  ~ScopedStretchOptions() { SetStretchOptions(saved_); }
  ScopedStretchOptions(const ScopedStretchOptions&) = delete;
  ScopedStretchOptions& operator=(const ScopedStretchOptions&) = delete;

 private:
  StretchOptions saved_;
};

// Where the stretches of [from, to) begin: bounds[i] to bounds[i + 1] is
// stretch i, every bound but the last a multiple of `unit` past `from`.
// Empty when the options say the range is scanned in one go (one worker, or
// not longer than the threshold, or fewer than two units).
struct StretchPlan {
  std::vector<std::uint64_t> bounds;
  unsigned workers = 1;
  std::size_t Count() const { return bounds.empty() ? 0 : bounds.size() - 1; }
};
StretchPlan PlanStretches(std::uint64_t file_length, std::uint64_t from, std::uint64_t to,
                          std::uint64_t unit);

// What every stretch's result carries besides its findings.
struct StretchBase {
  bool read_failed = false;  // its file could not be read to its end
};

// Scans on a worker with this thread's note of read failures put aside:
// the stretch keeps its own, and the note is made again in file order.
template <typename Stretch>
Stretch ScanOnWorker(const std::function<void(Stretch&)>& scan) {
  const bool noted = AnyReadFailed();
  ForgetReadFailures();
  Stretch stretch;
  scan(stretch);
  stretch.read_failed = AnyReadFailed();
  ForgetReadFailures();
  if (noted) NoteReadFailure();
  return stretch;
}

// Runs the plan's stretches: scan(i, stretch) on the workers, join(i,
// stretch) on this thread in order (false ends the run). The host's events
// are let through while this thread waits; nothing else touches the host.
template <typename Stretch>
bool RunStretches(const StretchPlan& plan, Host& host,
                  const std::function<void(std::size_t, Stretch&)>& scan,
                  const std::function<bool(std::size_t, Stretch&)>& join) {
  return platform::RunInOrder<Stretch>(
      plan.Count(), plan.workers, 2 * static_cast<std::size_t>(plan.workers),
      [&](std::size_t i, const platform::RunEnded&) {
        return ScanOnWorker<Stretch>([&](Stretch& stretch) { scan(i, stretch); });
      },
      [&](std::size_t i, Stretch& stretch) {
        if (stretch.read_failed) NoteReadFailure();
        return join(i, stretch);
      },
      [&] { host.PumpEvents(); });
}

}  // namespace lomtra
