#include "formats/ewsd/text.h"

#include "formats/ewsd/layout.h"
#include "formats/ewsd/packages.h"

namespace formats::ewsd {

void PutTwoDigits(char* at, std::uint8_t value) {
  at[0] = static_cast<char>('0' + value / 10 % 10);
  at[1] = static_cast<char>('0' + value % 10);
}

std::string DateText(const std::uint8_t* package) {
  std::string text(kDatePattern, kDateTextLength);
  PutTwoDigits(&text[kYearTextAt], package[kYearAt]);
  PutTwoDigits(&text[kMonthTextAt], package[kMonthAt]);
  PutTwoDigits(&text[kDayTextAt], package[kDayAt]);
  return text;
}

std::string TimeText(const std::uint8_t* package) {
  std::string text(kTimePattern, kTimeTextLength);
  PutTwoDigits(&text[kHourTextAt], package[kHourAt]);
  PutTwoDigits(&text[kMinuteTextAt], package[kMinuteAt]);
  PutTwoDigits(&text[kSecondTextAt], package[kSecondAt]);
  return text;
}

std::string DigitText(const std::uint8_t* packed, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  const int bytes = DigitBytes(digits);
  text.reserve(2 * static_cast<std::size_t>(bytes));
  for (int i = 0; i < bytes; ++i) {
    text.push_back(kHex[packed[i] >> 4]);
    text.push_back(kHex[packed[i] & 0x0F]);
  }
  text.resize(static_cast<std::size_t>(digits));
  return text;
}

}  // namespace formats::ewsd
