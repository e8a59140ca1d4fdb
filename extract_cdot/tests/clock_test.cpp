#include "clock.h"

#include <gtest/gtest.h>

namespace kelvan {
namespace {

TEST(StatusDateText, DayMonthAbbreviationYear) {
  EXPECT_EQ(StatusDateText({2026, 12, 6}), "6 Dec 2026");
  EXPECT_EQ(StatusDateText({2005, 1, 31}), "31 Jan 2005");
}

TEST(SystemClock, GivesAPlausibleDate) {
  const CalendarDate today = SystemClock().Today();
  EXPECT_GE(today.year, 2024);
  EXPECT_GE(today.month, 1);
  EXPECT_LE(today.month, 12);
  const TimeOfDay now = SystemClock().Now();
  EXPECT_LT(SecondsOfDay(now), 86401);
}

}  // namespace
}  // namespace kelvan
