// AXE: 2048-byte blocks of character records, each starting with its length
// as three digits; all records are counted, the start is the file's first
// record and the end the last record of the last block.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"

namespace lomtra {
namespace {

constexpr std::uint64_t kBlockSize = 2048;

// 1-based characters `from`..`from + count - 1` of a record, cut at its end.
std::string_view MidView(std::string_view text, std::size_t from, std::size_t count) {
  if (from == 0 || from > text.size()) return {};
  return text.substr(from - 1, count);
}

// The characters are copied unchecked, except that damaged data must not
// break the result text (",") or the report's lines and cells (control
// characters, "|"): those show as "?".
std::string Copied(std::string_view record, std::size_t from) {
  std::string text(MidView(record, from, 2));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ',' || c == '|') c = '?';
  }
  return text;
}

std::string AxeMoment(std::string_view record, std::size_t s) {
  const std::string date =
      "20" + Copied(record, s + 71) + "-" + Copied(record, s + 73) + "-" + Copied(record, s + 75);
  const std::string time =
      Copied(record, s + 50) + ":" + Copied(record, s + 52) + ":" + Copied(record, s + 54);
  return date + "   " + time;
}

bool HasNoBlankEnds(std::string_view record) {
  const std::string_view field = MidView(record, 19, 16);
  if (field.size() != 16) return false;
  return field.front() != ' ' && field.back() != ' ';
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
  std::size_t s = 1;
  std::string start;
  // The latest record read and its block: only its moment is wanted, once.
  std::string last_record;
  std::uint64_t last_record_block = 0;
  for (;;) {
    const std::string_view block(reinterpret_cast<const char*>(file.View(offset, kBlockSize)),
                                 kBlockSize);
    ++n;
    std::size_t q = 1;
    std::string_view last_in_block;
    while (q < kBlockSize) {
      const double value = FieldValue(MidView(block, q, 3));
      // A negative or fractional length has no meaning: whole part, and
      // anything below 1 ends the block (as 0 does) so the walk always advances.
      const double whole = std::floor(value);
      if (!(whole >= 1)) break;
      const std::size_t l = static_cast<std::size_t>(std::min(whole, 4096.0));
      const std::string_view record = MidView(block, q, l);
      if (s == 1 && HasNoBlankEnds(record)) s = 0;
      if (count == 0) start = AxeMoment(record, s);
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
  // The end is the last record of the last whole block, or with a short last
  // block the last record read. The layout flag only ever turns off before
  // the record that decides, so the moment reads as when it was met.
  std::string end;
  const bool has_end =
      whole_blocks ? last_record_block == blocks && blocks > 0 : last_record_block > 0;
  if (has_end) end = AxeMoment(last_record, s);
  host.SetProgress(100);
  return {start, end, count};
}

}  // namespace lomtra
