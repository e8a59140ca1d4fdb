#include "text_tables.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "slot_text.h"

namespace vantor {
namespace {

std::string Decimal(std::uint64_t value) {
  char text[32];
  return std::string(text, PutDecimal(text, value));
}

// Every length and every boundary between lengths, compared with the
// standard library's text.
TEST(VantorTextTablesTest, DecimalMatchesToStringAtEveryLength) {
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
    char text[32];
    char* end = PutDecimal(text, value);
    ASSERT_EQ(std::string(text, end), std::to_string(value));
  }
}

TEST(VantorTextTablesTest, DigitCountsAndPairs) {
  EXPECT_EQ(DecimalDigitCount(0), 1);
  EXPECT_EQ(DecimalDigitCount(9), 1);
  EXPECT_EQ(DecimalDigitCount(10), 2);
  EXPECT_EQ(DecimalDigitCount(999999999999ull), 12);
  EXPECT_EQ(DecimalDigitCount(1000000000000ull), 13);
  EXPECT_EQ(DecimalDigitCount(std::numeric_limits<std::uint64_t>::max()), 20);
  char pair[2];
  PutDecimalPair(pair, 7);
  EXPECT_EQ(std::string(pair, 2), "07");
  PutDecimalPair(pair, 255);  // the right two digits
  EXPECT_EQ(std::string(pair, 2), "55");
  PutHexPair(pair, 0x0A);
  EXPECT_EQ(std::string(pair, 2), "0A");
  PutHexPair(pair, 0xF1);
  EXPECT_EQ(std::string(pair, 2), "F1");
}

TEST(VantorTextTablesTest, FourBytesAtOnceMatchTheHexTable) {
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
      for (int i = 0; i < 4; ++i) PutHexPair(expected + 2 * i, bytes[i]);
      ASSERT_EQ(std::string(got, 8), std::string(expected, 8)) << value << " at " << position;
    }
  }
}

TEST(VantorSlotTextTest, HoldsTextUpToItsCapacity) {
  SlotText slot;
  EXPECT_TRUE(slot.empty());
  slot = "ICG 1 ";
  EXPECT_EQ(slot, "ICG 1 ");
  EXPECT_EQ(slot.Text(), "ICG 1 ");
  slot.clear();
  EXPECT_EQ(slot.size(), 0u);
  // Longer text is cut, never written past the slot.
  slot = std::string(SlotText::kCapacity + 100, '7');
  EXPECT_EQ(slot.size(), SlotText::kCapacity);
  slot.SetSize(SlotText::kCapacity + 1);
  EXPECT_EQ(slot.size(), SlotText::kCapacity);
}

}  // namespace
}  // namespace vantor
