#include "ocb_decoder.h"

#include <gtest/gtest.h>

#include "cdrgen/ocb_builder.h"

namespace ostrel {
namespace {

OcbFields Decode(const cdrgen::OcbRecordSpec& spec, bool last_block, bool* call = nullptr) {
  const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(spec);
  OcbFields fields;
  const bool is_call = DecodeRecord(bytes.data(), 5, 100, last_block, fields);
  if (call) *call = is_call;
  return fields;
}

TEST(OcbDecoder, AllEighteenFields) {
  cdrgen::OcbRecordSpec spec;
  spec.function_type = 0x20;
  spec.entity_type = 7;
  spec.category = 12;
  spec.day = "067";
  spec.time = "101530";
  spec.calling = "2456789";
  spec.ic_trunk = "12";
  spec.called = "0115551234";
  spec.traffic = 9;
  spec.service = 10;
  spec.bearer = 11;
  spec.duration = 65535;
  spec.units = 0xFFFFFF;
  spec.og_trunk = "45";
  spec.accesses = 2;
  spec.reserved = 255;
  spec.operator_id = "0FA1";
  spec.service_class = 5;
  bool call = false;
  const OcbFields f = Decode(spec, false, &call);
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
    cdrgen::OcbRecordSpec spec;
    spec.function_type = type;
    spec.calling = "2456789";
    spec.ic_trunk = "12";
    const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(spec);
    EXPECT_EQ(bytes[13], 0x24);  // the caller really sits at offset 13
    OcbFields f;
    DecodeRecord(bytes.data(), 5, 100, false, f);
    EXPECT_EQ(f.Text(6), "2456789");
    EXPECT_EQ(f.Text(15), "12");
  }
  // Any other type reads the caller from offset 8: with the bytes of a 0x30
  // record but byte 0 changed, the two fields trade places.
  cdrgen::OcbRecordSpec spec;
  spec.function_type = 0x30;
  cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(spec);
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
  cdrgen::OcbRecordSpec full;
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
  cdrgen::OcbRecordSpec spec;
  spec.called = "12AB34";
  spec.day = "0A1";
  const OcbFields f = Decode(spec, false);
  EXPECT_EQ(f.Text(8), "12AB34");
  EXPECT_FALSE(f.Text(4).empty());
}

}  // namespace
}  // namespace ostrel
