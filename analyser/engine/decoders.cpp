#include "engine/decoders.h"

#include <string>

#include "platform/digits.h"
#include "platform/numbers.h"

namespace lomtra {

double ValueOf(std::string_view text) {
  // Fast path for plain digits, which is nearly every field the detectors
  // read; up to 15 digits the value is exact either way.
  if (!text.empty() && text.size() <= 15) {
    std::uint64_t value = 0;
    bool digits = true;
    for (char c : text) {
      if (c < '0' || c > '9') {
        digits = false;
        break;
      }
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (digits) return static_cast<double>(value);
  }
  return platform::DigitFirstNumber(text);
}

double BcdValue(const std::uint8_t* bytes, std::size_t offset, std::size_t count) {
  // Fast path for clean BCD; a nibble above 9 falls back to the text rule.
  double value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[offset + i];
    if ((b >> 4) > 9 || (b & 0x0F) > 9) return ValueOf(platform::HexText(bytes + offset, count));
    value = value * 100 + (b >> 4) * 10 + (b & 0x0F);
  }
  return value;
}

int BcdNumber(const std::uint8_t* bytes, std::size_t offset, std::size_t count) {
  const double value = BcdValue(bytes, offset, count);
  if (!(value < kLargestBcdNumber)) return kLargestBcdNumber;  // NaN too
  return value > 0 ? static_cast<int>(value) : 0;
}

std::uint64_t BigEndianValue(const std::uint8_t* bytes, std::size_t offset, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count && i < 8; ++i) value = (value << 8) | bytes[offset + i];
  return value;
}

std::string TwoDigits(int value) {
  if (value >= 0 && value <= 99) {
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  }
  const std::string text = "0" + std::to_string(value);
  return text.substr(text.size() - 2);
}

std::string MomentText(std::string_view date, std::string_view time) {
  if (date.empty() && time.empty()) return {};
  std::string text;
  text.reserve(date.size() + 3 + time.size());
  text.append(date);
  text.append("   ");
  text.append(time);
  return text;
}

}  // namespace lomtra
