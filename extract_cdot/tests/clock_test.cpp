#include "kelvan/clock.h"

#include <gtest/gtest.h>

namespace kelvan {
namespace {

TEST(StatusDateText, DayMonthAbbreviationYear) {
  EXPECT_EQ(StatusDateText({2026, 12, 6}), "6 Dec 2026");
  EXPECT_EQ(StatusDateText({2005, 1, 31}), "31 Jan 2005");
}

}  // namespace
}  // namespace kelvan
