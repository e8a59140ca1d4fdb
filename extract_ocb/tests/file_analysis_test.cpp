#include "ostrel/file_analysis.h"

#include <gtest/gtest.h>

#include "cdrgen/ocb_builder.h"
#include "test_host.h"

namespace ostrel {
namespace {

using cdrgen::OcbBlockValues;
using cdrgen::OcbFileBuilder;
using cdrgen::OcbFileLayout;
using cdrgen::OcbRecordValues;

OcbRecordValues Call(const std::string& day, const std::string& time, const std::string& calling,
                     const std::string& called) {
  OcbRecordValues r;
  r.day = day;
  r.time = time;
  r.calling = calling;
  r.called = called;
  return r;
}

// N blocks in sequence from 77, the last holding `last_calls` calls; the
// first call of the file and the last are told apart from the others.
cdrgen::Bytes TenBlockFile(std::size_t blocks, std::size_t last_calls, std::size_t stale,
                           OcbFileLayout layout = OcbFileLayout::kPlain) {
  OcbFileBuilder builder(layout);
  for (std::size_t b = 0; b < blocks; ++b) {
    OcbBlockValues block;
    block.sequence = static_cast<std::uint32_t>(77 + b);
    block.day = "068";
    block.time = "093000";
    const std::size_t calls = b + 1 == blocks ? last_calls : 48;
    for (std::size_t i = 0; i < calls; ++i)
      block.records.push_back(Call("067", "101530", "24567", "555"));
    if (b == 0) block.records[0] = Call("066", "000101", "11111", "2222");
    if (b + 1 == blocks && last_calls > 0)
      block.records.back() = Call("068", "093000", "99999", "8888");
    if (b + 2 == blocks && last_calls == 0)
      block.records.back() = Call("067", "235959", "77777", "6666");
    builder.Add(block);
  }
  builder.AddSequence(OcbBlockValues{}, 500000, stale);
  return builder.Build();
}

TEST(FileAnalysis, TenBlocksWithTwentyCallsInTheLast) {
  test::TempFolder folder;
  test::ScriptedHost host;
  const std::string path = folder.Write("a.dat", TenBlockFile(10, 20, 0));
  const auto d = AnalyseFile(path, host);
  ASSERT_TRUE(d);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(d->copied_date, "2005-03-09");
  EXPECT_EQ(d->copied_time, "09:30:00");
  EXPECT_EQ(d->data_type, "FDTIL");
  EXPECT_EQ(d->size, 20480u);
  EXPECT_EQ(d->block_count, 10u);
  EXPECT_EQ(d->last_calls, 20);
  EXPECT_EQ(d->records, 452u);
  EXPECT_EQ(d->useful, 19304u);
  EXPECT_EQ(d->useful_percent, "94.26 %");
  EXPECT_EQ(d->blocks_acknowledged, "2      [10] ");
  EXPECT_EQ(d->first_block, 77u);
  EXPECT_EQ(d->last_block, 86u);
  EXPECT_EQ(d->first.date, "2005-03-07");
  EXPECT_EQ(d->first.time, "00:01:01");
  EXPECT_EQ(d->first.calling, "11111");
  EXPECT_EQ(d->first.called, "2222");
  EXPECT_EQ(d->last.date, "2005-03-09");
  EXPECT_EQ(d->last.calling, "99999");
  EXPECT_EQ(d->last.called, "8888");

  const auto lines = DetailLines(*d);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[7].first, "Blocks Acknowledged");
  EXPECT_EQ(lines[17].first, "Last Called Number");
}

TEST(FileAnalysis, StaleBlocksAndThePrefixedLayout) {
  test::TempFolder folder;
  test::ScriptedHost host;
  const auto d =
      AnalyseFile(folder.Write("p.dat", TenBlockFile(10, 20, 5, OcbFileLayout::kPrefixed)), host);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->block_count, 10u);
  EXPECT_EQ(d->records, 452u);
  EXPECT_EQ(d->size, 928u + 15u * 2052u - 4u);
  EXPECT_EQ(d->useful, 928u + 9u * 2052u + 32u + 840u);
  EXPECT_EQ(d->last.called, "8888");
}

TEST(FileAnalysis, LastBlockWithoutCalls) {
  test::TempFolder folder;
  test::ScriptedHost host;
  const auto d = AnalyseFile(folder.Write("k0.dat", TenBlockFile(3, 0, 2)), host);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->last_calls, 0);
  EXPECT_EQ(d->records, 96u);
  EXPECT_EQ(d->useful, 2u * 2048u + 32u);
  // The last call is the end of the block before, not bytes around a header.
  EXPECT_EQ(d->last.calling, "77777");
  EXPECT_EQ(d->last.time, "23:59:59");
}

TEST(FileAnalysis, BlocksAcknowledgedRounding) {
  EXPECT_EQ(BlocksAcknowledgedText(0, 1), "0      [1] ");
  EXPECT_EQ(BlocksAcknowledgedText(186, 4), "1      [4] ");
  EXPECT_EQ(BlocksAcknowledgedText(557, 2), "2      [2] ");
  EXPECT_EQ(UsefulPercentText(5, 10), "50 %");
  EXPECT_EQ(UsefulPercentText(1, 3), "33.33 %");
  EXPECT_EQ(UsefulPercentText(0, 0), "0 %");
}

TEST(FileAnalysis, InvalidEmptyAndBlocklessFiles) {
  test::TempFolder folder;
  test::ScriptedHost host;
  const std::string bad = folder.Write("bad.dat", cdrgen::Bytes(3000, 0x20));
  EXPECT_FALSE(AnalyseFile(bad, host));
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0].text, bad + " is not a valid OCB Data File.  Please Verify");
  EXPECT_EQ(host.shown[0].icon, MessageIcon::kError);
  EXPECT_FALSE(AnalyseFile("", host));
  EXPECT_FALSE(AnalyseFile((folder.Path() / "missing.dat").string(), host));
  EXPECT_NE(host.shown.back().text.find("missing.dat"), std::string::npos);

  // Marker but no whole block: details without negative offsets.
  const auto d =
      AnalyseFile(folder.Write("tiny.dat", cdrgen::Bytes{0xC6, 0xC4, 0x00, 0x00, 0x01}), host);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->block_count, 0u);
  EXPECT_EQ(d->records, 0u);
  EXPECT_EQ(d->useful, 0u);
  EXPECT_EQ(d->blocks_acknowledged, "0      [0] ");
}

}  // namespace
}  // namespace ostrel
