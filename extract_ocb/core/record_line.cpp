#include "record_line.h"

#include <cstring>

#include "digit_tables.h"

namespace ostrel {

namespace {

static_assert(sizeof(ByteText) == 4, "a byte text is stored with one 4-byte copy");

// Each writer may store a few bytes past the end it returns; the next field
// or the CR LF overwrites them, and the room per field below allows for them.
inline char* PutByte(char* out, std::uint8_t value) {
  const ByteText& text = kDecimalBytes[value];
  std::memcpy(out, &text, sizeof text);
  return out + text.length;
}

inline char* PutNumber(char* out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const ByteText& text = kNumberBytes[bytes[i]];
    std::memcpy(out, &text, sizeof text);
    out += text.length;
  }
  return out;
}

inline char* PutHex(char* out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) std::memcpy(out + 2 * i, kHexPairs[bytes[i]].data(), 2);
  return out + 2 * count;
}

inline std::size_t DigitCount(std::uint32_t value) {
  std::size_t count = 1;
  while (value >= 10) {
    value /= 10;
    ++count;
  }
  return count;
}

inline char* PutUnsigned(char* out, std::uint32_t value) {
  if (value < 256) return PutByte(out, static_cast<std::uint8_t>(value));
  char* const end = out + DigitCount(value);
  char* at = end;
  while (value >= 100) {
    at -= 2;
    std::memcpy(at, kDecimalPairs[value % 100].data(), 2);
    value /= 100;
  }
  if (value >= 10) {
    std::memcpy(at - 2, kDecimalPairs[value].data(), 2);
  } else {
    at[-1] = static_cast<char>('0' + value);
  }
  return end;
}

bool SwapsCallerAndTrunk(const std::uint8_t* record) {
  // Outgoing-type records carry the trunk group first and the caller second.
  return record[0] == 0x30 || record[0] == 0x10;
}

// The most characters a field's text takes, plus the few a writer stores past it.
std::size_t FieldRoom(int field) {
  switch (field) {
    case 4:
      return kMaxDateText;
    case 5:
      return 8;
    case 6:
    case 15:
      return 10 + 4;
    case 8:
      return 18 + 4;
    case 12:
    case 13:
      return 10 + 4;
    case 14:
    case 17:
      return 4 + 4;
    default:
      return 3 + 4;
  }
}

}  // namespace

bool IsUnusedSlot(const std::uint8_t* record) {
  std::size_t digits = 0;
  for (std::size_t i = 18; i < 27; ++i) digits += kNumberBytes[record[i]].length;
  return digits == 0 || digits == 18;
}

RecordLineFormatter::RecordLineFormatter(const std::vector<int>& fields, int header_year,
                                         int header_day)
    : fields_(fields), header_year_(header_year), header_day_(header_day) {
  spaced_last_ = !fields_.empty() && IsIntegerField(fields_.back());
  max_line_bytes_ = 2 + 2 + 16;  // spaces, CR LF, slack
  for (int field : fields_) max_line_bytes_ += FieldRoom(field) + 1;
}

char* RecordLineFormatter::PutDate(const std::uint8_t* record, char* out) {
  const std::uint32_t key = static_cast<std::uint32_t>(record[3]) << 8 | record[4];
  if (key != date_key_) {
    const int day = static_cast<int>(BcdValue(record + 3, 2));
    const char* end = PutCallDate(date_text_.data(), day, header_year_, header_day_);
    date_length_ = static_cast<std::size_t>(end - date_text_.data());
    date_key_ = key;
  }
  std::memcpy(out, date_text_.data(), 16);
  if (date_length_ > 16) std::memcpy(out + 16, date_text_.data() + 16, date_length_ - 16);
  return out + date_length_;
}

char* RecordLineFormatter::PutField(int field, const std::uint8_t* record, char* out) {
  switch (field) {
    case 1:
      return PutByte(out, record[0]);
    case 2:
      return PutByte(out, record[1]);
    case 3:
      return PutByte(out, record[2]);
    case 4:
      return PutDate(record, out);
    case 5:
      return PutCallTime(out, record + 5);
    case 6:
      return PutNumber(out, record + (SwapsCallerAndTrunk(record) ? 13 : 8), 5);
    case 7:
      return PutByte(out, record[37]);
    case 8:
      return PutNumber(out, record + 18, 9);
    case 9:
      return PutByte(out, record[27]);
    case 10:
      return PutByte(out, record[28]);
    case 11:
      return PutByte(out, record[29]);
    case 12:
      return PutUnsigned(out, static_cast<std::uint32_t>(record[30] << 8 | record[31]));
    case 13:
      return PutUnsigned(out,
                         static_cast<std::uint32_t>(record[32] << 16 | record[33] << 8 | record[34]));
    case 14:
      return PutNumber(out, record + 35, 2);
    case 15:
      return PutNumber(out, record + (SwapsCallerAndTrunk(record) ? 8 : 13), 5);
    case 16:
      return PutByte(out, record[38]);
    case 17:
      return PutHex(out, record + 39, 2);
    case 18:
      return PutByte(out, record[41]);
    default:
      return out;
  }
}

char* RecordLineFormatter::Format(const std::uint8_t* record, char* out) {
  const std::size_t count = fields_.size();
  if (count > 0) {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      out = PutField(fields_[i], record, out);
      *out++ = ',';
    }
    if (spaced_last_) *out++ = ' ';
    out = PutField(fields_[count - 1], record, out);
    if (spaced_last_) *out++ = ' ';
  }
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

}  // namespace ostrel
