#include "axe_decoder.h"

#include <gtest/gtest.h>

#include "cdrgen/axe_builder.h"

namespace {

using namespace pardel;
namespace fs = std::filesystem;

fs::path Write(const std::string& name, const cdrgen::Bytes& bytes) {
  const auto path = fs::temp_directory_path() / ("pardel_decoder_" + name);
  cdrgen::WriteFile(path, bytes);
  return path;
}

AxeBlock BlockOf(const std::string& text) {
  AxeBlock block;
  std::copy(text.begin(), text.end(), block.bytes.begin());
  block.valid = kBlockSize;
  return block;
}

std::string Line(std::string_view record, LayoutState& layout) {
  std::string line;
  FormatRecord(record, layout, line);
  return line;
}

TEST(AxeDecoder, TwoRecordsThenTheEndOfTheBlock) {
  const std::string text = "095" + std::string(92, 'x') + "088" + std::string(85, 'y') + "000zzz";
  const AxeBlock block = BlockOf(text);
  const AxeRecord first = NextRecord(block, 0);
  ASSERT_EQ(first.length, 95u);
  EXPECT_EQ(first.text.size(), 95u);
  const AxeRecord second = NextRecord(block, 95);
  ASSERT_EQ(second.length, 88u);
  EXPECT_EQ(second.text.back(), 'y');
  EXPECT_EQ(NextRecord(block, 183).length, 0u);
}

TEST(AxeDecoder, LengthsThatAreNoWholePositiveNumberEndTheBlock) {
  for (const char* head : {"   ", "\0\0\0", "-12", "9.5", "abc"}) {
    const AxeBlock block = BlockOf(std::string(head, 3) + std::string(200, '1'));
    EXPECT_EQ(NextRecord(block, 0).length, 0u) << head;
  }
  // Blanks inside the length are skipped, as in every number of the file.
  EXPECT_EQ(NextRecord(BlockOf(" 95" + std::string(200, ' ')), 0).length, 95u);
}

TEST(AxeDecoder, RecordIsCutAtTheBlockEndAndNoneStartsAtItsLastByte) {
  std::string text(kBlockSize, ' ');
  text.replace(2000, 3, "120");
  text.replace(2047, 1, "9");
  const AxeBlock block = BlockOf(text);
  const AxeRecord cut = NextRecord(block, 2000);
  EXPECT_EQ(cut.length, 120u);
  EXPECT_EQ(cut.text.size(), 48u);
  EXPECT_EQ(NextRecord(block, 2047).length, 0u);
  // Bytes past the end of the file are filler, never record text.
  AxeBlock short_block = BlockOf(std::string("095") + std::string(92, 'x'));
  short_block.valid = 50;
  EXPECT_EQ(NextRecord(short_block, 0).text.size(), 50u);
  EXPECT_EQ(NextRecord(short_block, 50).length, 0u);
}

TEST(AxeDecoder, FormatsTheExampleRecord) {
  cdrgen::AxeRecord r;  // 06/11/30 23:59:09, 2456, 9876F, 000125, 000003, ROUT01, ROUT02
  LayoutState layout;
  EXPECT_EQ(Line(cdrgen::AxeRecordText(r), layout), "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUT02");
  EXPECT_FALSE(layout.shifted);
  EXPECT_TRUE(layout.line_written);
}

TEST(AxeDecoder, OnlyOneTrailingFIsRemovedFromTheBNumber) {
  cdrgen::AxeRecord r;
  r.b_number = "12345FF";
  LayoutState layout;
  EXPECT_NE(Line(cdrgen::AxeRecordText(r), layout).find(",12345F,"), std::string::npos);
  r.b_number = "1 2345F";  // blanks inside go too
  EXPECT_NE(Line(cdrgen::AxeRecordText(r), layout).find(",12345,"), std::string::npos);
}

TEST(AxeDecoder, FiftyCharacterRecordHasEmptyFieldsAndZeroCounters) {
  cdrgen::AxeRecord r;
  r.length = 50;
  r.a_number = "111";
  r.b_number = "222";
  LayoutState layout;
  EXPECT_EQ(Line(cdrgen::AxeRecordText(r), layout), "20//,::,111,222,0,0,,");
}

TEST(AxeDecoder, FirstRecordOfTheRunChoosesTheShiftedLayoutForGood) {
  cdrgen::AxeRecord shifted;
  shifted.shifted = true;
  shifted.a_number = "123456789012345";
  shifted.b_number = "777";
  LayoutState layout;
  EXPECT_EQ(Line(cdrgen::AxeRecordText(shifted), layout),
            "2006/11/30,23:59:09,123456789012345,777,125,3,ROUT01,ROUT02");
  EXPECT_TRUE(layout.shifted);
  // A normal record afterwards is still read one position earlier.
  cdrgen::AxeRecord normal;
  const std::string line = Line(cdrgen::AxeRecordText(normal), layout);
  EXPECT_NE(line, "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUT02");

  // The same shifted record after a line was written changes nothing.
  LayoutState later;
  Line(cdrgen::AxeRecordText(normal), later);
  Line(cdrgen::AxeRecordText(shifted), later);
  EXPECT_FALSE(later.shifted);
}

TEST(AxeDecoder, ElevenBlockStartsDecideWhetherAFileIsAxe) {
  auto file_with_starts = [](std::vector<std::string> heads) {
    cdrgen::Bytes bytes;
    for (const auto& h : heads) {
      cdrgen::Bytes block(kBlockSize, 0);
      std::copy(h.begin(), h.end(), block.begin());
      cdrgen::Append(bytes, block);
    }
    return bytes;
  };
  std::vector<std::string> good = {"085", "120", "150", "080", "099", "100",
                                   "101", "102", "103", "104", "105"};
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(Write("good", file_with_starts(good))));
  EXPECT_TRUE(IsAxeFile(reader));

  auto bad = good;
  bad[1] = "079";
  ASSERT_TRUE(reader.Open(Write("bad", file_with_starts(bad))));
  EXPECT_FALSE(IsAxeFile(reader));
  bad = good;
  bad[10] = "151";
  ASSERT_TRUE(reader.Open(Write("bad_last", file_with_starts(bad))));
  EXPECT_FALSE(IsAxeFile(reader));

  // Ten good blocks and nothing where the eleventh should start.
  good.pop_back();
  ASSERT_TRUE(reader.Open(Write("short", file_with_starts(good))));
  EXPECT_FALSE(IsAxeFile(reader));
  // The eleventh start just inside the file is enough.
  auto bytes = file_with_starts(good);
  cdrgen::Append(bytes, "100");
  ASSERT_TRUE(reader.Open(Write("just", bytes)));
  EXPECT_TRUE(IsAxeFile(reader));
}

}  // namespace
