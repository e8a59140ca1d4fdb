// 5ESS: a text file of 122-character records, possibly separated by line
// feeds. Records need not be in time order, so every record is read and
// the earliest and latest moments are kept.
#include <cmath>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "platform/numbers.h"

namespace lomtra {
namespace {

constexpr std::size_t kRecordSize = 122;

// A date or time number as six digits: the last six of "00000" + its text.
std::string SixDigits(double value) {
  const std::string text = "00000" + platform::ShortestDecimal(value, 6);
  return text.substr(text.size() - 6);
}

std::string FiveEssMoment(double date, double time) {
  const std::string d = SixDigits(date);
  const std::string t = SixDigits(time);
  return "20" + d.substr(0, 2) + "-" + d.substr(2, 2) + "-" + d.substr(4, 2) + "   " +
         t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2);
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

}  // namespace

DetectorResult Analyse5ess(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  DataFile file;
  file.OpenData(path);
  const double step = static_cast<double>(file.Length()) / 100.0;
  const std::int64_t whole_step = platform::RoundHalfEvenToInt(step);
  std::uint64_t p = 0;  // 0-based position of the record
  while (file.Byte(p) == ' ') ++p;
  std::string record = file.ReadText(p, kRecordSize);
  Extremes extremes;
  // A first record without a date is not a record: the extremes come from
  // the first record that has one instead of showing 2000-00-00.
  const double first_date = ValueOf(std::string_view(record).substr(43, 6));
  if (first_date != 0) extremes.Reset(first_date, ValueOf(std::string_view(record).substr(49, 6)));
  std::uint64_t count = 0;
  for (;;) {
    p += kRecordSize;
    while (file.Byte(p) == '\n' && !file.AtEnd()) ++p;
    const auto* bytes = reinterpret_cast<const char*>(file.View(p, kRecordSize));
    const double d = FieldValue(std::string_view(bytes + 43, 6));
    const double t = FieldValue(std::string_view(bytes + 49, 6));
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
  host.SetProgress(0);
  if (!extremes.set) return {{}, {}, count};
  return {FiveEssMoment(extremes.earliest_date, extremes.earliest_time),
          FiveEssMoment(extremes.latest_date, extremes.latest_time), count};
}

}  // namespace lomtra
