// C-DOT: the file is read section by section as the extractor reads it; the
// result is the first and the last call's date and time and the number of
// records of every section.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "formats/cdot/fields.h"
#include "formats/cdot/section_reader.h"

namespace lomtra {

namespace {

using formats::cdot::CdotSectionReader;

// The date of a call of a header-less file whose name gives no real date.
constexpr const char* kUnknownDate = "unknown";

// Date (YYYY/MM/DD, written with "-"), three spaces, time.
std::string CallMoment(std::string date, const std::uint8_t* time_bytes) {
  std::string time;
  formats::cdot::TimeText(time_bytes, time);
  if (date.empty()) return MomentText(kUnknownDate, time);
  std::replace(date.begin(), date.end(), '/', '-');
  return MomentText(date, time);
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
  if (reader.ReadFailed()) NoteReadFailure();
  reader.Close();
  host.SetProgress(100);
  if (count == 0) return {};
  return {start, CallMoment(last_date, last_time), count};
}

}  // namespace lomtra
