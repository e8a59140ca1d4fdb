#pragma once
#include <cstdint>
// The calendar every program dates calls by: the Gregorian leap-year rule and
// the month and day of a day of the year.

namespace platform {

constexpr bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days of `month` (1-12) in `year`.
constexpr int DaysInMonth(int month, int year) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

struct MonthDay {
  int month = 1;
  int day = 0;
};

// Month and day of day `day` of `year` (1 = 1 January). Day 0 gives month 1,
// day 0. A damaged day past the end of the year stays in December (a
// visibly impossible day) rather than running into a thirteenth month.
constexpr MonthDay DateFromDayOfYear(int day, int year) {
  MonthDay md;
  md.day = day;
  for (int month = 1; month < 12; ++month) {
    const int length = DaysInMonth(month, year);
    if (md.day <= length) break;
    md.day -= length;
    md.month = month + 1;
  }
  return md;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (any
// year, before 1970 negative): moments that sort and subtract.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

}  // namespace platform
