#include "platform/numbers.h"

#include <gtest/gtest.h>

namespace {

using platform::LeadingNumber;
using platform::RoundHalfEven;
using platform::ShortestDecimal;

TEST(Numbers, RoundHalfEvenGoesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(platform::RoundHalfEvenToInt(1536.0 / 1024), 2);  // 1.5 KB
  EXPECT_EQ(platform::RoundHalfEvenToInt(2560.0 / 1024), 2);  // 2.5 KB
  EXPECT_EQ(platform::RoundHalfEvenToInt(3584.0 / 1024), 4);  // 3.5 KB
}

TEST(Numbers, ShortestDecimalDropsTrailingZeros) {
  EXPECT_EQ(ShortestDecimal(1.5, 2), "1.5");
  EXPECT_EQ(ShortestDecimal(3.0, 2), "3");
  EXPECT_EQ(ShortestDecimal(0.125, 2), "0.12");  // half to even
  EXPECT_EQ(ShortestDecimal(0.375, 2), "0.38");
  EXPECT_EQ(ShortestDecimal(1.005, 0), "1");
  EXPECT_EQ(ShortestDecimal(0.001, 2), "0");
  EXPECT_EQ(ShortestDecimal(-0.001, 2), "0");
  EXPECT_EQ(ShortestDecimal(-1.25, 1), "-1.2");
  EXPECT_EQ(ShortestDecimal(5368709120.0 / 1048576, 2), "5120");
  EXPECT_EQ(ShortestDecimal(0.05, 2), "0.05");
  // Huge values (a damaged counter like "936e92") are written out in full,
  // never as whatever memory held.
  EXPECT_EQ(ShortestDecimal(1e30, 6), "1000000000000000019884624838656");
  EXPECT_EQ(ShortestDecimal(9.36e94, 6).size(), 95u);
  EXPECT_EQ(ShortestDecimal(-1.7976931348623157e308, 6).size(), 310u);
}

TEST(Numbers, LeadingNumberReadsLikeTheUsersExpect) {
  EXPECT_EQ(LeadingNumber("0156"), 156);
  EXPECT_EQ(LeadingNumber("7-"), 7);
  EXPECT_EQ(LeadingNumber("F1"), 0);
  EXPECT_EQ(LeadingNumber("1E02"), 100);
  EXPECT_EQ(LeadingNumber("1D2"), 100);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("   "), 0);
  EXPECT_EQ(LeadingNumber(" 0 9 5abc"), 95);  // blanks anywhere are skipped
  EXPECT_EQ(LeadingNumber("-12"), -12);
  EXPECT_EQ(LeadingNumber("1.5.3"), 1.5);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber("12E"), 12);  // an exponent without digits is not one
  EXPECT_EQ(LeadingNumber(std::string("1\0002", 3)), 1);
}

}  // namespace
