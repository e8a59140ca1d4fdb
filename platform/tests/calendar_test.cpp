#include "platform/calendar.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Calendar, DateFromDayOfYearLeapRuleAndEnds) {
  auto check = [](int day, int year, int month, int d) {
    const MonthDay md = DateFromDayOfYear(day, year);
    EXPECT_EQ(md.month, month) << day << "/" << year;
    EXPECT_EQ(md.day, d) << day << "/" << year;
  };
  check(60, 4, 2, 29);
  check(60, 5, 3, 1);
  check(365, 5, 12, 31);
  check(366, 4, 12, 31);
  check(0, 5, 1, 0);
  check(1, 5, 1, 1);
  check(60, -1, 3, 1);  // year -1 is not a leap year
  // Centuries are leap years only when they divide by 400.
  check(60, 2000, 2, 29);
  check(60, 2100, 3, 1);
  // A day past the year's end stays in December instead of a 13th month.
  check(400, 5, 12, 66);
}

}  // namespace
}  // namespace platform
