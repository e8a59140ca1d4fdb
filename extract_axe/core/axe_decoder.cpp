#include "axe_decoder.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"

namespace pardel {
namespace {

constexpr std::size_t kLastRecordStart = kBlockSize - 1;

std::string_view Cut(std::string_view record, std::size_t offset, std::size_t width) {
  if (offset >= record.size()) return {};
  return record.substr(offset, width);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

void AppendWithoutBlanks(std::string& out, std::string_view text) {
  char kept[16];
  std::size_t n = 0;
  for (char c : text) {
    if (n == sizeof kept) {
      out.append(kept, n);
      n = 0;
    }
    if (c != ' ') kept[n++] = c;
  }
  out.append(kept, n);
}

void AppendNumber(std::string& out, std::string_view text) {
  // Counters are nearly always plain digits: their value is the digits
  // without leading zeros, no need for the general number reading.
  bool digits_only = !text.empty();
  for (char c : text) digits_only = digits_only && c >= '0' && c <= '9';
  if (digits_only) {
    std::size_t first = 0;
    while (first + 1 < text.size() && text[first] == '0') ++first;
    out += text.substr(first);
    return;
  }
  out += platform::ShortestDecimal(platform::LeadingNumber(text), 6);
}

}  // namespace

bool IsAxeFile(platform::BinaryReader& file) {
  for (int block = 0; block < kBlocksTested; ++block) {
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * kBlockSize;
    if (offset >= file.Length()) return false;
    const double value = platform::LeadingNumber(file.ReadText(offset, 3));
    if (value < 80 || value > 150) return false;
  }
  return true;
}

bool ReadBlock(platform::BinaryReader& file, std::uint64_t offset, AxeBlock& block) {
  block.valid = file.Read(offset, block.bytes.data(), kBlockSize);
  return file.AtEnd();
}

AxeRecord NextRecord(const AxeBlock& block, std::size_t start) {
  if (start >= kLastRecordStart || start >= block.valid) return {};
  const std::size_t available = block.valid - start;
  const std::string_view rest(block.bytes.data() + start, available);
  const double length = platform::LeadingNumber(rest.substr(0, 3));
  // A length that is not a positive whole number ends the block, as zero does.
  if (!(length >= 1) || length != std::floor(length)) return {};
  const std::size_t size = length > static_cast<double>(kBlockSize) ? kBlockSize
                                                                     : static_cast<std::size_t>(length);
  return {size, rest.substr(0, std::min(size, available))};
}

void FormatRecord(std::string_view record, LayoutState& layout, std::string& line) {
  if (!layout.line_written && !layout.shifted) {
    const std::string_view probe = Cut(record, 18, 16);
    if (probe.size() == 16 && TrimBlanks(probe).size() == 16) layout.shifted = true;
  }
  const std::size_t s = layout.shifted ? 1 : 0;
  line += "20";
  line += Cut(record, 71 - s, 2);
  line += '/';
  line += Cut(record, 73 - s, 2);
  line += '/';
  line += Cut(record, 75 - s, 2);
  line += ',';
  line += Cut(record, 50 - s, 2);
  line += ':';
  line += Cut(record, 52 - s, 2);
  line += ':';
  line += Cut(record, 54 - s, 2);
  line += ',';
  line += TrimBlanks(Cut(record, 18 - s, 15));
  line += ',';
  const std::size_t b_start = line.size();
  AppendWithoutBlanks(line, Cut(record, 34 - s, 15));
  if (line.size() > b_start && line.back() == 'F') line.pop_back();
  line += ',';
  AppendNumber(line, Cut(record, 56 - s, 6));
  line += ',';
  AppendNumber(line, Cut(record, 62 - s, 6));
  line += ',';
  AppendWithoutBlanks(line, Cut(record, 84 - s, 7));
  line += ',';
  AppendWithoutBlanks(line, Cut(record, 91 - s, 7));
  layout.line_written = true;
}

}  // namespace pardel
