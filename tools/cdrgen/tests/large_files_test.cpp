#include "cdrgen/large_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/cdot_builder.h"
#include "cdrgen/ewsd_builder.h"
#include "cdrgen/ocb_builder.h"

namespace cdrgen {
namespace {

class LargeFilesTest : public ::testing::Test {
 protected:
  ~LargeFilesTest() override { std::filesystem::remove(path_); }

  Bytes Write(const char* format, std::uint64_t size, std::uint64_t seed = 1) {
    EXPECT_TRUE(WriteSampleFile(format, path_, size, seed));
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path path_ =
      std::filesystem::temp_directory_path() /
      ("cdrgen_large_files_test_" +
       std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

std::uint32_t Bcd(const std::uint8_t* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value * 100 + (bytes[i] >> 4) * 10u + (bytes[i] & 0xFu);
  return value;
}

// Up to the threshold the file is the sample generator's, written in chunks.
TEST_F(LargeFilesTest, SmallFilesAreTheSampleGeneratorsBytes) {
  EXPECT_EQ(Write("axe", 100000, 3), AxeSampleFile(100000 / 2048, 3));
  EXPECT_EQ(Write("ewsd", 300000, 2), EwsdSampleFile(300000, 2));
  EXPECT_EQ(Write("cdot", 300000, 2), CdotSampleFile(300000, 2));
  EXPECT_EQ(Write("ocb", 300000, 1), OcbSampleFile(300000, 1, OcbFileLayout::kPlain));
  EXPECT_EQ(Write("ocb", 300000, 2), OcbSampleFile(300000, 2, OcbFileLayout::kPrefixed));
  EXPECT_EQ(Write("e10b", 300000, 1), E10bSampleFile(300000 / 2048, 1));
  EXPECT_EQ(Write("5ess", 300000, 1), FiveEssSampleFile(300000 / 122, 1));
  EXPECT_FALSE(WriteSampleFile("nokia", path_, 1000, 1));
}

// Past the threshold the pattern repeats, but the block numbers run on: the
// current blocks in sequence, then stale blocks of another cycle.
TEST_F(LargeFilesTest, LargeOcbBlocksRunOnThenGoStale) {
  const Bytes file = Write("ocb", 12u << 20);
  const std::size_t blocks = file.size() / 2048;
  ASSERT_EQ(file.size(), blocks * 2048);
  const std::size_t current = blocks * 3 / 4;
  const std::uint32_t first = Bcd(&file[2], 3);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::uint8_t* header = &file[b * 2048];
    ASSERT_EQ(header[0], 0xC6) << b;
    const std::size_t expected =
        b < current ? (first + b) % 1000000 : (first + 500000 + b) % 1000000;
    ASSERT_EQ(Bcd(header + 2, 3), expected) << b;
  }
}

TEST_F(LargeFilesTest, LargeE10bNumbersEveryRecordInTurn) {
  const Bytes file = Write("e10b", 10u << 20);
  std::size_t record = 0;
  for (std::size_t block = 0; block < file.size() / 2048; ++block) {
    for (std::size_t r = 0; r < 78; ++r, ++record) {
      const std::uint8_t* at = &file[block * 2048 + r * 26];
      ASSERT_EQ(at[0] * 256u + at[1], record % 32767 + 1) << record;
    }
  }
}

// What the analyser needs to know each file: two EWSD records back to back
// at the start, 5ESS records at a stride of 122, C-DOT records from byte 0.
TEST_F(LargeFilesTest, LargeFilesAreKnownByTheirStart) {
  const Bytes ewsd = Write("ewsd", 9u << 20);
  EXPECT_EQ(ewsd[0], 0x84);
  EXPECT_EQ(ewsd[ewsd[1]], 0x84);

  const Bytes five_ess = Write("5ess", 9u << 20);
  ASSERT_EQ(five_ess.size() % 122, 0u);
  for (std::size_t at = 74; at < five_ess.size(); at += 122 * 997) EXPECT_EQ(five_ess[at], '7');

  const Bytes cdot = Write("cdot-bare", 9u << 20);
  ASSERT_EQ(cdot.size() % 48, 0u);
  for (std::size_t at = 27; at < cdot.size(); at += 48) ASSERT_LE(cdot[at], 2) << at;
}

TEST_F(LargeFilesTest, LargeCdotHasFourDaySections) {
  const Bytes file = Write("cdot", 9u << 20);
  int sections = 0;
  std::size_t at = 0;
  while (at < file.size()) {
    if (file[at] == '0' && file[at + 1] == '7' && file[at + 2] == '0' && file[at + 3] == '7') {
      ++sections;
      at += 91;
    } else {
      at += 48;
    }
  }
  EXPECT_EQ(sections, 4);
  EXPECT_EQ(at, file.size());
}

}  // namespace
}  // namespace cdrgen
