#include "formats/ocb/blocks.h"

#include <gtest/gtest.h>

#include "cdrgen/ocb_builder.h"
#include "temp_folder.h"

namespace formats::ocb {
namespace {

using cdrgen::OcbBlockValues;
using cdrgen::OcbFileBuilder;
using cdrgen::OcbFileLayout;

struct Opened {
  testing::TempFolder folder;
  platform::BinaryReader reader;
  explicit Opened(const cdrgen::Bytes& bytes) { reader.Open(folder.Write("f.dat", bytes)); }
};

BlockCount Count(const cdrgen::Bytes& bytes, Layout layout = Layout::kPlain) {
  Opened file(bytes);
  return CountBlocks(file.reader, layout);
}

cdrgen::Bytes Sequence(std::uint32_t first, std::size_t count, std::size_t stale = 0,
                       OcbFileLayout layout = OcbFileLayout::kPlain) {
  OcbFileBuilder builder(layout);
  builder.AddSequence(OcbBlockValues{}, first, count);
  builder.AddSequence(OcbBlockValues{}, (first + 500000) % 1000000, stale);
  return builder.Build();
}

TEST(OcbBlocks, RecognisesBothLayoutsPlainFirst) {
  FileInfo info;
  {
    OcbBlockValues header;
    header.year = "06";
    header.day = "002";
    header.time = "083000";
    Opened plain(OcbFileBuilder().Add(header).Build());
    ASSERT_TRUE(CheckDataFile(plain.reader, info));
    EXPECT_EQ(info.layout, Layout::kPlain);
    EXPECT_EQ(info.header_date, "2006-01-02");
    EXPECT_EQ(info.header_time, "08:30:00");
  }
  {
    Opened prefixed(Sequence(1, 2, 0, OcbFileLayout::kPrefixed));
    ASSERT_TRUE(CheckDataFile(prefixed.reader, info));
    EXPECT_EQ(info.layout, Layout::kPrefixed);
    EXPECT_EQ(info.header_date, "2005-04-10");
  }
  {
    // Markers at 0 and at 928 alike: Plain wins.
    cdrgen::Bytes both = Sequence(1, 2);
    both[928] = 0xC6;
    both[929] = 0xC4;
    Opened file(both);
    ASSERT_TRUE(CheckDataFile(file.reader, info));
    EXPECT_EQ(info.layout, Layout::kPlain);
  }
}

TEST(OcbBlocks, RejectsFilesWithoutMarker) {
  FileInfo info;
  Opened empty(cdrgen::Bytes{});
  EXPECT_FALSE(CheckDataFile(empty.reader, info));
  OcbBlockValues no_marker;
  no_marker.marker = false;
  Opened other(OcbFileBuilder().Add(no_marker).Build());
  EXPECT_FALSE(CheckDataFile(other.reader, info));
}

TEST(OcbBlocks, CountsShortRunsFromTheFirstBlock) {
  const BlockCount five = Count(Sequence(41, 5));
  EXPECT_EQ(five.count, 5u);
  EXPECT_EQ(five.first_number, 41u);
  EXPECT_EQ(five.last_number, 45u);
  EXPECT_EQ(five.header_year, 5);
  EXPECT_EQ(five.header_day, 100);
  EXPECT_EQ(Count(Sequence(7, 1)).count, 1u);
}

TEST(OcbBlocks, SequenceWrapsAfter999999) {
  const BlockCount wrap = Count(Sequence(999999, 3));
  EXPECT_EQ(wrap.count, 3u);
  EXPECT_EQ(wrap.last_number, 1u);
  const BlockCount ends = Count(Sequence(999990, 10, 4));
  EXPECT_EQ(ends.count, 10u);
  EXPECT_EQ(ends.last_number, 999999u);
  // A long run across the wrap, sized by the binary search.
  const BlockCount long_wrap = Count(Sequence(999900, 260, 40));
  EXPECT_EQ(long_wrap.count, 260u);
  EXPECT_EQ(long_wrap.last_number, 159u);
}

TEST(OcbBlocks, StaleBlocksBehindTheDataDoNotCount) {
  for (std::size_t current : {3u, 12u, 99u, 250u, 333u}) {
    SCOPED_TRACE(current);
    EXPECT_EQ(Count(Sequence(1000, current, 400 - current)).count, current);
  }
  EXPECT_EQ(Count(Sequence(5, 40, 40, OcbFileLayout::kPrefixed), Layout::kPrefixed).count, 40u);
}

TEST(OcbBlocks, ShortFilesCountOnlyWholeHeaders) {
  cdrgen::Bytes bytes = Sequence(1, 3);
  bytes.resize(2 * 2048 + 31);  // block 2's header is cut
  EXPECT_EQ(Count(bytes).count, 2u);
  bytes.resize(2 * 2048 + 32);  // a whole header, records missing
  EXPECT_EQ(Count(bytes).count, 3u);
  bytes.resize(20);  // not even block 0's header
  const BlockCount none = Count(bytes);
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.last_number, 1u);
}

}  // namespace
}  // namespace formats::ocb
