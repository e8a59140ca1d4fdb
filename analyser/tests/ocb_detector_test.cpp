#include "cdrgen/analyser_samples.h"
#include "cdrgen/ocb_builder.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using cdrgen::OcbSampleBlock;
using cdrgen::OcbSampleRecord;
using testing::Rig;
using testing::TempFolder;

// A block of `count` records at day `day`, record r at 10:00:r.
OcbSampleBlock Block(std::uint32_t sequence, std::size_t count, const std::string& day = "0100") {
  OcbSampleBlock b;
  b.sequence = sequence;
  b.year = "06";
  b.day = "0100";
  for (std::size_t r = 0; r < count; ++r) {
    OcbSampleRecord rec;
    rec.day = day;
    rec.time = "1000" + cdrgen::Digits(r, 2);
    b.records.push_back(rec);
  }
  return b;
}

std::string Analyse(const TempFolder& folder, const cdrgen::Bytes& bytes, Rig& rig) {
  auto context = rig.Context();
  return testing::ResultText(AnalyseOcb(folder.Write("ocb.dat", bytes), context));
}

TEST(AnalyseOcb, FullBlocksAndLastValidRecord) {
  TempFolder folder;
  Rig rig;
  // Day 100 of 2006 is 10 April.
  auto last = Block(3, 40);
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({Block(1, 48), Block(2, 48), last}), rig),
            "2006-04-10   10:00:00,2006-04-10   10:00:39,136");
  EXPECT_EQ(rig.host.progress, 0);
  // Padding of 0x40 bytes is not valid either.
  last.sequence = 2;
  last.padding = 0x40;
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({Block(1, 48), last}), rig),
            "2006-04-10   10:00:00,2006-04-10   10:00:39,88");
}

TEST(AnalyseOcb, StaleDayBytesEndTheBlockCount) {
  TempFolder folder;
  Rig rig;
  auto stale = Block(4, 48);
  stale.day = "4040";
  EXPECT_EQ(Analyse(folder,
                    cdrgen::OcbAnalyserFile(
                        {Block(1, 48), Block(2, 48), Block(3, 48), stale, Block(5, 48)}),
                    rig),
            "2006-04-10   10:00:00,2006-04-10   10:00:47,144");
}

// Stale blocks of an older cycle behind the current data: only the blocks
// in sequence count, as ostrel counts them, and the end is the last call of
// the current data, never before the start.
TEST(AnalyseOcb, StaleBlocksBehindTheDataDoNotCount) {
  TempFolder folder;
  Rig rig;
  for (auto layout : {cdrgen::OcbFileLayout::kPlain, cdrgen::OcbFileLayout::kPrefixed}) {
    std::size_t calls = 0;
    const std::string result =
        Analyse(folder, cdrgen::OcbSampleFile(100 * 2048, 1, layout, &calls), rig);
    SCOPED_TRACE(result);
    ASSERT_EQ(result.size(), 2 * 21 + 2 + 4);
    EXPECT_EQ(result.substr(44), std::to_string(calls));
    EXPECT_LE(result.substr(0, 21), result.substr(22, 21));
  }
}

TEST(AnalyseOcb, RecordAfterTheHeaderDayIsInTheYearBefore) {
  TempFolder folder;
  Rig rig;
  OcbSampleBlock b = Block(1, 1, "0360");
  b.day = "0010";
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({b}), rig),
            "2005-12-26   10:00:00,2005-12-26   10:00:00,1");
}

TEST(AnalyseOcb, HeaderYearZeroGivesTheYearBeforeAsFourDigits) {
  TempFolder folder;
  Rig rig;
  OcbSampleBlock b = Block(1, 1, "0020");
  b.year = "00";
  b.day = "0010";
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({b}), rig),
            "1999-01-20   10:00:00,1999-01-20   10:00:00,1");
}

TEST(AnalyseOcb, EndIsNeverDatedBeforeTheStartYear) {
  TempFolder folder;
  Rig rig;
  OcbSampleBlock b = Block(1, 2, "0005");
  b.day = "0010";
  b.records[1].day = "0040";  // after the header day: would be 2005-02-09
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({b}), rig),
            "2006-01-05   10:00:00,2006-02-09   10:00:01,2");
}

TEST(AnalyseOcb, PrefixedLayoutUsesItsStrideForTheLastBlock) {
  TempFolder folder;
  Rig rig;
  EXPECT_EQ(Analyse(folder,
                    cdrgen::OcbAnalyserFile({Block(1, 48), Block(2, 48), Block(3, 7)}, true), rig),
            "2006-04-10   10:00:00,2006-04-10   10:00:06,103");
  // A following file without any marker keeps that layout.
  EXPECT_EQ(rig.state.ocb.header_offset, 928u);
  EXPECT_EQ(rig.state.ocb.stride, 2052u);
}

TEST(AnalyseOcb, NoDataBlockGivesNoMomentsAndNoRecords) {
  TempFolder folder;
  Rig rig;
  auto empty = Block(1, 48);
  empty.day = "0000";
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({empty}), rig), ",,0");
}

TEST(AnalyseOcb, LastBlockWithoutValidRecord) {
  TempFolder folder;
  Rig rig;
  // One block, nothing valid: no moments and no records.
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({Block(1, 0)}), rig), ",,0");
  // Two blocks: the end is the last record of the block before.
  EXPECT_EQ(Analyse(folder, cdrgen::OcbAnalyserFile({Block(1, 48), Block(2, 0)}), rig),
            "2006-04-10   10:00:00,2006-04-10   10:00:47,48");
}

}  // namespace
}  // namespace lomtra

namespace lomtra {
namespace {

TEST(AnalyseOcb, DamagedDayThatReadsAsAHugeNumberStillCounts) {
  TempFolder folder;
  Rig rig;
  cdrgen::Bytes bytes = cdrgen::OcbAnalyserFile({Block(1, 48), Block(2, 48)});
  // Header day "7E95" reads as 7 x 10^95 by the text rule; so does the last record's day.
  bytes[6] = 0x7E;
  bytes[7] = 0x95;
  const std::size_t last_record = 2048 + 32 + 47 * 42;
  bytes[last_record + 3] = 0x7E;
  bytes[last_record + 4] = 0x95;
  const std::string result = Analyse(folder, bytes, rig);
  EXPECT_EQ(result.substr(result.rfind(',')), ",96");
}

}  // namespace
}  // namespace lomtra
