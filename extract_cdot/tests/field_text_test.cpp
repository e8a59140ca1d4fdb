#include "kelvan/field_text.h"

#include <gtest/gtest.h>

#include "cdrgen/cdot_builder.h"

namespace kelvan {
namespace {

using formats::cdot::DecodeCalled;
using formats::cdot::DecodeRest;
using formats::cdot::IsSectionEnd;

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
