// 5ESS: a text file of records (formats/5ess), possibly separated by line
// feeds. Records need not be in time order, so every record is read and
// the earliest and latest moments are kept.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/stretches.h"
#include "formats/5ess/layout.h"
#include "platform/numbers.h"

namespace lomtra {
namespace {

namespace five_ess = formats::five_ess;
constexpr std::size_t kRecordSize = five_ess::kRecordSize;

std::string FiveEssMoment(double date, double time) {
  return MomentText(five_ess::DateText(date), five_ess::TimeText(time));
}

std::string_view DateField(const char* record) {
  return {record + five_ess::kDateAt, five_ess::kDateWidth};
}
std::string_view TimeField(const char* record) {
  return {record + five_ess::kTimeAt, five_ess::kTimeWidth};
}

struct Extremes {
  bool set = false;
  double earliest_date = 0, earliest_time = 0;
  double latest_date = 0, latest_time = 0;

  void Reset(double d, double t) {
    set = true;
    earliest_date = latest_date = d;
    earliest_time = latest_time = t;
  }
  void Update(double d, double t) {
    if (d > latest_date) {
      latest_date = d;
      latest_time = t;
    }
    if (d < earliest_date) {
      earliest_date = d;
      earliest_time = t;
    }
    if (d == latest_date && t > latest_time) latest_time = t;
    if (d == earliest_date && t < earliest_time) earliest_time = t;
  }
};

// The records of the scan from the first record's place on: each found
// kRecordSize bytes after the one before, past any line feeds.
struct FiveEssStretch : StretchBase {
  std::uint64_t start = 0;  // where it was scanned from
  std::uint64_t next = 0;   // the first record's place at or past its end
  bool ended = false;       // it holds the file's last record
  std::uint64_t count = 0;
  Extremes extremes;
};

void ScanFiveEssStretch(DataFile& file, std::uint64_t from, std::uint64_t to,
                        FiveEssStretch& stretch) {
  stretch.start = from;
  std::uint64_t p = from;
  while (p < to) {
    const auto* bytes = reinterpret_cast<const char*>(file.View(p, kRecordSize));
    const double d = FieldValue(DateField(bytes));
    const double t = FieldValue(TimeField(bytes));
    if (d != 0) {
      if (stretch.extremes.set) {
        stretch.extremes.Update(d, t);
      } else {
        stretch.extremes.Reset(d, t);
      }
      ++stretch.count;
    }
    if (file.AtEnd()) {
      stretch.ended = true;
      break;
    }
    p += kRecordSize;
    while (file.Byte(p) == five_ess::kSeparator && !file.AtEnd()) ++p;
  }
  stretch.next = p;
}

// Where a record likely begins at or after `x`: after a line feed, or
// without one near, a whole number of records after the first scanned.
std::uint64_t LikelyRecordStart(DataFile& file, std::uint64_t x, std::uint64_t first) {
  const std::uint64_t near = std::min(x + 2 * kRecordSize + 1, file.Length());
  for (std::uint64_t y = std::max<std::uint64_t>(x, 1); y < near; ++y) {
    if (file.Byte(y - 1) == five_ess::kSeparator && file.Byte(y) != five_ess::kSeparator) return y;
  }
  if (x <= first) return first;
  return first + (x - first + kRecordSize - 1) / kRecordSize * kRecordSize;
}

}  // namespace

DetectorResult Analyse5ess(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  DataFile file;
  file.OpenData(path);
  const double step = static_cast<double>(file.Length()) / 100.0;
  const std::int64_t whole_step = platform::RoundHalfEvenToInt(step);
  std::uint64_t p = 0;  // 0-based position of the record
  while (file.Byte(p) == five_ess::kLeadingBlank) ++p;
  const std::string record = file.ReadText(p, kRecordSize);
  Extremes extremes;
  // A first record without a date is not a record: the extremes come from
  // the first record that has one instead of showing 2000-00-00.
  const double first_date = ValueOf(DateField(record.data()));
  if (first_date != 0) extremes.Reset(first_date, ValueOf(TimeField(record.data())));
  std::uint64_t count = 0;
  // Past the first record a large file is scanned in stretches. Where a
  // record begins is certain only by walking from the start, so each
  // stretch is scanned from a likely start, and again from the true one
  // when the stretch before did not end there.
  const std::uint64_t first_in_loop = p + kRecordSize;
  StretchPlan plan = PlanStretches(file.Length(), first_in_loop, file.Length(), 1);
  if (plan.Count() > 0) {
    p = first_in_loop;
    while (file.Byte(p) == five_ess::kSeparator && !file.AtEnd()) ++p;
    plan.bounds.front() = p;
    for (std::size_t i = 1; i + 1 < plan.bounds.size(); ++i) {
      plan.bounds[i] =
          std::max(plan.bounds[i - 1], LikelyRecordStart(file, plan.bounds[i], plan.bounds[0]));
    }
    // The last stretch goes on to the record that reaches the end.
    plan.bounds.back() = std::numeric_limits<std::uint64_t>::max();
    bool stopped = false;
    RunStretches<FiveEssStretch>(
        plan, host,
        [&](std::size_t i, FiveEssStretch& stretch) {
          DataFile own;
          if (!own.OpenData(path)) NoteReadFailure();
          ScanFiveEssStretch(own, plan.bounds[i], plan.bounds[i + 1], stretch);
        },
        [&](std::size_t i, FiveEssStretch& stretch) {
          if (stretch.start != p) {
            stretch = FiveEssStretch{};
            ScanFiveEssStretch(file, p, plan.bounds[i + 1], stretch);
          }
          p = stretch.next;
          const std::uint64_t before = count;
          count += stretch.count;
          if (stretch.extremes.set) {
            if (extremes.set) {
              extremes.Update(stretch.extremes.earliest_date, stretch.extremes.earliest_time);
              extremes.Update(stretch.extremes.latest_date, stretch.extremes.latest_time);
            } else {
              extremes = stretch.extremes;
            }
          }
          // The scan looks up every hundredth record.
          if (before / 100 != count / 100) {
            if (host.ProgressValue() < 100 && whole_step > 0) {
              const std::uint64_t value = (p + 1) / static_cast<std::uint64_t>(whole_step);
              host.SetProgress(static_cast<int>(std::min<std::uint64_t>(value, 100)));
            }
            stopped = PumpAndCheckStop(context);
          }
          return !stopped && !stretch.ended;
        });
    if (stopped) {
      host.SetProgress(0);
      return DetectorResult::Stopped();
    }
  } else {
    for (;;) {
      p += kRecordSize;
      while (file.Byte(p) == five_ess::kSeparator && !file.AtEnd()) ++p;
      const auto* bytes = reinterpret_cast<const char*>(file.View(p, kRecordSize));
      const double d = FieldValue(DateField(bytes));
      const double t = FieldValue(TimeField(bytes));
      if (d != 0) {
        if (extremes.set) {
          extremes.Update(d, t);
        } else {
          extremes.Reset(d, t);
        }
        ++count;
        if (count % 100 == 0) {
          if (host.ProgressValue() < 100 && whole_step > 0) {
            const std::uint64_t value = (p + 1) / static_cast<std::uint64_t>(whole_step);
            host.SetProgress(static_cast<int>(std::min<std::uint64_t>(value, 100)));
          }
          if (PumpAndCheckStop(context)) {
            host.SetProgress(0);
            return DetectorResult::Stopped();
          }
        }
      }
      if (file.AtEnd()) break;
    }
  }
  host.SetProgress(0);
  if (!extremes.set) return {{}, {}, count};
  return {FiveEssMoment(extremes.earliest_date, extremes.earliest_time),
          FiveEssMoment(extremes.latest_date, extremes.latest_time), count};
}

}  // namespace lomtra
