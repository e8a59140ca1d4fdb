#include "platform/digits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace platform {
namespace {

// The text PutDecimal writes into a buffer of '#'; every byte it stored past
// the end must be a space, so that fixed-width columns stay blank.
std::string Decimal(std::uint64_t value) {
  char text[48];
  std::fill(std::begin(text), std::end(text), '#');
  const char* end = PutDecimal(text, value);
  for (const char* p = end; p < text + sizeof text; ++p) {
    EXPECT_TRUE(*p == '#' || *p == ' ') << value << ": stored '" << *p << "' past the end";
  }
  return std::string(static_cast<const char*>(text), end);
}

// Every length and every boundary between lengths, compared with the
// standard library's text.
TEST(Digits, DecimalMatchesToStringAtEveryLength) {
  std::uint64_t power = 1;
  for (int digits = 1; digits <= 20; ++digits) {
    for (std::uint64_t value : {power, power - 1, power + 1, power * 9 / 5, power * 3 + 7}) {
      EXPECT_EQ(Decimal(value), std::to_string(value)) << value;
    }
    if (digits < 20) power *= 10;
  }
  for (std::uint64_t value : std::initializer_list<std::uint64_t>{
           0ull, 9ull, 10ull, 99ull, 100ull, 99999999ull, 100000000ull, 4294967295ull,
           9999999999999999ull, 10000000000000000ull, std::numeric_limits<std::uint64_t>::max()}) {
    EXPECT_EQ(Decimal(value), std::to_string(value)) << value;
  }
  // Below a million every value: all digit patterns of the eight-digit word.
  for (std::uint64_t value = 0; value < 1000000; ++value) {
    ASSERT_EQ(Decimal(value), std::to_string(value));
  }
}

TEST(Digits, DigitCountsAndPairs) {
  EXPECT_EQ(DigitCount(0), 1);
  EXPECT_EQ(DigitCount(9), 1);
  EXPECT_EQ(DigitCount(10), 2);
  EXPECT_EQ(DigitCount(999999999999ull), 12);
  EXPECT_EQ(DigitCount(1000000000000ull), 13);
  EXPECT_EQ(DigitCount(std::numeric_limits<std::uint64_t>::max()), 20);
  char pair[2];
  EXPECT_EQ(PutTwoDigits(pair, 7), pair + 2);
  EXPECT_EQ(std::string(pair, 2), "07");
  PutTwoDigits(pair, 255);  // the right two digits
  EXPECT_EQ(std::string(pair, 2), "55");
  EXPECT_EQ(PutHexDigits(pair, 0x0A), pair + 2);
  EXPECT_EQ(std::string(pair, 2), "0A");
  PutHexDigits(pair, 0xF1);
  EXPECT_EQ(std::string(pair, 2), "F1");
}

TEST(Digits, FourBytesAtOnceMatchTheHexTable) {
  if (!kLittleEndian) GTEST_SKIP() << "the word form is used on little-endian machines only";
  for (unsigned value = 0; value < 256; ++value) {
    for (int position = 0; position < 4; ++position) {
      std::uint8_t bytes[4] = {0x12, 0x9F, 0xA0, 0x5B};
      bytes[position] = static_cast<std::uint8_t>(value);
      std::uint32_t four;
      std::memcpy(&four, bytes, 4);
      const std::uint64_t word = HexDigitsOfFour(four);
      char got[8];
      std::memcpy(got, &word, 8);
      char expected[8];
      for (int i = 0; i < 4; ++i) PutHexDigits(expected + 2 * i, bytes[i]);
      ASSERT_EQ(std::string(got, 8), std::string(expected, 8)) << value << " at " << position;
    }
  }
}

}  // namespace
TEST(Digits, HexTextIsUpperCaseTwoDigitsPerByte) {
  const std::uint8_t bytes[] = {0x00, 0xAB, 0x05, 0x3A};
  EXPECT_EQ(HexText(bytes, 1), "00");
  EXPECT_EQ(HexText(bytes + 1, 1), "AB");
  EXPECT_EQ(HexText(bytes + 2, 2), "053A");
  EXPECT_EQ(HexText(bytes, 0), "");
}

}  // namespace platform
