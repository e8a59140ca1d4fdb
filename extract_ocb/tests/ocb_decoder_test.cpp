#include "ostrel/ocb_decoder.h"

#include <gtest/gtest.h>

#include "cdrgen/ocb_builder.h"

namespace ostrel {
namespace {

OcbFields Decode(const cdrgen::OcbRecordValues& values, bool last_block, bool* call = nullptr) {
  const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(values);
  OcbFields fields;
  const bool is_call = DecodeRecord(bytes.data(), 5, 100, last_block, fields);
  if (call) *call = is_call;
  return fields;
}

TEST(OcbDecoder, AllEighteenFields) {
  cdrgen::OcbRecordValues values;
  values.function_type = 0x20;
  values.entity_type = 7;
  values.category = 12;
  values.day = "067";
  values.time = "101530";
  values.calling = "2456789";
  values.ic_trunk = "12";
  values.called = "0115551234";
  values.traffic = 9;
  values.service = 10;
  values.bearer = 11;
  values.duration = 65535;
  values.units = 0xFFFFFF;
  values.og_trunk = "45";
  values.accesses = 2;
  values.reserved = 255;
  values.operator_id = "0FA1";
  values.service_class = 5;
  bool call = false;
  const OcbFields f = Decode(values, false, &call);
  EXPECT_TRUE(call);
  EXPECT_EQ(f.Text(1), "32");
  EXPECT_EQ(f.Text(2), "7");
  EXPECT_EQ(f.Text(3), "12");
  EXPECT_EQ(f.Text(4), "2005-03-08");
  EXPECT_EQ(f.Text(5), "10:15:30");
  EXPECT_EQ(f.Text(6), "2456789");
  EXPECT_EQ(f.Text(7), "2");
  EXPECT_EQ(f.Text(8), "0115551234");
  EXPECT_EQ(f.Text(9), "9");
  EXPECT_EQ(f.Text(10), "10");
  EXPECT_EQ(f.Text(11), "11");
  EXPECT_EQ(f.Text(12), "65535");
  EXPECT_EQ(f.Text(13), "16777215");
  EXPECT_EQ(f.Text(14), "45");
  EXPECT_EQ(f.Text(15), "12");
  EXPECT_EQ(f.Text(16), "255");
  EXPECT_EQ(f.Text(17), "0FA1");  // F kept in the operator identification
  EXPECT_EQ(f.Text(18), "5");
}

TEST(OcbDecoder, FunctionTypes30And10SwapCallerAndTrunk) {
  for (std::uint8_t type : {std::uint8_t{0x30}, std::uint8_t{0x10}}) {
    cdrgen::OcbRecordValues values;
    values.function_type = type;
    values.calling = "2456789";
    values.ic_trunk = "12";
    const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(values);
    EXPECT_EQ(bytes[13], 0x24);  // the caller really sits at offset 13
    OcbFields f;
    DecodeRecord(bytes.data(), 5, 100, false, f);
    EXPECT_EQ(f.Text(6), "2456789");
    EXPECT_EQ(f.Text(15), "12");
  }
  // Any other type reads the caller from offset 8: with the bytes of a 0x30
  // record but byte 0 changed, the two fields trade places.
  cdrgen::OcbRecordValues values;
  values.function_type = 0x30;
  cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(values);
  bytes[0] = 0x31;
  OcbFields f;
  DecodeRecord(bytes.data(), 5, 100, false, f);
  EXPECT_EQ(f.Text(6), "12");
  EXPECT_EQ(f.Text(15), "2456789");
}

TEST(OcbDecoder, EmptyOrFullCalledNumberIsNoCallOnlyInTheLastBlock) {
  bool call = true;
  const OcbFields ff = Decode(cdrgen::OcbPaddingRecord(0xFF), true, &call);
  EXPECT_FALSE(call);
  EXPECT_EQ(ff.Text(8), "");
  Decode(cdrgen::OcbPaddingRecord(0xFF), false, &call);
  EXPECT_TRUE(call);
  Decode(cdrgen::OcbPaddingRecord(0x00), true, &call);  // 18 zero digits
  EXPECT_FALSE(call);
  cdrgen::OcbRecordValues full;
  full.called = "123456789012345678";
  Decode(full, true, &call);
  EXPECT_FALSE(call);
  full.called = "12345678901234567";
  Decode(full, true, &call);
  EXPECT_TRUE(call);
  // 0x40 padding holds the digits 4 and 0: eighteen of them, no call.
  const OcbFields pad40 = Decode(cdrgen::OcbPaddingRecord(0x40), true, &call);
  EXPECT_FALSE(call);
  EXPECT_EQ(pad40.Text(8), "404040404040404040");
}

TEST(OcbDecoder, DamagedDigitsShowAsLetters) {
  cdrgen::OcbRecordValues values;
  values.called = "12AB34";
  values.day = "0A1";
  const OcbFields f = Decode(values, false);
  EXPECT_EQ(f.Text(8), "12AB34");
  EXPECT_FALSE(f.Text(4).empty());
}

// An extraction decodes only the fields it writes: those must come out as in
// a full decode, swapped numbers and the unused-slot test included.
TEST(OcbDecoder, MaskedDecodeGivesTheWrittenFieldsUnchanged) {
  cdrgen::OcbRecordValues values;
  values.function_type = 0x30;  // calling number and I/C trunk group swapped
  values.calling = "2456789";
  values.ic_trunk = "12";
  values.called = "0115551234";
  values.duration = 300;
  const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(values);
  OcbFields full;
  ASSERT_TRUE(DecodeRecord(bytes.data(), 5, 100, true, full));
  OcbFields masked;
  ASSERT_TRUE(DecodeRecord(bytes.data(), 5, 100, true, masked, MaskOf({4, 6, 12, 15})));
  for (int field : {4, 6, 8, 12, 15}) EXPECT_EQ(masked.Text(field), full.Text(field)) << field;
  for (int field : {1, 7, 13, 14, 18}) EXPECT_EQ(masked.Text(field), "") << field;

  const cdrgen::Bytes padding = cdrgen::OcbRecordBytes(cdrgen::OcbPaddingRecord(0xFF));
  EXPECT_FALSE(DecodeRecord(padding.data(), 5, 100, true, masked, MaskOf({4})));
}

}  // namespace
}  // namespace ostrel
