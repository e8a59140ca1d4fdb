#include "formats/ewsd/text.h"

#include "formats/ewsd/layout.h"
#include "formats/ewsd/packages.h"
#include "platform/digits.h"

namespace formats::ewsd {

std::string DateText(const std::uint8_t* package) {
  std::string text(kDatePattern, kDateTextLength);
  platform::PutTwoDigits(&text[kYearTextAt], package[kYearAt]);
  platform::PutTwoDigits(&text[kMonthTextAt], package[kMonthAt]);
  platform::PutTwoDigits(&text[kDayTextAt], package[kDayAt]);
  return text;
}

std::string TimeText(const std::uint8_t* package) {
  std::string text(kTimePattern, kTimeTextLength);
  platform::PutTwoDigits(&text[kHourTextAt], package[kHourAt]);
  platform::PutTwoDigits(&text[kMinuteTextAt], package[kMinuteAt]);
  platform::PutTwoDigits(&text[kSecondTextAt], package[kSecondAt]);
  return text;
}

std::string DigitText(const std::uint8_t* packed, int digits) {
  const int bytes = DigitBytes(digits);
  std::string text(2 * static_cast<std::size_t>(bytes), ' ');
  for (int i = 0; i < bytes; ++i)
    platform::PutHexDigits(&text[2 * static_cast<std::size_t>(i)], packed[i]);
  text.resize(static_cast<std::size_t>(digits));
  return text;
}

}  // namespace formats::ewsd
