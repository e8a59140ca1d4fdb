#include "cdot_fields.h"

#include <gtest/gtest.h>

#include "cdrgen/cdot_builder.h"

namespace kelvan {
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

CdotFields Decode(const cdrgen::CdotRecord& record) {
  const auto bytes = cdrgen::CdotRecordBytes(record);
  EXPECT_EQ(bytes.size(), kRecordSize);
  CdotFields fields;
  fields.date = "unchanged";
  DecodeCalled(bytes.data(), fields);
  DecodeRest(bytes.data(), fields);
  return fields;
}

std::string Text(const CdotFields& fields, int field) {
  std::string text;
  FieldText(fields, field, text);
  return text;
}

TEST(DecodeRecord, EveryFieldAtItsOffset) {
  cdrgen::CdotRecord r;
  r.called = "22334455";
  r.calling = "612345";
  r.duration_ms = 42000;
  r.hour = 21;
  r.minute = 10;
  r.second = 0;
  r.incoming_group = 12;
  r.outgoing_group = 345;
  r.units = 7;
  r.units_copy = 9;
  const CdotFields f = Decode(r);
  EXPECT_EQ(Text(f, 4), "22334455");
  EXPECT_EQ(Text(f, 3), "612345");
  EXPECT_EQ(Text(f, 5), "42");
  EXPECT_EQ(Text(f, 2), "21:10:00");
  EXPECT_EQ(Text(f, 8), "12");
  EXPECT_EQ(Text(f, 7), "345");
  EXPECT_EQ(Text(f, 6), "7");
  EXPECT_EQ(Text(f, 9), "9");
  EXPECT_FALSE(IsSectionEnd(f));
}

TEST(DecodeRecord, ZeroUnitsTakeTheCopyAndEmptyGroupsAreEmptyText) {
  cdrgen::CdotRecord r;
  r.units = 0;
  r.units_copy = 12;
  r.incoming_ff = true;
  r.outgoing_group = 0;
  CdotFields f = Decode(r);
  EXPECT_EQ(Text(f, 6), "12");
  EXPECT_EQ(Text(f, 7), "");
  EXPECT_EQ(Text(f, 8), "");

  r.units_ff = true;  // FF is "no value", so the copy stands in too
  r.units_copy = 5;
  r.duration_ff = true;
  f = Decode(r);
  EXPECT_EQ(Text(f, 6), "5");
  EXPECT_EQ(Text(f, 5), "0");
}

TEST(DecodeRecord, ValuesOf2To31AndMoreAreUnsigned) {
  cdrgen::CdotRecord r;
  r.units = 0xFEFFFFFF;
  r.duration_ms = 0x80000000;
  const CdotFields f = Decode(r);
  EXPECT_EQ(Text(f, 6), "4278190079");
  EXPECT_EQ(Text(f, 5), "2147484");  // 2147483648 ms, rounded
}

TEST(DecodeRecord, NoValueSurvivesFromThePreviousRecord) {
  cdrgen::CdotRecord first;
  first.calling = "987654321";
  cdrgen::CdotRecord second;
  second.calling = "";
  second.incoming_group = 0;
  const auto a = cdrgen::CdotRecordBytes(first), b = cdrgen::CdotRecordBytes(second);
  CdotFields f;
  DecodeCalled(a.data(), f);
  DecodeRest(a.data(), f);
  DecodeCalled(b.data(), f);
  DecodeRest(b.data(), f);
  EXPECT_EQ(Text(f, 3), "");
  EXPECT_EQ(Text(f, 8), "");
}

TEST(DecodeRecord, HeaderTextAtARecordPositionIsASectionEnd) {
  const auto header = cdrgen::CdotSectionHeader("080305");
  CdotFields f;
  DecodeCalled(header.data(), f);
  EXPECT_TRUE(IsSectionEnd(f));
  cdrgen::CdotRecord r;
  r.called = "3037303";  // one digit short of the marker
  EXPECT_FALSE(IsSectionEnd(Decode(r)));
}

}  // namespace
}  // namespace kelvan
