#include "axe_decoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

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

bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// The first record of a run is in the shifted layout when the 16 characters
// at 18 have no blank at either end.
bool ChoosesShiftedLayout(std::string_view record) {
  const std::string_view probe = Cut(record, 18, 16);
  return probe.size() == 16 && TrimBlanks(probe).size() == 16;
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

BlockBytes ViewBlock(platform::BinaryReader& file, std::uint64_t offset, AxeBlock& copy,
                     bool& past_end) {
  if (!file.ReadFailed()) {
    const auto* data = reinterpret_cast<const char*>(file.View(offset, kBlockSize));
    if (!file.ReadFailed()) {
      past_end = file.AtEnd();
      const std::uint64_t left = offset < file.Length() ? file.Length() - offset : 0;
      return {data, static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockSize))};
    }
  }
  past_end = ReadBlock(file, offset, copy);
  return {copy.bytes.data(), copy.valid};
}

AxeRecord NextRecord(BlockBytes block, std::size_t start) {
  if (start >= kLastRecordStart || start >= block.valid) return {};
  const std::size_t available = block.valid - start;
  const std::string_view rest(block.data + start, available);
  if (available >= 3 && IsDigit(rest[0]) && IsDigit(rest[1]) && IsDigit(rest[2])) {
    // Three digits, as nearly every length is: at most 999, within the block.
    const auto size =
        static_cast<std::size_t>((rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0'));
    if (size == 0) return {};
    return {size, rest.substr(0, std::min(size, available))};
  }
  const double length = platform::LeadingNumber(rest.substr(0, 3));
  // A length that is not a positive whole number ends the block, as zero does.
  if (!(length >= 1) || length != std::floor(length)) return {};
  const std::size_t size =
      length > static_cast<double>(kBlockSize) ? kBlockSize : static_cast<std::size_t>(length);
  return {size, rest.substr(0, std::min(size, available))};
}

void FormatRecord(std::string_view record, LayoutState& layout, std::string& line) {
  if (!layout.line_written && !layout.shifted && ChoosesShiftedLayout(record))
    layout.shifted = true;
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

namespace {

// The last character any field reaches in the normal layout, plus one.
constexpr std::size_t kWholeRecordSize = 98;

// Bit i set when character i of the 16 at `text` is `c` / a digit.
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
unsigned MaskOf(const char* text, char c) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))));
}
unsigned DigitMask(const char* text) {
  const __m128i v =
      _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), _mm_set1_epi8('0'));
  // Digits are the bytes that stay at most 9 after taking '0' off.
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(9)), v)));
}
#else
unsigned MaskOf(const char* text, char c) {
  unsigned mask = 0;
  for (unsigned i = 0; i < 16; ++i) mask |= static_cast<unsigned>(text[i] == c) << i;
  return mask;
}
unsigned DigitMask(const char* text) {
  unsigned mask = 0;
  for (unsigned i = 0; i < 16; ++i) mask |= static_cast<unsigned>(IsDigit(text[i])) << i;
  return mask;
}
#endif

// Copies the `count` characters at `field` (whose blanks are the low bits of
// `blanks`) leaving the blanks out; writes `count` bytes.
template <unsigned count>
char* PutWithoutBlanks(char* out, const char* field, unsigned blanks) {
  constexpr unsigned kAll = (1u << count) - 1;
  blanks &= kAll;
  // Usually the blanks, if any, only pad the end: one copy does it.
  const int kept = std::countr_zero(blanks | (1u << count));
  if ((blanks >> kept) == (kAll >> kept)) {
    std::memcpy(out, field, count);
    return out + kept;
  }
  for (unsigned i = 0; i < count; ++i) {
    const char c = field[i];
    *out = c;
    out += c != ' ';
  }
  return out;
}

// A plain counter (6 digits) without its leading zeros, at least one digit
// staying; `zeros` marks its '0' characters. Writes 8 bytes.
char* PutCounter(char* out, const char* field, unsigned zeros) {
  const int skipped = std::countr_one(zeros & 0x1Fu);
  std::memcpy(out, field + skipped, 8);
  return out + (6 - skipped);
}

char* PutPair(char* out, const char* field, char after) {
  std::memcpy(out, field, 2);
  out[2] = after;
  return out + 3;
}

}  // namespace

char* FormatWholeRecord(std::string_view record, LayoutState& layout, char* out) {
  if (record.size() < kWholeRecordSize) return nullptr;
  const bool shifted = layout.shifted || (!layout.line_written && ChoosesShiftedLayout(record));
  // Fields at their normal positions minus one: the shifted layout reads
  // them from the record's start, the normal one from its second character.
  const char* q = record.data() + (shifted ? 0 : 1);
  // Both counters (12 characters at q + 55) must be plain digits, whose value
  // is the digits without leading zeros: no need for the general reading.
  if ((DigitMask(q + 55) & 0xFFFu) != 0xFFFu) return nullptr;
  layout.shifted = shifted;
  layout.line_written = true;

  char* p = out;
  p[0] = '2';
  p[1] = '0';
  p = PutPair(p + 2, q + 70, '/');
  p = PutPair(p, q + 72, '/');
  p = PutPair(p, q + 74, ',');
  p = PutPair(p, q + 49, ':');
  p = PutPair(p, q + 51, ':');
  p = PutPair(p, q + 53, ',');

  // A number: 15 characters, blanks trimmed at both ends only.
  const char* a = q + 17;
  const unsigned kept = ~MaskOf(a, ' ') & 0x7FFFu;
  const int first = kept == 0 ? 0 : std::countr_zero(kept);
  const int last = std::bit_width(kept);
  std::memcpy(p, a + first, 16);  // 16 bytes written, only the kept ones count
  p += last - first;
  *p++ = ',';

  // B number: blanks left out, then one trailing F dropped.
  char* b = p;
  p = PutWithoutBlanks<15>(p, q + 33, MaskOf(q + 33, ' '));
  if (p > b && p[-1] == 'F') --p;
  *p++ = ',';

  const unsigned zeros = MaskOf(q + 55, '0');
  p = PutCounter(p, q + 55, zeros);
  *p++ = ',';
  p = PutCounter(p, q + 61, zeros >> 6);
  *p++ = ',';
  // Route codes: 7 characters each, at q + 83 and q + 90; the 16 characters
  // looked at end with the second one, which may be the record's last.
  const unsigned blanks = MaskOf(q + 81, ' ');
  p = PutWithoutBlanks<7>(p, q + 83, blanks >> 2);
  *p++ = ',';
  p = PutWithoutBlanks<7>(p, q + 90, blanks >> 9);
  p[0] = '\r';
  p[1] = '\n';
  return p + 2;
}

}  // namespace pardel
