#include "kelvan/elapsed_time.h"

#include <gtest/gtest.h>

namespace kelvan {
namespace {

TEST(ElapsedTime, SecondsOfDayAndDifference) {
  EXPECT_EQ(SecondsOfDay({10, 59, 30}), 39570);
  EXPECT_EQ(ElapsedSeconds({10, 59, 30}, {11, 0, 35}), 65);
  EXPECT_EQ(ElapsedSeconds({12, 0, 0}, {12, 0, 0}), 0);
  EXPECT_EQ(ElapsedSeconds({23, 59, 50}, {0, 0, 5}), 15);  // past midnight
}

TEST(ElapsedTime, Text) {
  EXPECT_EQ(ElapsedText(65), "1 Minutes and 5 Seconds");
  EXPECT_EQ(ElapsedText(0), "0 Minutes and 0 Seconds");
  EXPECT_EQ(ElapsedText(3600), "60 Minutes and 0 Seconds");
}

}  // namespace
}  // namespace kelvan
