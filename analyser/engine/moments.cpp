#include "engine/moments.h"

#include "platform/calendar.h"

namespace lomtra {
namespace {

// The value of `count` digits at `at`; -1 when one of them is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t year_of_era = y - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

}  // namespace

Moment MomentOfText(std::string_view text) {
  // YYYY-MM-DD   HH:MM:SS
  constexpr std::size_t kLength = 10 + 3 + 8;
  if (text.size() != kLength || text[4] != '-' || text[7] != '-' || text.substr(10, 3) != "   " ||
      text[15] != ':' || text[18] != ':') {
    return kNoMoment;
  }
  const int year = Digits(text, 0, 4);
  const int month = Digits(text, 5, 2);
  const int day = Digits(text, 8, 2);
  const int hour = Digits(text, 13, 2);
  const int minute = Digits(text, 16, 2);
  const int second = Digits(text, 19, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > platform::DaysInMonth(month, year) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return kNoMoment;
  }
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace lomtra
