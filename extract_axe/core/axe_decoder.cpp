#include "pardel/axe_decoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

#include "formats/axe/records.h"
#include "platform/numbers.h"

namespace pardel {
namespace {

namespace axe = formats::axe;
constexpr const axe::Reading& kReading = axe::kExtractorReading;

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

#if !(defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64))
bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}
#endif

// The run's layout is chosen only while no line of it is written.
bool ChoosesShiftedLayout(std::string_view record, const LayoutState& layout) {
  static_assert(kReading.layout_choice == axe::Reading::LayoutChoice::kBeforeFirstLine);
  return !layout.line_written && axe::ChoosesShiftedLayout(record);
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
  out += platform::ShortestDecimal(axe::NumberValue(text, kReading.numbers), 6);
}

}  // namespace

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
  if (start >= axe::kLastRecordStart || start >= block.valid) return {};
  const std::size_t available = block.valid - start;
  const std::string_view rest(block.data + start, available);
  const std::size_t size = axe::RecordLength(rest.substr(0, axe::kLength.width), kReading);
  if (size == 0) return {};
  return {size, rest.substr(0, std::min(size, available))};
}

void FormatRecord(std::string_view record, LayoutState& layout, std::string& line,
                  FieldEnds* ends) {
  if (!layout.shifted && ChoosesShiftedLayout(record, layout)) layout.shifted = true;
  const bool shifted = layout.shifted;
  auto field = [&](axe::Field f) { return Cut(record, axe::Offset(f, shifted), f.width); };
  const std::size_t base = line.size();
  std::size_t at = 0;
  auto field_end = [&] {
    if (ends != nullptr) (*ends)[at++] = line.size() - base;
  };
  line += axe::kCentury;
  line += field(axe::kYear);
  line += '/';
  line += field(axe::kMonth);
  line += '/';
  line += field(axe::kDay);
  field_end();
  line += ',';
  line += field(axe::kHour);
  line += ':';
  line += field(axe::kMinute);
  line += ':';
  line += field(axe::kSecond);
  field_end();
  line += ',';
  line += TrimBlanks(field(axe::kANumber));
  field_end();
  line += ',';
  const std::size_t b_start = line.size();
  AppendWithoutBlanks(line, field(axe::kBNumber));
  if (line.size() > b_start && line.back() == axe::kBNumberFiller) line.pop_back();
  field_end();
  line += ',';
  AppendNumber(line, field(axe::kFirstCounter));
  field_end();
  line += ',';
  AppendNumber(line, field(axe::kSecondCounter));
  field_end();
  line += ',';
  AppendWithoutBlanks(line, field(axe::kFirstCode));
  field_end();
  line += ',';
  AppendWithoutBlanks(line, field(axe::kSecondCode));
  field_end();
  layout.line_written = true;
}

namespace {

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
// Kept inside the formatters: a call per field costs the text lines
// their speed.
template <unsigned count>
[[gnu::always_inline]] inline char* PutWithoutBlanks(char* out, const char* field,
                                                     unsigned blanks) {
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

// A plain counter without its leading zeros, at least one digit staying;
// `zeros` marks its '0' characters. Writes 8 bytes.
char* PutCounter(char* out, const char* field, unsigned zeros) {
  constexpr std::size_t kWidth = axe::kFirstCounter.width;
  const int skipped = std::countr_one(zeros & ((1u << (kWidth - 1)) - 1));
  std::memcpy(out, field + skipped, 8);
  return out + (static_cast<int>(kWidth) - skipped);
}

char* PutPair(char* out, const char* field, char after) {
  std::memcpy(out, field, 2);
  out[2] = after;
  return out + 3;
}

// A field's offset in the shifted layout, which is where FormatWholeRecord
// finds it in either layout (from the record's start or from its second
// character).
constexpr std::size_t From(axe::Field field) {
  return axe::Offset(field, true);
}
constexpr unsigned AllOf(axe::Field field) {
  return (1u << field.width) - 1;
}
// The counters stand side by side, six digits each, read with one mask.
static_assert(axe::kSecondCounter.offset == axe::kFirstCounter.offset + axe::kFirstCounter.width);
static_assert(axe::kFirstCounter.width == 6 && axe::kSecondCounter.width == 6);
// The 16 characters looked at for the route codes end with the second one,
// which may be the record's last.
constexpr std::size_t kCodesProbe = From(axe::kSecondCode) + axe::kSecondCode.width - 16;

// The fast formatter; with kMarkFields it also notes where the fields end
// (the text lines do without, at no cost to them).
template <bool kMarkFields>
char* FormatWhole(std::string_view record, LayoutState& layout, char* out, FieldEnds* ends) {
  if (record.size() < axe::kWholeRecordSize) return nullptr;
  const bool shifted = layout.shifted || ChoosesShiftedLayout(record, layout);
  // The shifted layout reads the fields from the record's start, the normal
  // one from its second character.
  const char* q = record.data() + (shifted ? 0 : axe::kShift);
  // Both counters must be plain digits, whose value is the digits without
  // leading zeros: no need for the general reading.
  constexpr unsigned kCounters =
      AllOf(axe::kFirstCounter) << axe::kSecondCounter.width | AllOf(axe::kSecondCounter);
  if ((DigitMask(q + From(axe::kFirstCounter)) & kCounters) != kCounters) return nullptr;
  layout.shifted = shifted;
  layout.line_written = true;

  char* p = out;
  std::memcpy(p, axe::kCentury.data(), axe::kCentury.size());
  p = PutPair(p + axe::kCentury.size(), q + From(axe::kYear), '/');
  p = PutPair(p, q + From(axe::kMonth), '/');
  p = PutPair(p, q + From(axe::kDay), ',');
  if constexpr (kMarkFields) (*ends)[0] = static_cast<std::size_t>(p - out) - 1;
  p = PutPair(p, q + From(axe::kHour), ':');
  p = PutPair(p, q + From(axe::kMinute), ':');
  p = PutPair(p, q + From(axe::kSecond), ',');
  if constexpr (kMarkFields) (*ends)[1] = static_cast<std::size_t>(p - out) - 1;

  // A number: blanks trimmed at both ends only.
  const char* a = q + From(axe::kANumber);
  const unsigned kept = ~MaskOf(a, ' ') & AllOf(axe::kANumber);
  const int first = kept == 0 ? 0 : std::countr_zero(kept);
  const int last = std::bit_width(kept);
  std::memcpy(p, a + first, 16);  // 16 bytes written, only the kept ones count
  p += last - first;
  if constexpr (kMarkFields) (*ends)[2] = static_cast<std::size_t>(p - out);
  *p++ = ',';

  // B number: blanks left out, then one trailing F dropped.
  char* b = p;
  const char* b_field = q + From(axe::kBNumber);
  p = PutWithoutBlanks<axe::kBNumber.width>(p, b_field, MaskOf(b_field, ' '));
  if (p > b && p[-1] == axe::kBNumberFiller) --p;
  if constexpr (kMarkFields) (*ends)[3] = static_cast<std::size_t>(p - out);
  *p++ = ',';

  const unsigned zeros = MaskOf(q + From(axe::kFirstCounter), '0');
  p = PutCounter(p, q + From(axe::kFirstCounter), zeros);
  if constexpr (kMarkFields) (*ends)[4] = static_cast<std::size_t>(p - out);
  *p++ = ',';
  p = PutCounter(p, q + From(axe::kSecondCounter), zeros >> axe::kFirstCounter.width);
  if constexpr (kMarkFields) (*ends)[5] = static_cast<std::size_t>(p - out);
  *p++ = ',';
  const unsigned blanks = MaskOf(q + kCodesProbe, ' ');
  p = PutWithoutBlanks<axe::kFirstCode.width>(p, q + From(axe::kFirstCode),
                                              blanks >> (From(axe::kFirstCode) - kCodesProbe));
  if constexpr (kMarkFields) (*ends)[6] = static_cast<std::size_t>(p - out);
  *p++ = ',';
  p = PutWithoutBlanks<axe::kSecondCode.width>(p, q + From(axe::kSecondCode),
                                               blanks >> (From(axe::kSecondCode) - kCodesProbe));
  if constexpr (kMarkFields) (*ends)[7] = static_cast<std::size_t>(p - out);
  p[0] = '\r';
  p[1] = '\n';
  return p + 2;
}

}  // namespace

char* FormatWholeRecord(std::string_view record, LayoutState& layout, char* out) {
  return FormatWhole<false>(record, layout, out, nullptr);
}

char* FormatWholeRecord(std::string_view record, LayoutState& layout, char* out, FieldEnds& ends) {
  return FormatWhole<true>(record, layout, out, &ends);
}

}  // namespace pardel
