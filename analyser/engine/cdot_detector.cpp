// C-DOT: the file is read section by section as the extractor reads it; the
// result is the first and the last call's date and time and the number of
// records of every section.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/stretches.h"
#include "formats/cdot/fields.h"
#include "formats/cdot/section_reader.h"

namespace lomtra {

namespace {

using formats::cdot::CdotSectionReader;
using formats::cdot::SectionDating;
constexpr std::size_t kTimeSize = formats::cdot::kTimeSize;

// The date of a call of a header-less file whose name gives no real date.
constexpr const char* kUnknownDate = "unknown";
// An hour that marks the evening calls of a section as seen.
constexpr std::uint8_t kEveningHour = 19;

// Date (YYYY/MM/DD, written with "-"), three spaces, time.
std::string CallMoment(std::string date, const std::uint8_t* time_bytes) {
  std::string time;
  formats::cdot::TimeText(time_bytes, time);
  if (date.empty()) return MomentText(kUnknownDate, time);
  std::replace(date.begin(), date.end(), '/', '-');
  return MomentText(date, time);
}

// What the walk found over a stretch of the file. Its calls before its
// first section start belong to a section whose dates only the join knows:
// their hours are kept instead.
struct CdotStretch : StretchBase {
  std::uint64_t start = 0;  // where its walk began
  std::uint64_t next = 0;   // where the walk goes on past it
  bool finished = false;    // the walk ended inside it
  std::uint64_t carried = 0;
  std::uint8_t carried_first[kTimeSize] = {};
  std::uint8_t carried_last[kTimeSize] = {};
  bool evening_before_last = false;  // an evening call came before the last of them
  // From its first section start on: calls dated here.
  bool sections = false;
  std::uint64_t count = 0;
  std::string first_date;
  std::string last_date;
  std::uint8_t first_time[kTimeSize] = {};
  std::uint8_t last_time[kTimeSize] = {};
  SectionDating dating;  // the last section's, at the stretch's end
};

// The walk over the records whose places lie in [from, to): from the file's
// start, or from a record's place inside a section.
void ScanCdotStretch(const std::filesystem::path& path, std::uint64_t from, std::uint64_t to,
                     CdotStretch& stretch) {
  CdotSectionReader reader;
  stretch.start = from;
  stretch.next = from;
  if (!reader.Open(path)) {
    NoteReadFailure();
    stretch.finished = true;
    return;
  }
  if (from != 0) {
    // A later stretch starts at a record of a section that is not the
    // file's first, whose dates are not known here: undated until the next
    // section starts.
    formats::cdot::WalkPoint point;
    point.offset = from;
    reader.Resume(point);
  }
  SectionDating carried;  // only for its evening flag
  const char* last_date_at = nullptr;
  bool first_step = from == 0;  // the file's first section starts before any record
  while (first_step || reader.NextRecordOffset() < to) {
    first_step = false;
    const CdotSectionReader::Step kind = reader.Next();
    if (kind == CdotSectionReader::Step::kFinished) {
      stretch.finished = true;
      break;
    }
    if (kind == CdotSectionReader::Step::kSection) {
      stretch.sections = true;
      last_date_at = nullptr;
      continue;
    }
    const std::uint8_t* time = reader.Record() + formats::cdot::kTimeOffset;
    if (!stretch.sections) {
      if (stretch.carried == 0) std::memcpy(stretch.carried_first, time, kTimeSize);
      stretch.evening_before_last = carried.EveningSeen();
      carried.DateOfHour(time[0]);
      std::memcpy(stretch.carried_last, time, kTimeSize);
      ++stretch.carried;
      continue;
    }
    const std::string_view date = reader.RecordDate();
    if (date.data() != last_date_at) {
      stretch.last_date.assign(date);
      last_date_at = date.data();
    }
    std::memcpy(stretch.last_time, time, kTimeSize);
    if (++stretch.count == 1) {
      stretch.first_date = stretch.last_date;
      std::memcpy(stretch.first_time, time, kTimeSize);
    }
  }
  if (stretch.sections) stretch.dating = reader.Dating();
  stretch.next = reader.NextRecordOffset();
  if (reader.ReadFailed()) NoteReadFailure();
  reader.Close();
}

// Whether a number field holds packed digits: 0-9, A for 0, F filler.
bool PackedNumber(const std::uint8_t* field) {
  for (std::size_t i = 0; i < formats::cdot::kNumberSize; ++i) {
    const unsigned high = field[i] >> 4u;
    const unsigned low = field[i] & 0xFu;
    if ((high > 0xA && high != 0xF) || (low > 0xA && low != 0xF)) return false;
  }
  return true;
}

// The place at or after x where a record most likely lies: of the places of
// one record's length from x, the one with the most records in a window
// that look like calls (a time of day, a small check byte, the pulses
// written twice and a called number of digits); there, the start of the
// run of such records that ends the window, which is past any section
// start in the window.
std::uint64_t LikelyRecordPlace(DataFile& file, std::uint64_t x) {
  constexpr std::size_t kRecordSize = formats::cdot::kRecordSize;
  constexpr std::size_t kWindow = 32;  // records
  const std::uint8_t* bytes = file.View(x, kRecordSize * (kWindow + 1));
  auto looks_like_a_call = [](const std::uint8_t* record) {
    const std::uint8_t* time = record + formats::cdot::kTimeOffset;
    return record[formats::cdot::kCheckByteOffset] <= formats::cdot::kCheckByteMaximum &&
           time[0] <= 23 && time[1] <= 59 && time[2] <= 59 &&
           std::memcmp(record + formats::cdot::kUnitsOffset,
                       record + formats::cdot::kUnitsCopyOffset, 4) == 0 &&
           PackedNumber(record + formats::cdot::kCalledOffset);
  };
  std::uint64_t best = x;
  std::size_t best_calls = 0;
  for (std::size_t phase = 0; phase < kRecordSize; ++phase) {
    std::size_t calls = 0;
    std::size_t run = 0;
    for (std::size_t k = 0; k < kWindow; ++k) {
      if (looks_like_a_call(bytes + phase + kRecordSize * k)) {
        ++calls;
        ++run;
      } else {
        run = 0;
      }
    }
    if (calls > best_calls) {
      best = x + phase + kRecordSize * (kWindow - run);
      best_calls = calls;
    }
  }
  return best;
}

}  // namespace

DetectorResult AnalyseCdot(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  CdotSectionReader reader;
  if (!reader.Open(path)) {
    NoteReadFailure();
    host.SetProgress(100);
    return {};
  }
  const std::uint64_t step = std::max<std::uint64_t>(reader.Length() / 100, 1);
  std::uint64_t next_step_end = step - 1;  // progress moves on past it
  std::uint64_t count = 0;
  std::string start;
  // The latest call, kept cheaply: its time bytes, and its date copied only
  // when the reader's date text changes (it holds one or two per section).
  std::uint8_t last_time[formats::cdot::kTimeSize] = {};
  std::string last_date;
  const char* last_date_at = nullptr;
  // A large file is walked in stretches. Where a section's records lie is
  // certain only by walking from the start, so each stretch is walked from
  // a likely place, and again from the true one when the stretch before did
  // not end there; the dates of a section begun before a stretch are
  // settled when it is joined.
  StretchPlan plan = PlanStretches(reader.Length(), 0, reader.Length(), 1);
  if (plan.Count() > 0) {
    {
      DataFile file;
      file.OpenData(path);
      for (std::size_t i = 1; i + 1 < plan.bounds.size(); ++i) {
        plan.bounds[i] = std::max(plan.bounds[i - 1], LikelyRecordPlace(file, plan.bounds[i]));
      }
    }
    plan.bounds.back() = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t next = 0;
    SectionDating dating;  // the current section's, as the walk has reached it
    RunStretches<CdotStretch>(
        plan, host,
        [&](std::size_t i, CdotStretch& stretch) {
          ScanCdotStretch(path, plan.bounds[i], plan.bounds[i + 1], stretch);
        },
        [&](std::size_t i, CdotStretch& stretch) {
          if (stretch.start != next) {
            stretch = CdotStretch{};
            ScanCdotStretch(path, next, plan.bounds[i + 1], stretch);
          }
          if (stretch.carried > 0) {
            if (count == 0) {
              SectionDating first = dating;
              start = CallMoment(first.DateOfHour(stretch.carried_first[0]), stretch.carried_first);
            }
            if (stretch.evening_before_last) dating.DateOfHour(kEveningHour);
            // The last call marks the evening itself.
            last_date = dating.DateOfHour(stretch.carried_last[0]);
            std::memcpy(last_time, stretch.carried_last, kTimeSize);
            count += stretch.carried;
          }
          if (stretch.sections) {
            if (stretch.count > 0) {
              if (count == 0) start = CallMoment(stretch.first_date, stretch.first_time);
              last_date = std::move(stretch.last_date);
              std::memcpy(last_time, stretch.last_time, kTimeSize);
              count += stretch.count;
            }
            dating = std::move(stretch.dating);
          }
          next = stretch.next;
          if (next >= next_step_end) {
            const std::uint64_t value = (next + 1) / step;
            next_step_end = (value + 1) * step - 1;
            if (host.ProgressValue() < 100) {
              host.SetProgress(static_cast<int>(std::min<std::uint64_t>(value, 100)));
            }
          }
          return !stretch.finished;
        });
  } else {
    for (;;) {
      const CdotSectionReader::Step kind = reader.Next();
      if (kind == CdotSectionReader::Step::kFinished) break;
      if (kind == CdotSectionReader::Step::kSection) {
        last_date_at = nullptr;  // the new section's texts may lie where the old ones did
        continue;
      }
      const std::string_view date = reader.RecordDate();
      if (date.data() != last_date_at) {
        last_date.assign(date);
        last_date_at = date.data();
      }
      std::memcpy(last_time, reader.Record() + formats::cdot::kTimeOffset, sizeof last_time);
      if (++count == 1) start = CallMoment(last_date, last_time);
      const std::uint64_t offset = reader.RecordOffset() + formats::cdot::kRecordSize;
      if (offset >= next_step_end) {
        const std::uint64_t value = (offset + 1) / step;
        next_step_end = (value + 1) * step - 1;
        if (host.ProgressValue() < 100) {
          host.SetProgress(static_cast<int>(std::min<std::uint64_t>(value, 100)));
        }
      }
    }
  }
  if (reader.ReadFailed()) NoteReadFailure();
  reader.Close();
  host.SetProgress(100);
  if (count == 0) return {};
  return {start, CallMoment(last_date, last_time), count};
}

}  // namespace lomtra
