// E10B: blocks of fixed records (formats/e10b); the walk runs while the
// sequence numbers run on and stops at the first jump.
#include <algorithm>
#include <array>

#include "engine/clock.h"
#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/stretches.h"
#include "formats/e10b/layout.h"
#include "platform/calendar.h"
#include "platform/numbers.h"

namespace lomtra {
namespace {

namespace e10b = formats::e10b;
constexpr std::uint64_t kBlockSize = e10b::kBlockSize;
constexpr std::size_t kRecordSize = e10b::kRecordSize;

// The file holds no year: every record is dated in the clock's year.
std::string E10bMoment(const std::uint8_t* record, int year) {
  const int day = BcdNumber(record, e10b::kDayAt, e10b::kDaySize);
  const platform::MonthDay md = platform::DateFromDayOfYear(day, year);
  return MomentText(std::to_string(year) + "-" + TwoDigits(md.month) + "-" + TwoDigits(md.day),
                    e10b::TimeText(record));
}

// What a scan of some blocks found. Its first record's number is checked
// against the record before it only when it is joined.
struct E10bStretch : StretchBase {
  std::uint64_t count = 0;  // its records up to a jump in the numbers
  std::uint32_t first_sequence = 0;
  std::uint32_t last_sequence = 0;
  std::array<std::uint8_t, kRecordSize> first{};
  std::array<std::uint8_t, kRecordSize> last{};
  bool jumped = false;  // the numbers jump inside it: the walk ends there
};

void ScanE10bStretch(const std::filesystem::path& path, std::uint64_t from_block,
                     std::uint64_t to_block, E10bStretch& stretch) {
  DataFile file;
  if (!file.OpenData(path)) {
    NoteReadFailure();
    return;
  }
  std::uint32_t previous = 0;
  for (std::uint64_t b = from_block; b < to_block && !stretch.jumped; ++b) {
    const std::uint8_t* block = file.View(kBlockSize * b, kBlockSize + 1);
    const std::uint8_t* last_in_block = nullptr;
    for (std::size_t r = 0; r < e10b::kRecordsPerBlock; ++r) {
      const std::uint8_t* record = block + kRecordSize * r;
      const std::uint32_t s = e10b::SequenceNumber(record);
      if (s == e10b::kEmptySlot) continue;
      if (stretch.count > 0 && !e10b::RunsOn(s, previous)) {
        stretch.jumped = true;
        break;
      }
      if (++stretch.count == 1) {
        std::copy_n(record, kRecordSize, stretch.first.begin());
        stretch.first_sequence = s;
      }
      previous = s;
      last_in_block = record;
    }
    if (last_in_block != nullptr) std::copy_n(last_in_block, kRecordSize, stretch.last.begin());
  }
  stretch.last_sequence = previous;
}

}  // namespace

DetectorResult AnalyseE10b(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  const int year = context.clock.Now().year;
  DataFile file;
  file.OpenData(path);
  const std::uint64_t whole_blocks = file.Length() / kBlockSize;
  const double blocks = static_cast<double>(file.Length()) / static_cast<double>(kBlockSize);
  const std::int64_t unit = platform::RoundHalfEvenToInt(blocks / 100);
  std::string start;
  // Only the first and the last moment are wanted: keep the last record's
  // bytes and decode its moment once, not for every record.
  std::array<std::uint8_t, kRecordSize> last{};
  std::uint64_t count = 0;
  std::uint32_t previous = 0;
  bool ended = false;
  const StretchPlan plan = PlanStretches(file.Length(), 0, whole_blocks * kBlockSize, kBlockSize);
  if (plan.Count() > 0) {
    bool stopped = false;
    RunStretches<E10bStretch>(
        plan, host,
        [&](std::size_t i, E10bStretch& stretch) {
          ScanE10bStretch(path, plan.bounds[i] / kBlockSize, plan.bounds[i + 1] / kBlockSize,
                          stretch);
        },
        [&](std::size_t i, E10bStretch& stretch) {
          if (stretch.count > 0) {
            if (count > 0 && !e10b::RunsOn(stretch.first_sequence, previous)) return false;
            if (count == 0) start = E10bMoment(stretch.first.data(), year);
            count += stretch.count;
            last = stretch.last;
            previous = stretch.last_sequence;
          }
          if (stretch.jumped) return false;
          const std::uint64_t b = plan.bounds[i + 1] / kBlockSize - 1;
          if (host.ProgressValue() < 100) {
            const std::uint64_t p =
                unit > 0 ? b / static_cast<std::uint64_t>(unit) : b * 100 / whole_blocks;
            host.SetProgress(static_cast<int>(std::min<std::uint64_t>(p, 100)));
          }
          stopped = PumpAndCheckStop(context);
          return !stopped;
        });
    if (stopped) {
      host.SetProgress(0);
      return DetectorResult::Stopped();
    }
    ended = true;  // the stretches walked it all
  }
  for (std::uint64_t b = 0; b < whole_blocks && !ended; ++b) {
    const std::uint8_t* block = file.View(kBlockSize * b, kBlockSize + 1);
    const std::uint8_t* last_in_block = nullptr;
    for (std::size_t r = 0; r < e10b::kRecordsPerBlock; ++r) {
      const std::uint8_t* record = block + kRecordSize * r;
      const std::uint32_t s = e10b::SequenceNumber(record);
      if (s == e10b::kEmptySlot) continue;
      if (count > 0 && !e10b::RunsOn(s, previous)) {
        ended = true;
        break;
      }
      ++count;
      if (count == 1) start = E10bMoment(record, year);
      previous = s;
      last_in_block = record;
    }
    if (last_in_block != nullptr) std::copy_n(last_in_block, kRecordSize, last.begin());
    if (ended) break;
    if (host.ProgressValue() < 100) {
      // Files under 100 blocks have a unit of 0: use the plain fraction then.
      const std::uint64_t p =
          unit > 0 ? b / static_cast<std::uint64_t>(unit) : b * 100 / whole_blocks;
      host.SetProgress(static_cast<int>(std::min<std::uint64_t>(p, 100)));
    }
    if (PumpAndCheckStop(context)) {
      host.SetProgress(0);
      return DetectorResult::Stopped();
    }
  }
  host.SetProgress(100);
  return {start, count > 0 ? E10bMoment(last.data(), year) : std::string(), count};
}

}  // namespace lomtra
