#include "ocb_format.h"

#include <charconv>

namespace ostrel {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsLeapYear(int year) {
  return year % 4 == 0;
}

// "0" before a value under 10, written at `at` (room for 12); returns the end.
char* PutTwoDigits(char* at, int value) {
  if (value < 10) *at++ = '0';
  return std::to_chars(at, at + 11, value).ptr;
}
}  // namespace

std::uint64_t HeaderOffset(OcbLayout layout, std::uint64_t block) {
  return layout == OcbLayout::kPlain ? block * kBlockSize
                                     : kPrefixedFirstHeader + block * kPrefixedStride;
}

std::uint64_t RecordOffset(OcbLayout layout, std::uint64_t block, int record) {
  return HeaderOffset(layout, block) + kHeaderSize +
         static_cast<std::uint64_t>(record) * kRecordSize;
}

OcbBlockHeader ParseBlockHeader(const std::uint8_t* bytes) {
  OcbBlockHeader header;
  header.has_marker = bytes[0] == kMarker0 && bytes[1] == kMarker1;
  header.sequence = BcdValue(bytes + 2, 3);
  header.year = static_cast<int>(BcdValue(bytes + 5, 1));
  header.day = static_cast<int>(BcdValue(bytes + 6, 2));
  header.time = {bytes[8], bytes[9], bytes[10]};
  return header;
}

void AppendHexText(std::string& out, const std::uint8_t* bytes, std::size_t count) {
  const std::size_t at = out.size();
  out.resize(at + 2 * count);
  char* digits = out.data() + at;
  for (std::size_t i = 0; i < count; ++i) {
    digits[2 * i] = kHexDigits[bytes[i] >> 4];
    digits[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
  }
}

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(count * 2);
  AppendHexText(text, bytes, count);
  return text;
}

std::uint32_t ByteValue(const std::uint8_t* record, std::size_t offset, std::size_t length) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < length; ++k) value = value * 256 + record[offset + k];
  return value;
}

std::uint32_t BcdValue(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(bytes[i] >> 4);
    value = value * 10 + static_cast<std::uint32_t>(bytes[i] & 0x0F);
  }
  return value;
}

void DropFillersInPlace(std::string& text) {
  std::size_t kept = 0;
  for (char c : text) {
    if (c != 'F') text[kept++] = c;
  }
  text.resize(kept);
}

std::string DropFillers(std::string_view text) {
  std::string out(text);
  DropFillersInPlace(out);
  return out;
}

char* PutCallDate(char* out, int record_day, int header_year, int header_day) {
  int year = header_year;
  if (header_day < record_day) --year;
  // The century is always 20; a header year 00 with a call from the year
  // before can only mean 1999.
  const int full_year = year < 0 ? 1999 : 2000 + year;
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int day = record_day;
  int month = 1;
  // A damaged day beyond the year's end stays in December rather than running
  // past it; the record is still written.
  while (month < 12) {
    const int length = month == 2 && IsLeapYear(full_year) ? 29 : kMonthDays[month - 1];
    if (day <= length) break;
    day -= length;
    ++month;
  }
  char* end = std::to_chars(out, out + 12, full_year).ptr;
  *end++ = '-';
  end = PutTwoDigits(end, month);
  *end++ = '-';
  return PutTwoDigits(end, day);
}

char* PutCallTime(char* out, const std::uint8_t* time_bytes) {
  for (int i = 0; i < 3; ++i) {
    out[3 * i] = kHexDigits[time_bytes[i] >> 4];
    out[3 * i + 1] = kHexDigits[time_bytes[i] & 0x0F];
    if (i < 2) out[3 * i + 2] = ':';
  }
  return out + 8;
}

void CallDateInto(int record_day, const std::uint8_t* time_bytes, int header_year, int header_day,
                  std::string& date, std::string& time) {
  // Made on the stack and assigned once: this runs for every record.
  char text[kMaxDateText];
  date.assign(text, PutCallDate(text, record_day, header_year, header_day));
  char clock[8];
  time.assign(clock, PutCallTime(clock, time_bytes));
}

CallMoment CallDate(int record_day, const std::uint8_t* time_bytes, int header_year,
                    int header_day) {
  CallMoment moment;
  CallDateInto(record_day, time_bytes, header_year, header_day, moment.date, moment.time);
  return moment;
}

}  // namespace ostrel
