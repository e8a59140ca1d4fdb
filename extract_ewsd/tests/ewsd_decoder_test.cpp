#include "vantor/ewsd_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "cdrgen/ewsd_builder.h"
#include "fake_host.h"
#include "temp_folder.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using testing::FakeHost;
using testing::Join;
using testing::TempFolder;

class VantorDecoderTest : public ::testing::Test {
 protected:
  // Starts a pass over `bytes` written to a file.
  void Begin(const Bytes& bytes, PassKind kind = PassKind::kSingle) {
    path_ = folder_.Write("data.bin", bytes);
    ASSERT_TRUE(decoder_.BeginFile(path_, kind, nullptr));
  }
  // Finds and decodes the first record of `bytes`.
  void DecodeFirst(const Bytes& bytes) {
    Begin(bytes);
    decoder_.FindNextRecord();
    ASSERT_TRUE(decoder_.Go());
    decoder_.ReadRecordHeader();
    decoder_.DecodePackages();
  }
  std::string Slot(int i) const { return decoder_.Slot()[static_cast<std::size_t>(i)].Text(); }

  TempFolder folder_;
  FakeHost host_;
  EwsdDecoder decoder_{host_};
  std::string path_;
};

TEST_F(VantorDecoderTest, FillerOnlyFileEndsWithoutRecordOrMessage) {
  Begin(Join({cdrgen::EwsdEmptyUnit(), cdrgen::EwsdFillerByte(), cdrgen::EwsdUnit32(1),
              cdrgen::EwsdUnit32(2), cdrgen::EwsdUnit32(3), cdrgen::EwsdUnit64(122),
              cdrgen::EwsdUnit64(123), cdrgen::EwsdUnit64(124), cdrgen::EwsdBlock(40)}));
  decoder_.FindNextRecord();
  EXPECT_FALSE(decoder_.Go());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kNone);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(VantorDecoderTest, BlockLengthCountsFromItsLeadByte) {
  const Bytes record = EwsdRecord().DateTime(6, 1, 2, 3, 4, 5, 0).Build();
  Bytes file(10, 0x80);
  cdrgen::Append(file, cdrgen::EwsdBlock(300));
  cdrgen::Append(file, record);
  Begin(file);
  decoder_.FindNextRecord();
  ASSERT_TRUE(decoder_.Go());
  EXPECT_EQ(decoder_.FileOffset(), 310 + static_cast<std::int64_t>(record.size()));
  EXPECT_EQ(decoder_.RecordLength(), static_cast<int>(record.size()));
  EXPECT_TRUE(decoder_.RecordReachedEnd());
}

TEST_F(VantorDecoderTest, OwnerNumberDigitStrings) {
  // Count byte 0x2B: bits 5-7 ignored, 11 digits in 6 bytes, packages at 14.
  Begin(EwsdRecord().OwnerRaw(0x2B, cdrgen::PackBcd("12345678901")).Units(7).Build());
  decoder_.FindNextRecord();
  decoder_.ReadRecordHeader();
  EXPECT_EQ(Slot(3), "12345678901");
  EXPECT_EQ(decoder_.PackageOffset(), 14);

  DecodeFirst(EwsdRecord().OwnerRaw(0x25, Bytes{0x12, 0x34, 0x5F}).Build());
  EXPECT_EQ(Slot(3), "12345");

  // A filler nibble inside the digits shows as its hexadecimal letter.
  DecodeFirst(EwsdRecord().OwnerRaw(0x04, Bytes{0x1A, 0xF2}).Build());
  EXPECT_EQ(Slot(3), "1AF2");
}

TEST_F(VantorDecoderTest, NoOwnerFlagLeavesCallingSlotAndStartsAtEight) {
  decoder_.Slot()[3] = "kept";
  Begin(EwsdRecord().Units(5).Build());
  decoder_.FindNextRecord();
  decoder_.ReadRecordHeader();
  EXPECT_EQ(decoder_.PackageOffset(), 8);
  EXPECT_EQ(Slot(3), "kept");
  decoder_.DecodePackages();
  EXPECT_EQ(Slot(6), "5");
}

TEST_F(VantorDecoderTest, DateTimeAndDurationPackage) {
  DecodeFirst(EwsdRecord().DateTime(0x06, 0x0B, 0x1E, 0x17, 0x3B, 0x09, 0x000E10).Build());
  EXPECT_EQ(Slot(1), "2006-11-30");
  EXPECT_EQ(Slot(2), "23:59:09");
  EXPECT_EQ(Slot(5), "3600");
  // The right two digits of a value over 99.
  DecodeFirst(EwsdRecord().DateTime(112, 1, 2, 3, 4, 5, 0).Build());
  EXPECT_EQ(Slot(1), "2012-01-02");
  EXPECT_EQ(Slot(2), "03:04:05");
}

TEST_F(VantorDecoderTest, NumberPackages) {
  DecodeFirst(EwsdRecord()
                  .Called("98765")
                  .ServiceIndicator(9)
                  .Units(0x012345)
                  .ConnectionId(0xDEADBEEF)
                  .CallingCategory(10)
                  .Zone(513)
                  .TrafficCause(258)
                  .Chb(772)
                  .BGroup(0x010203)
                  .Package116()
                  .Build());
  EXPECT_EQ(Slot(4), "98765");
  EXPECT_EQ(Slot(16), "9");
  EXPECT_EQ(Slot(6), "74565");
  EXPECT_EQ(Slot(11), "3735928559");
  EXPECT_EQ(Slot(14), "10");
  EXPECT_EQ(Slot(12), "513");
  EXPECT_EQ(Slot(15), "258");
  EXPECT_EQ(Slot(13), "772");
  EXPECT_EQ(Slot(17), "66051");
  EXPECT_EQ(decoder_.PackageOffset(), decoder_.RecordLength());
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(VantorDecoderTest, TrunkPackages) {
  DecodeFirst(EwsdRecord().IncomingTrunk("ICG 1", 12).OutgoingTrunk("OGRP02", 513).Build());
  EXPECT_EQ(Slot(8), "ICG 1 ");
  EXPECT_EQ(Slot(10), "12");
  EXPECT_EQ(Slot(7), "OGRP02");
  EXPECT_EQ(Slot(9), "513");

  DecodeFirst(EwsdRecord().IncomingTrunkPort("TGRP01", 300, 7).Build());
  EXPECT_EQ(Slot(8), "TGRP01");
  EXPECT_EQ(Slot(10), "300-7");
  DecodeFirst(EwsdRecord().OutgoingTrunkPort("TGRP01", 300, 7).Build());
  EXPECT_EQ(Slot(7), "TGRP01");
  EXPECT_EQ(Slot(9), "300-7");
}

TEST_F(VantorDecoderTest, CallingBytesReplaceOwnerNumber) {
  DecodeFirst(EwsdRecord().Owner("111").CallingBytes(142, Bytes{0x05, 0x12, 0xAB}).Build());
  EXPECT_EQ(Slot(3), "0512AB");
  DecodeFirst(EwsdRecord().Owner("111").CallingBytes(170, Bytes{0x99}).Build());
  EXPECT_EQ(Slot(3), "99");
  // Length below 6: nothing to show, and the owner number is gone all the same.
  DecodeFirst(EwsdRecord().Owner("111").Raw(Bytes{142, 5, 0, 0, 0}).Units(4).Build());
  EXPECT_EQ(Slot(3), "");
  EXPECT_EQ(Slot(6), "4");
}

TEST_F(VantorDecoderTest, ThirdPartyDigitsHaveNoLeadingZeroAndAreNotCut) {
  DecodeFirst(EwsdRecord().ThirdParty(4, Bytes{0x05, 0x67}).Units(1).Build());
  EXPECT_EQ(Slot(19), "567");
  EXPECT_EQ(Slot(6), "1");
  DecodeFirst(EwsdRecord().ThirdParty(3, Bytes{0x45, 0x60}).Build());
  EXPECT_EQ(Slot(19), "4560");
}

TEST_F(VantorDecoderTest, LongestCallingAndThirdPartyTextsAreWhole) {
  // A calling package filling the record up to its 255 bytes, ending on its last byte.
  Bytes calling;
  std::string calling_text;
  for (int i = 0; i < 242; ++i) {
    calling.push_back(static_cast<std::uint8_t>(i * 37 + 5));
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", calling.back());
    calling_text += pair;
  }
  const Bytes record = EwsdRecord().CallingBytes(142, calling).Build();
  ASSERT_EQ(record.size(), 255u);
  DecodeFirst(record);
  EXPECT_EQ(Slot(3), calling_text);
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kNone);

  Bytes third(128, 0x0F);
  third.back() = 0x12;
  DecodeFirst(EwsdRecord().ThirdParty(255, third).Build());
  EXPECT_EQ(Slot(19), std::string(127, 'F') + "12");
}

TEST_F(VantorDecoderTest, AlternativeCalledNumberOnlyFillsAnEmptySlot) {
  DecodeFirst(EwsdRecord().CalledAlternative("555").Units(1).Build());
  EXPECT_EQ(Slot(4), "555");
  EXPECT_EQ(Slot(6), "1");
  DecodeFirst(EwsdRecord().Called("123").CalledAlternative("555").Units(2).Build());
  EXPECT_EQ(Slot(4), "123");
  EXPECT_EQ(Slot(6), "2");
}

TEST_F(VantorDecoderTest, SelfSizedPackagesSkipByTheirOwnValue) {
  for (int value : {112, 119, 134, 140, 141}) {
    const auto id = static_cast<std::uint8_t>(value);
    DecodeFirst(EwsdRecord().SelfSized(id).Units(id).Build());
    EXPECT_EQ(Slot(6), std::to_string(id)) << static_cast<int>(id);
  }
  // 113 at offset 20 of a 60-byte record jumps to 133 and ends the record.
  Bytes bytes = EwsdRecord().Units(1).Units(2).Units(3).Build();  // 8 + 12 = 20 bytes
  ASSERT_EQ(bytes.size(), 20u);
  bytes.push_back(113);
  bytes.resize(60, 0x00);
  bytes[1] = 60;
  DecodeFirst(bytes);
  EXPECT_EQ(decoder_.PackageOffset(), 133);
  EXPECT_EQ(Slot(6), "3");
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(VantorDecoderTest, UnwantedSlotsAreSkippedButStillChecked) {
  decoder_.SetWantedSlots(1u << 4 | 1u << 6);
  DecodeFirst(EwsdRecord()
                  .Owner("111")
                  .DateTime(6, 1, 2, 3, 4, 5, 60)
                  .Called("222")
                  .Units(7)
                  .OutgoingTrunkPort("OGRP02", 513, 9)
                  .ConnectionId(5)
                  .CalledAlternative("333")
                  .Build());
  EXPECT_EQ(Slot(4), "222");
  EXPECT_EQ(Slot(6), "7");
  EXPECT_EQ(Slot(2), "03:04:05");  // the time is always there: it decides the writing
  for (int slot : {3, 5, 7, 9, 11}) EXPECT_EQ(Slot(slot), "") << slot;
  EXPECT_EQ(decoder_.PackageOffset(), decoder_.RecordLength());
  // A package of an unwanted slot that reaches past the record is still invalid.
  DecodeFirst(EwsdRecord().Raw(Bytes{110, 0, 1}).Build());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);
}

TEST_F(VantorDecoderTest, UnsupportedPackageStopsWithItsNumber) {
  DecodeFirst(EwsdRecord().Units(1).Raw(Bytes{115, 0, 0, 0}).Build());
  EXPECT_FALSE(decoder_.Go());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kUnsupportedPackage);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "Pack Message 115 Received. This Feature is not Enabled at Present. Cann't Proceed.");
  EXPECT_EQ(host_.messages[0].title, "Contact The Programmer");
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kError);
  EXPECT_EQ(Slot(6), "1");  // decoded before the failure, kept
}

TEST_F(VantorDecoderTest, InvalidIdentifierInSingleFile) {
  for (int value : {50, 0, 99, 201, 255}) {
    const auto id = static_cast<std::uint8_t>(value);
    host_.messages.clear();
    DecodeFirst(EwsdRecord().Raw(Bytes{id, 0, 0, 0}).Build());
    EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, "Invalid DataFile. Cann't Proceed");
    EXPECT_EQ(host_.messages[0].title, "Check Data File");
    EXPECT_EQ(host_.messages[0].buttons, MessageButtons::kOk);
  }
}

TEST_F(VantorDecoderTest, InvalidIdentifierAmongSeveralFilesAsks) {
  Begin(EwsdRecord().Raw(Bytes{50, 0}).Build(), PassKind::kSeveralFiles);
  host_.answers = {MessageAnswer::kNo};
  decoder_.FindNextRecord();
  decoder_.ReadRecordHeader();
  decoder_.DecodePackages();
  EXPECT_FALSE(decoder_.Go());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(
      host_.messages[0].text,
      path_ + " is not a valid Data File.  Do You want to continue with other selected Files");
  EXPECT_EQ(host_.messages[0].title, "Check Data File");
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(host_.messages[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(decoder_.Answer(), MessageAnswer::kNo);
}

TEST_F(VantorDecoderTest, RecordCutByEndOfFileReadsZerosAndIsInvalid) {
  Bytes bytes = EwsdRecord().Units(9).Build();
  bytes[1] = static_cast<std::uint8_t>(bytes.size() + 6);  // six bytes missing
  DecodeFirst(bytes);
  EXPECT_EQ(Slot(6), "9");
  EXPECT_TRUE(decoder_.RecordReachedEnd());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);
}

TEST_F(VantorDecoderTest, ZeroLengthsDoNotStallTheWalk) {
  Begin(EwsdRecord().Units(1).Build(0));
  decoder_.FindNextRecord();
  EXPECT_FALSE(decoder_.Go());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);

  Begin(Join({cdrgen::EwsdFillerByte(), Bytes{0x81, 0x00, 0x00, 0x84}}));
  decoder_.FindNextRecord();
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);

  DecodeFirst(EwsdRecord().Raw(Bytes{170, 0, 0, 0, 0, 0}).Build());
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);
  EXPECT_EQ(host_.messages.size(), 3u);
}

TEST_F(VantorDecoderTest, PackagesReachingPastTheRecordAreInvalid) {
  // Each package's bytes go past the record (plus the one byte that follows).
  const Bytes cut[] = {Bytes{100, 6, 1},
                       Bytes{101, 0x0A, 0x12},
                       Bytes{103, 1},
                       Bytes{107, 'A', 'B'},
                       Bytes{110, 0, 1},
                       Bytes{142, 30, 0, 0},
                       Bytes{146, 0, 0, 0, 0, 0, 40},
                       Bytes{168, 0, 0, 0, 9}};
  for (const Bytes& package : cut) {
    host_.messages.clear();
    DecodeFirst(EwsdRecord().Raw(package).Build());
    EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile) << int{package[0]};
    EXPECT_EQ(host_.messages.size(), 1u);
  }
  // So is a record too short to hold its flag byte.
  Begin(Bytes{0x84, 0x02, 0x00});
  decoder_.FindNextRecord();
  decoder_.ReadRecordHeader();
  EXPECT_EQ(decoder_.Condition(), DecoderCondition::kInvalidFile);
}

TEST_F(VantorDecoderTest, SampleFileDecodesWithoutComplaint) {
  std::size_t records = 0;
  Begin(cdrgen::EwsdSampleFile(20000, 3, &records));
  std::size_t found = 0;
  for (;;) {
    decoder_.FindNextRecord();
    if (!decoder_.Go()) break;
    ++found;
    decoder_.ReadRecordHeader();
    decoder_.DecodePackages();
    ASSERT_TRUE(decoder_.Go());
    if (decoder_.RecordReachedEnd()) break;
  }
  EXPECT_EQ(found, records);
  EXPECT_TRUE(host_.messages.empty());
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// Damaged files of every kind end the walk without reading outside the record
// (run under the sanitizers) and without looping for ever.
TEST(VantorDecoderRobustnessTest, DamagedFilesEndCleanly) {
  TempFolder folder;
  for (std::uint64_t seed = 1; seed <= 60; ++seed) {
    Bytes file = cdrgen::EwsdSampleFile(3000, seed);
    cdrgen::Random random(seed);
    for (int i = 0; i < 12; ++i)
      file[random.Between(0, file.size() - 1)] = static_cast<std::uint8_t>(random.Next());
    if (seed % 3 == 0) file.resize(random.Between(1, file.size()));
    const std::string path = folder.Write("damaged.bin", file);
    FakeHost host;
    EwsdDecoder decoder(host);
    ASSERT_TRUE(decoder.BeginFile(path, PassKind::kSeveralFiles, nullptr));
    std::int64_t last_offset = -1;
    for (;;) {
      decoder.FindNextRecord();
      if (!decoder.Go()) break;
      ASSERT_GT(decoder.FileOffset(), last_offset) << seed;
      last_offset = decoder.FileOffset();
      decoder.ReadRecordHeader();
      decoder.DecodePackages();
      if (!decoder.Go() || decoder.RecordReachedEnd()) break;
    }
    EXPECT_LE(host.messages.size(), 1u) << seed;
  }
}

}  // namespace
}  // namespace vantor
