#include "formats/cdot/fields.h"

#include <gtest/gtest.h>

#include "cdrgen/cdot_builder.h"

namespace formats::cdot {
namespace {

std::string Digits(std::initializer_list<std::uint8_t> bytes) {
  const std::vector<std::uint8_t> v(bytes);
  return DecodeDigits(v.data(), v.size());
}

TEST(DecodeDigits, HexWithoutLeadingZerosThenAIsZeroAndFIsDropped) {
  EXPECT_EQ(Digits({0x98, 0x14, 0x5A, 0x1F, 0xFF, 0x12}), "9814501");
  EXPECT_EQ(Digits({0x05, 0x45, 0x00}), "5450");  // 05 -> 5, 00 -> 0
  EXPECT_EQ(Digits({0xAA, 0xFA, 0xF1}), "0001");
  EXPECT_EQ(Digits({0xFF, 0x12}), "");
  EXPECT_EQ(Digits({0xBC, 0xDE}), "BCDE");  // other hex letters stay
}

TEST(DecodeDigits, BuilderDigitsComeBackUnchanged) {
  for (const std::string number : {"22334455", "0612345", "1", "", "98765432109876543210"}) {
    const auto bytes = cdrgen::CdotDigits(number);
    EXPECT_EQ(DecodeDigits(bytes.data(), bytes.size()), number);
  }
}

TEST(Values, BigEndianFfMeansZeroAndHighValuesStayUnsigned) {
  const std::uint8_t a[] = {0x00, 0x01, 0x02, 0x03};
  EXPECT_EQ(Value32(a), 0x00010203u);
  const std::uint8_t ff[] = {0xFF, 0x00, 0x00, 0x01};
  EXPECT_EQ(Value32(ff), 0u);
  const std::uint8_t high[] = {0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(Value32(high), 2147483648u);
  const std::uint8_t top[] = {0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Value32(top), 4278190079u);
  const std::uint8_t g1[] = {0x01, 0x02}, g2[] = {0xFF, 0x05}, g3[] = {0x00, 0x00};
  EXPECT_EQ(Value16(g1), 258u);
  EXPECT_EQ(Value16(g2), 0u);
  EXPECT_EQ(Value16(g3), 0u);
}

TEST(TimeText, TwoDigitsEachAndLargeBytesWhole) {
  std::string text;
  const std::uint8_t t[] = {0x09, 0x05, 0x1E};
  TimeText(t, text);
  EXPECT_EQ(text, "09:05:30");
  const std::uint8_t odd[] = {200, 0, 59};
  TimeText(odd, text);
  EXPECT_EQ(text, "200:00:59");
}

TEST(RoundedSeconds, HalvesGoToTheEvenSecond) {
  EXPECT_EQ(RoundedSeconds(1500), 2u);
  EXPECT_EQ(RoundedSeconds(2500), 2u);
  EXPECT_EQ(RoundedSeconds(3500), 4u);
  EXPECT_EQ(RoundedSeconds(2501), 3u);
  EXPECT_EQ(RoundedSeconds(499), 0u);
}

}  // namespace
}  // namespace formats::cdot
