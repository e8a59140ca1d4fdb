#pragma once
// The texts an EWSD record's bytes are shown as: digit strings as upper-case
// hexadecimal digits (a filler nibble shows as its letter), dates and times
// as "20YY-MM-DD" and "HH:MM:SS" from plain binary bytes.
#include <cstdint>
#include <string>

namespace formats::ewsd {

// Where each two-digit part stands in the date and time texts; the year is
// always prefixed with "20".
inline constexpr char kDatePattern[] = "20YY-MM-DD";
inline constexpr int kDateTextLength = 10;
inline constexpr int kYearTextAt = 2;
inline constexpr int kMonthTextAt = 5;
inline constexpr int kDayTextAt = 8;
inline constexpr char kTimePattern[] = "HH:MM:SS";
inline constexpr int kTimeTextLength = 8;
inline constexpr int kHourTextAt = 0;
inline constexpr int kMinuteTextAt = 3;
inline constexpr int kSecondTextAt = 6;

// The date and the time of a package 100 whose bytes start at `package`
// (the identifier; seven bytes are read).
std::string DateText(const std::uint8_t* package);
std::string TimeText(const std::uint8_t* package);

// `digits` digits from the packed bytes at `packed` (DigitBytes(digits) are
// read), the high nibble first.
std::string DigitText(const std::uint8_t* packed, int digits);

}  // namespace formats::ewsd
