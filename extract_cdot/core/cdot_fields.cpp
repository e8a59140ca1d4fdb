#include "cdot_fields.h"

#include "platform/numbers.h"

namespace kelvan {

namespace {

constexpr std::size_t kCalledOffset = 0;
constexpr std::size_t kCallingOffset = 10;
constexpr std::size_t kNumberSize = 10;
constexpr std::size_t kDurationOffset = 20;
constexpr std::size_t kTimeOffset = 24;
constexpr std::size_t kIncomingOffset = 28;
constexpr std::size_t kUnitsOffset = 34;
constexpr std::size_t kOutgoingOffset = 38;
constexpr std::size_t kUnitsCopyOffset = 44;

constexpr char kHex[] = "0123456789ABCDEF";

// The digit mapping applied to one hexadecimal character: F is a filler,
// A stands for 0. Returns the new count.
std::size_t PutMapped(char* digits, std::size_t n, char c) {
  if (c == 'F') return n;
  digits[n] = c == 'A' ? '0' : c;
  return n + 1;
}

void AppendNumber(std::string& out, std::uint64_t value) {
  char buffer[24];
  char* end = platform::AppendDecimal(buffer, value);
  out.append(buffer, end);
}

}  // namespace

void DecodeDigits(const std::uint8_t* bytes, std::size_t count, std::string& out) {
  // Collected on the stack and appended in one go: this runs twice a record.
  out.clear();
  char digits[32];
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    if (b == 0xFF) break;
    if (n + 2 > sizeof digits) {
      out.append(digits, n);
      n = 0;
    }
    if (b >= 0x10) n = PutMapped(digits, n, kHex[b >> 4]);
    n = PutMapped(digits, n, kHex[b & 0x0F]);
  }
  out.append(digits, n);
}

std::string DecodeDigits(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  DecodeDigits(bytes, count, out);
  return out;
}

std::uint64_t Value32(const std::uint8_t* bytes) {
  if (bytes[0] == 0xFF) return 0;
  return std::uint64_t{bytes[0]} << 24 | std::uint64_t{bytes[1]} << 16 |
         std::uint64_t{bytes[2]} << 8 | bytes[3];
}

std::uint32_t Value16(const std::uint8_t* bytes) {
  if (bytes[0] == 0xFF) return 0;
  return static_cast<std::uint32_t>(bytes[0] << 8 | bytes[1]);
}

void TimeText(const std::uint8_t* bytes, std::string& out) {
  out.clear();
  for (int i = 0; i < 3; ++i) {
    if (i > 0) out.push_back(':');
    if (bytes[i] < 10) out.push_back('0');
    AppendNumber(out, bytes[i]);
  }
}

std::uint64_t RoundedSeconds(std::uint64_t milliseconds) {
  std::uint64_t seconds = milliseconds / 1000;
  const std::uint64_t rest = milliseconds % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return seconds;
}

void DecodeCalled(const std::uint8_t* record, CdotFields& fields) {
  DecodeDigits(record + kCalledOffset, kNumberSize, fields.called);
}

bool IsSectionEnd(const CdotFields& fields) {
  // The next section's header begins with the ASCII text 0707.
  return fields.called.compare(0, 8, "30373037") == 0;
}

void DecodeRest(const std::uint8_t* record, CdotFields& fields) {
  DecodeDigits(record + kCallingOffset, kNumberSize, fields.calling);
  fields.duration = RoundedSeconds(Value32(record + kDurationOffset));
  TimeText(record + kTimeOffset, fields.time);
  fields.incoming_group = Value16(record + kIncomingOffset);
  fields.units_copy = Value32(record + kUnitsCopyOffset);
  fields.units = Value32(record + kUnitsOffset);
  if (fields.units == 0) fields.units = fields.units_copy;
  fields.outgoing_group = Value16(record + kOutgoingOffset);
}

void FieldText(const CdotFields& fields, int field, std::string& out) {
  out.clear();
  switch (field) {
    case 1:
      out.assign(fields.date);
      break;
    case 2:
      out.assign(fields.time);
      break;
    case 3:
      out.assign(fields.calling);
      break;
    case 4:
      out.assign(fields.called);
      break;
    case 5:
      AppendNumber(out, fields.duration);
      break;
    case 6:
      AppendNumber(out, fields.units);
      break;
    case 7:
      if (fields.outgoing_group != 0) AppendNumber(out, fields.outgoing_group);
      break;
    case 8:
      if (fields.incoming_group != 0) AppendNumber(out, fields.incoming_group);
      break;
    case 9:
      AppendNumber(out, fields.units_copy);
      break;
    default:
      break;
  }
}

}  // namespace kelvan
