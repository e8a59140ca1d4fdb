// A 5 GB sparse OCB-283 file (it takes no disk) with blocks at both ends:
// its size and block count need 64-bit offsets; the empty stretch ends the
// run of blocks in sequence.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cdrgen/ocb_builder.h"
#include "formats/ocb/blocks.h"
#include "ostrel/file_analysis.h"
#include "platform/binary_reader.h"
#include "test_host.h"

namespace ostrel {
namespace {

constexpr std::uint64_t kFiveGigabytes = 5ull * 1024 * 1024 * 1024;

TEST(OstrelLargeFile, SparseFileKeepsItsSizeAndCountsTheLeadingBlocks) {
  test::TempFolder folder;
  const cdrgen::Bytes blocks = cdrgen::OcbSampleFile(3 * 2048, 1, cdrgen::OcbFileLayout::kPlain);
  const std::string path = folder.Write("big.dat", blocks);
  std::filesystem::resize_file(path, kFiveGigabytes);
  {
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(kFiveGigabytes - blocks.size()));
    out.write(reinterpret_cast<const char*>(blocks.data()),
              static_cast<std::streamsize>(blocks.size()));
    ASSERT_TRUE(out.good());
  }
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(path));
  formats::ocb::FileInfo info;
  ASSERT_TRUE(formats::ocb::CheckDataFile(reader, info));
  const formats::ocb::BlockCount count = formats::ocb::CountBlocks(reader, info.layout);
  reader.Close();

  test::ScriptedHost host;
  const auto details = AnalyseFile(path, host);
  ASSERT_TRUE(details.has_value());
  EXPECT_EQ(details->size, kFiveGigabytes);
  EXPECT_EQ(details->block_count, count.count);
  // The sample's three blocks run in sequence; the last holds 16 calls.
  EXPECT_EQ(count.count, 3u);
  EXPECT_EQ(details->useful, 2 * 2048 + 32 + 16 * 42u);
  EXPECT_EQ(details->useful_percent, "0 %");
}

}  // namespace
}  // namespace ostrel
