// AXE: blocks of character records (formats/axe); all records are counted,
// the start is the file's first record and the end the last record of the
// last block.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "engine/data_file.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/stretches.h"
#include "formats/axe/layout.h"
#include "formats/axe/records.h"

namespace lomtra {
namespace {

namespace axe = formats::axe;
constexpr const axe::Reading& kReading = axe::kAnalyserReading;
constexpr std::uint64_t kBlockSize = axe::kBlockSize;

// A field of a record, cut at the record's end.
std::string_view FieldView(std::string_view record, axe::Field field, bool shifted) {
  const std::size_t at = axe::Offset(field, shifted);
  if (at >= record.size()) return {};
  return record.substr(at, field.width);
}

// The characters are copied unchecked, except that damaged data must not
// break the result text (",") or the report's lines and cells (control
// characters, "|"): those show as "?".
std::string Copied(std::string_view record, axe::Field field, bool shifted) {
  std::string text(FieldView(record, field, shifted));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ',' || c == '|') c = '?';
  }
  return text;
}

std::string AxeMoment(std::string_view record, bool shifted) {
  const std::string date = std::string(axe::kCentury) + Copied(record, axe::kYear, shifted) + "-" +
                           Copied(record, axe::kMonth, shifted) + "-" +
                           Copied(record, axe::kDay, shifted);
  const std::string time = Copied(record, axe::kHour, shifted) + ":" +
                           Copied(record, axe::kMinute, shifted) + ":" +
                           Copied(record, axe::kSecond, shifted);
  return date + "   " + time;
}

// What a scan of some blocks found; blocks hold whole records, so a stretch
// of blocks is scanned as the whole file's scan would scan it, but for the
// layout flag, which only the join knows.
struct AxeStretch : StretchBase {
  std::uint64_t count = 0;
  std::string first;     // its first record
  bool shifted = false;  // one of its records turns the file to the shifted layout
  // The last record of its last block that holds one, and that block
  // (counted from 1 in the file; 0: none).
  std::string last_record;
  std::uint64_t last_record_block = 0;
};

void ScanAxeStretch(const std::filesystem::path& path, std::uint64_t from_block,
                    std::uint64_t to_block, AxeStretch& stretch) {
  DataFile file;
  if (!file.OpenData(path)) {
    NoteReadFailure();
    return;
  }
  for (std::uint64_t b = from_block; b < to_block; ++b) {
    const std::string_view block(
        reinterpret_cast<const char*>(file.View(b * kBlockSize, kBlockSize)), kBlockSize);
    std::size_t q = 0;
    std::string_view last_in_block;
    while (q < axe::kLastRecordStart) {
      const std::size_t l = axe::RecordLength(block.substr(q, axe::kLength.width), kReading);
      if (l == 0) break;
      const std::string_view record = block.substr(q, l);
      if (!stretch.shifted && axe::ChoosesShiftedLayout(record)) stretch.shifted = true;
      if (stretch.count == 0) stretch.first.assign(record);
      last_in_block = record;
      ++stretch.count;
      q += l;
    }
    if (last_in_block.data() != nullptr) {
      stretch.last_record.assign(last_in_block);
      stretch.last_record_block = b + 1;
    }
  }
}

}  // namespace

DetectorResult AnalyseAxe(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  DataFile file;
  file.OpenData(path);
  const std::uint64_t length = file.Length();
  const bool whole_blocks = length % kBlockSize == 0;
  const std::uint64_t blocks = length / kBlockSize;
  const double unit = static_cast<double>(length) / static_cast<double>(kBlockSize) / 100.0;
  std::uint64_t offset = 0;
  std::uint64_t n = 0;
  std::uint64_t count = 0;
  // Any record may turn the file to the shifted layout, until one does.
  static_assert(kReading.layout_choice == axe::Reading::LayoutChoice::kUntilShifted);
  bool shifted = false;
  std::string start;
  // The latest record read and its block: only its moment is wanted, once.
  std::string last_record;
  std::uint64_t last_record_block = 0;
  // The scan reads every block up to the first that reaches past the end.
  const StretchPlan plan = PlanStretches(length, 0, (blocks + 1) * kBlockSize, kBlockSize);
  if (plan.Count() > 0) {
    RunStretches<AxeStretch>(
        plan, host,
        [&](std::size_t i, AxeStretch& stretch) {
          ScanAxeStretch(path, plan.bounds[i] / kBlockSize, plan.bounds[i + 1] / kBlockSize,
                         stretch);
        },
        [&](std::size_t i, AxeStretch& stretch) {
          // The file's first record is read with the flag it sets itself.
          if (count == 0 && stretch.count > 0) {
            start = AxeMoment(stretch.first, axe::ChoosesShiftedLayout(stretch.first));
          }
          count += stretch.count;
          shifted = shifted || stretch.shifted;
          if (stretch.last_record_block > 0) {
            last_record = std::move(stretch.last_record);
            last_record_block = stretch.last_record_block;
          }
          if (host.ProgressValue() < 100) {
            const double done = static_cast<double>(plan.bounds[i + 1] / kBlockSize);
            const double p = unit > 0 ? std::floor(done / unit) : 100.0;
            host.SetProgress(static_cast<int>(std::min(p, 100.0)));
          }
          return true;
        });
  } else {
    for (;;) {
      const std::string_view block(reinterpret_cast<const char*>(file.View(offset, kBlockSize)),
                                   kBlockSize);
      ++n;
      std::size_t q = 0;
      std::string_view last_in_block;
      while (q < axe::kLastRecordStart) {
        const std::size_t l = axe::RecordLength(block.substr(q, axe::kLength.width), kReading);
        if (l == 0) break;
        const std::string_view record = block.substr(q, l);
        if (!shifted && axe::ChoosesShiftedLayout(record)) shifted = true;
        if (count == 0) start = AxeMoment(record, shifted);
        last_in_block = record;
        ++count;
        q += l;
      }
      if (last_in_block.data() != nullptr) {
        last_record.assign(last_in_block);
        last_record_block = n;
      }
      offset += kBlockSize;
      if (host.ProgressValue() < 100) {
        const double p = unit > 0 ? std::floor(static_cast<double>(n) / unit) : 100.0;
        host.SetProgress(static_cast<int>(std::min(p, 100.0)));
      }
      if (file.AtEnd()) break;
    }
  }
  // The end is the last record of the last whole block, or with a short last
  // block the last record read. The layout flag only ever turns off before
  // the record that decides, so the moment reads as when it was met.
  std::string end;
  const bool has_end =
      whole_blocks ? last_record_block == blocks && blocks > 0 : last_record_block > 0;
  if (has_end) end = AxeMoment(last_record, shifted);
  host.SetProgress(100);
  return {start, end, count};
}

}  // namespace lomtra
