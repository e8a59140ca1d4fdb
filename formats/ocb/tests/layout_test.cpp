#include "formats/ocb/layout.h"

#include <gtest/gtest.h>

#include "formats/ocb/dates.h"
#include "formats/ocb/digits.h"
#include "platform/digits.h"

namespace formats::ocb {
namespace {

TEST(OcbLayout, OffsetsOfBothLayouts) {
  EXPECT_EQ(HeaderOffset(Layout::kPlain, 0), 0u);
  EXPECT_EQ(RecordOffset(Layout::kPlain, 1, 0), 2048u + 32u);
  EXPECT_EQ(RecordOffset(Layout::kPlain, 0, 47), 32u + 47u * 42u);
  EXPECT_EQ(HeaderOffset(Layout::kPrefixed, 0), 928u);
  EXPECT_EQ(RecordOffset(Layout::kPrefixed, 1, 0), 3012u);
  // 64-bit offsets: far blocks of huge files do not wrap.
  EXPECT_EQ(HeaderOffset(Layout::kPlain, 3000000), 3000000ull * 2048ull);
}

TEST(OcbLayout, HexByteAndBcdValues) {
  const std::uint8_t bytes[] = {0xC6, 0xC4, 0x00, 0x67, 0x0A};
  EXPECT_EQ(platform::HexText(bytes, 2), "C6C4");
  EXPECT_EQ(platform::HexText(bytes + 4, 1), "0A");
  const std::uint8_t record[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(ByteValue(record, 0, 1), 1u);
  EXPECT_EQ(ByteValue(record, 0, 2), 258u);
  EXPECT_EQ(ByteValue(record, 0, 3), 66051u);
  EXPECT_EQ(BcdValue(bytes + 2, 2), 67u);  // 0067 -> 67
  // A damaged nibble keeps its value in its place and never fails.
  const std::uint8_t damaged[] = {0x1A};
  EXPECT_EQ(BcdValue(damaged, 1), 20u);
}

TEST(OcbLayout, DropFillersRemovesOnlyUpperCaseF) {
  EXPECT_EQ(DropFillers("2456789FFF"), "2456789");
  EXPECT_EQ(DropFillers("FFFFFFFFFFFFFFFFFF"), "");
  EXPECT_EQ(DropFillers("12AB3F4"), "12AB34");
}

TEST(OcbLayout, CallDateWithinTheHeaderYear) {
  const std::uint8_t time[] = {0x10, 0x15, 0x30};
  const CallMoment moment = CallDate(67, time, 5, 100);
  EXPECT_EQ(moment.date, "2005-03-08");
  EXPECT_EQ(moment.time, "10:15:30");
}

TEST(OcbLayout, CallDateAcrossTheYearEndAndLeapYears) {
  const std::uint8_t time[] = {0x23, 0x59, 0x59};
  EXPECT_EQ(CallDate(365, time, 6, 2).date, "2005-12-31");
  EXPECT_EQ(CallDate(60, time, 4, 100).date, "2004-02-29");
  EXPECT_EQ(CallDate(60, time, 5, 100).date, "2005-03-01");
  EXPECT_EQ(CallDate(366, time, 5, 10).date, "2004-12-31");  // 2004 was a leap year
  EXPECT_EQ(CallDate(1, time, 5, 1).date, "2005-01-01");     // same day: same year
}

TEST(OcbLayout, CallDateOfDamagedValuesStaysReadable) {
  const std::uint8_t time[] = {0x1A, 0xFF, 0x00};
  // Header year 00 with a later record day lies in 1999, not year "-1".
  EXPECT_EQ(CallDate(200, time, 0, 10).date, "1999-07-19");
  // A day beyond December stays in December.
  EXPECT_EQ(CallDate(400, time, 5, 500).date, "2005-12-66");
  EXPECT_EQ(CallDate(0, time, 5, 10).date, "2005-01-00");
  // Time digits are copied as they stand.
  EXPECT_EQ(CallDate(1, time, 5, 10).time, "1A:FF:00");
}

}  // namespace
}  // namespace formats::ocb

namespace formats::ocb {
namespace {

// The same damaged bytes, read as each program reads them.
TEST(OcbLayout, EachReadingKeepsItsOwnDamagedValues) {
  const std::uint8_t day[] = {0x1A, 0x23};
  EXPECT_EQ(BcdNumber(day, 2, kExtractorReading.damaged_digits), 2023);
  EXPECT_EQ(BcdNumber(day, 2, kAnalyserReading.damaged_digits), 1);
  const std::uint8_t huge[] = {0x7E, 0x95};
  EXPECT_EQ(BcdNumber(huge, 2, kAnalyserReading.damaged_digits), kLargestNumber);
  const std::uint8_t clean[] = {0x03, 0x65};
  EXPECT_EQ(BcdNumber(clean, 2, kAnalyserReading.damaged_digits), 365);

  char text[kMaxDateText];
  EXPECT_EQ(std::string(text, PutDate(text, 5, 9999, kExtractorReading.long_day)), "2005-12-9665");
  EXPECT_EQ(std::string(text, PutDate(text, 5, 9999, kAnalyserReading.long_day)), "2005-12-65");
  EXPECT_EQ(std::string(text, PutDate(text, -1, 59, kAnalyserReading.long_day)), "1999-02-28");
}

}  // namespace
}  // namespace formats::ocb
