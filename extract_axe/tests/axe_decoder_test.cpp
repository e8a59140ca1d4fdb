#include "pardel/axe_decoder.h"

#include <gtest/gtest.h>

#include "cdrgen/axe_builder.h"
#include "platform/numbers.h"

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
  EXPECT_EQ(NextRecord(BlockOf("9 5" + std::string(200, ' ')), 0).length, 95u);
  EXPECT_EQ(NextRecord(BlockOf("1E2" + std::string(200, ' ')), 0).length, 100u);
  EXPECT_EQ(NextRecord(BlockOf("000" + std::string(200, ' ')), 0).length, 0u);
  EXPECT_EQ(NextRecord(BlockOf("999" + std::string(200, ' ')), 0).length, 999u);
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
  EXPECT_EQ(Line(cdrgen::AxeRecordText(r), layout),
            "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUT02");
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

// FormatWholeRecord's line, or "general" when it leaves the record to FormatRecord.
std::string WholeLine(std::string_view record, LayoutState& layout) {
  char room[kWholeLineRoom];
  const char* end = FormatWholeRecord(record, layout, room);
  return end == nullptr ? "general" : std::string(room, static_cast<std::size_t>(end - room));
}

TEST(AxeDecoder, FastLinesEqualTheGeneralOnesForAnyCharacters) {
  // Characters that matter to some field: blanks, digits, F, number signs,
  // control bytes.
  std::string alphabet = "    0000123456789FFF.E-+\r\nA";
  alphabet += '\0';
  cdrgen::Random random(7);
  int fast = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string record(random.Between(96, 130), ' ');
    const int blankness = static_cast<int>(random.Between(0, 3));
    for (char& c : record) {
      const auto pick = random.Between(0, alphabet.size() - 1);
      c = random.Between(0, 3) < static_cast<std::uint64_t>(blankness) ? ' ' : alphabet[pick];
    }
    if (random.Between(0, 1) == 0) {
      // Plain counters in either layout, so that most records take the fast way.
      const std::size_t at = 55 + random.Between(0, 1);
      for (std::size_t k = at; k < at + 12; ++k)
        record[k] = static_cast<char>('0' + random.Between(0, 2));
    }
    LayoutState general{random.Between(0, 1) == 1, random.Between(0, 1) == 1};
    LayoutState quick = general;
    const std::string line = WholeLine(record, quick);
    if (line == "general") {
      EXPECT_EQ(quick.shifted, general.shifted);
      EXPECT_EQ(quick.line_written, general.line_written);
      continue;
    }
    ++fast;
    const std::string expected = Line(record, general) + "\r\n";
    ASSERT_EQ(line, expected) << "record " << i << ": " << record;
    EXPECT_EQ(quick.shifted, general.shifted);
    EXPECT_TRUE(quick.line_written);
  }
  EXPECT_GT(fast, 5000);
}

TEST(AxeDecoder, RecordsTooShortOrWithUnusualCountersTakeTheGeneralWay) {
  cdrgen::AxeRecord r;
  LayoutState layout;
  EXPECT_EQ(WholeLine(cdrgen::AxeRecordText(r), layout),
            "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUT02\r\n");
  r.code2 = "ROUTE22";
  r.length = 97;  // the last route code is cut
  EXPECT_EQ(WholeLine(cdrgen::AxeRecordText(r), layout), "general");
  EXPECT_EQ(Line(cdrgen::AxeRecordText(r), layout),
            "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUTE2");
  r.length = 98;
  r.code2 = "ROUT02";
  for (const char* counter : {" 00125", "0012 5", "1.5000", "-00003", "936e92", "99e307"}) {
    r.counter1 = counter;
    EXPECT_EQ(WholeLine(cdrgen::AxeRecordText(r), layout), "general") << counter;
    const std::string expected = "2006/11/30,23:59:09,2456,9876," +
                                 platform::ShortestDecimal(platform::LeadingNumber(counter), 6) +
                                 ",3,ROUT01,ROUT02";
    EXPECT_EQ(Line(cdrgen::AxeRecordText(r), layout), expected) << counter;
  }
  // A huge counter is written out in full, digits only; one too large for a
  // number ("99e307" above) is 0.
  r.counter1 = "17e307";
  const std::string line = Line(cdrgen::AxeRecordText(r), layout);
  EXPECT_EQ(line.size(),
            std::string("2006/11/30,23:59:09,2456,9876,,3,ROUT01,ROUT02").size() + 309);
  EXPECT_EQ(line.find_first_not_of("0123456789", 30), 339u);
}

TEST(AxeDecoder, ViewedBlocksMatchReadOnesUpToAShortLastBlock) {
  const cdrgen::Bytes bytes = cdrgen::AxeFileBuilder()
                                  .NewBlock()
                                  .AddText("100")
                                  .NewBlock()
                                  .AddText("095")
                                  .NewBlock()
                                  .AddText("120")
                                  .ShortLastBlock(700)
                                  .Build();
  const auto path = Write("view", bytes);
  // A buffer smaller than two blocks, so that views cross its refills.
  platform::BinaryReader viewer(3000);
  platform::BinaryReader reader;
  ASSERT_TRUE(viewer.Open(path));
  ASSERT_TRUE(reader.Open(path));
  AxeBlock copy;
  AxeBlock read;
  for (std::uint64_t offset = 0; offset < 3 * kBlockSize; offset += kBlockSize) {
    bool past_end = false;
    const BlockBytes view = ViewBlock(viewer, offset, copy, past_end);
    EXPECT_EQ(past_end, ReadBlock(reader, offset, read)) << offset;
    ASSERT_EQ(view.valid, read.valid) << offset;
    EXPECT_EQ(std::string_view(view.data, kBlockSize),
              std::string_view(read.bytes.data(), kBlockSize));
  }
  EXPECT_EQ(read.valid, 700u);
}

}  // namespace
