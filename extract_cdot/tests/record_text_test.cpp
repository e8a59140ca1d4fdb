#include "kelvan/record_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cdrgen/bytes.h"
#include "cdrgen/cdot_builder.h"

namespace kelvan {
namespace {

using formats::cdot::BytesBeforeFf;

// The digit rule spelt out plainly: each byte as hexadecimal without a
// leading zero, up to the first FF, then A -> 0 and F dropped.
std::string ReferenceDigits(const std::uint8_t* bytes, std::size_t count) {
  std::string hex;
  for (std::size_t i = 0; i < count && bytes[i] != 0xFF; ++i) {
    char text[4];
    std::snprintf(text, sizeof text, "%X", bytes[i]);
    hex += text;
  }
  std::string out;
  for (char c : hex) {
    if (c == 'F') continue;
    out.push_back(c == 'A' ? '0' : c);
  }
  return out;
}

// Runs a writer on a buffer of '#' and returns its text; every byte it
// stored past the end must be a space, so fixed-width columns stay blank.
template <typename Writer>
std::string Written(Writer write) {
  char buffer[64];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  const char* end = write(buffer);
  for (const char* p = end; p < buffer + kMaxDigits + kWriteSlack; ++p) {
    EXPECT_TRUE(*p == '#' || *p == ' ') << "stored '" << *p << "' past the end";
  }
  return std::string(static_cast<const char*>(buffer), end);
}

// Ten bytes of a number field, mostly as exchanges write them (BCD digits,
// 0 as A, an odd count ended by F, FF after), some with any byte at all.
std::vector<std::uint8_t> RandomField(cdrgen::Random& random) {
  std::vector<std::uint8_t> field(16, 0xFF);
  const auto kind = random.Between(0, 3);
  if (kind == 0) {
    for (auto& b : field) b = static_cast<std::uint8_t>(random.Between(0, 255));
    return field;
  }
  const std::string digits = random.DigitString(random.Between(0, 20));
  const cdrgen::Bytes coded = cdrgen::CdotDigits(digits);
  std::copy(coded.begin(), coded.end(), field.begin());
  if (kind == 2) {  // one byte spoilt: a high nibble 0, B-E, F, or FF early
    static const std::uint8_t kOdd[] = {0x05, 0x00, 0xB1, 0x1E, 0xF3, 0x3F, 0xFF, 0xAF, 0x0F};
    field[random.Between(0, 9)] = kOdd[random.Between(0, std::size(kOdd) - 1)];
  }
  return field;
}

TEST(PutNumberField, SameAsTheDigitRuleForAnyBytes) {
  cdrgen::Random random(7);
  for (int i = 0; i < 200000; ++i) {
    const std::vector<std::uint8_t> field = RandomField(random);
    const std::string expected = ReferenceDigits(field.data(), 10);
    ASSERT_EQ(Written([&](char* out) { return PutNumberField(out, field.data()); }), expected)
        << "case " << i;
    ASSERT_EQ(Written([&](char* out) { return PutDigits(out, field.data(), 10); }), expected);
  }
}

TEST(PutNumberField, EveryByteAtEveryPlace) {
  for (int place = 0; place < 10; ++place) {
    for (int b = 0; b < 256; ++b) {
      std::uint8_t field[16];
      std::fill(std::begin(field), std::end(field), 0x12);  // "12" each
      field[place] = static_cast<std::uint8_t>(b);
      if (place < 9) field[place + 1] = 0xFF;  // the digits end just after
      ASSERT_EQ(Written([&](char* out) { return PutNumberField(out, field); }),
                ReferenceDigits(field, 10))
          << "byte " << b << " at " << place;
    }
  }
}

TEST(BytesBeforeFf, FirstFfWhereverItIs) {
  for (std::size_t at = 0; at <= 10; ++at) {
    std::uint8_t field[10];
    std::fill(std::begin(field), std::end(field), 0xFE);
    if (at < 10) field[at] = 0xFF;
    if (at + 1 < 10) field[at + 1] = 0xFF;
    EXPECT_EQ(BytesBeforeFf(field), at);
  }
}

TEST(PutTime, TwoDigitsAtLeastThreeAbove99) {
  for (int b = 0; b < 256; ++b) {
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(255 - b),
                                   static_cast<std::uint8_t>(b / 3)};
    char expected[16];
    std::snprintf(expected, sizeof expected, "%02d:%02d:%02d", b, 255 - b, b / 3);
    ASSERT_EQ(Written([&](char* out) { return PutTime(out, bytes); }), expected);
  }
}

}  // namespace
}  // namespace kelvan
