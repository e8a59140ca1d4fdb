#pragma once
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

}  // namespace platform
