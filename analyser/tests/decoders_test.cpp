#include "engine/decoders.h"

#include <gtest/gtest.h>

namespace lomtra {
namespace {

TEST(Decoders, ValueOfReadsTheLeadingNumber) {
  EXPECT_EQ(ValueOf("0156"), 156);
  EXPECT_EQ(ValueOf(""), 0);
  EXPECT_EQ(ValueOf("7-"), 7);
  EXPECT_EQ(ValueOf("F1"), 0);
  EXPECT_EQ(ValueOf("1E02"), 100);
  EXPECT_EQ(ValueOf(" 1 2"), 12);
}

TEST(Decoders, ValueOfTextThatBeginsWithNoDigitIsZero) {
  EXPECT_EQ(ValueOf("+95"), 0);
  EXPECT_EQ(ValueOf("-51231"), 0);
  EXPECT_EQ(ValueOf(" .5"), 0);
  EXPECT_EQ(ValueOf(" 9.5"), 9.5);
}

TEST(Decoders, BcdValueFallsBackToTheTextRuleOnLetterNibbles) {
  const std::uint8_t clean[] = {0x40, 0x40};
  EXPECT_EQ(BcdValue(clean, 0, 2), 4040);
  const std::uint8_t letters[] = {0x0A, 0x12};  // "0A12" reads as 0
  EXPECT_EQ(BcdValue(letters, 0, 2), 0);
  const std::uint8_t tail[] = {0x12, 0x3F};  // "123F" reads as 123
  EXPECT_EQ(BcdValue(tail, 0, 2), 123);
}

TEST(Decoders, BcdNumberHoldsDamagedExponentsInRange) {
  const std::uint8_t exponent[] = {0x7E, 0x95};  // "7E95" reads as 7 x 10^95
  EXPECT_EQ(BcdNumber(exponent, 0, 2), kLargestBcdNumber);
  const std::uint8_t clean[] = {0x03, 0x65};
  EXPECT_EQ(BcdNumber(clean, 0, 2), 365);
  const std::uint8_t small_exponent[] = {0x1E, 0x03};  // "1E03": 1000
  EXPECT_EQ(BcdNumber(small_exponent, 0, 2), 1000);
}

TEST(Decoders, BigEndianValue) {
  const std::uint8_t bytes[] = {0x7F, 0xFF, 0x01};
  EXPECT_EQ(BigEndianValue(bytes, 0, 2), 32767u);
  EXPECT_EQ(BigEndianValue(bytes, 1, 2), 0xFF01u);
}

TEST(Decoders, TwoDigitsAndMoments) {
  EXPECT_EQ(TwoDigits(5), "05");
  EXPECT_EQ(TwoDigits(12), "12");
  EXPECT_EQ(TwoDigits(112), "12");
  EXPECT_EQ(MomentText("2005-02-03", "14:05:09"), "2005-02-03   14:05:09");
  EXPECT_EQ(MomentText("", ""), "");
}

}  // namespace
}  // namespace lomtra
