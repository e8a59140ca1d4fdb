// A 5 GB sparse file (it takes no disk) with records at both ends: the walk
// crosses the 4 GB mark on 64-bit offsets, steps over the empty stretch and
// ends with the last record and the right size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cdrgen/ewsd_builder.h"
#include "fake_host.h"
#include "temp_folder.h"
#include "vantor/record_analysis.h"

namespace vantor {
namespace {

using cdrgen::EwsdRecord;
using testing::FakeHost;
using testing::TempFolder;

constexpr std::uint64_t kFiveGigabytes = 5ull * 1024 * 1024 * 1024;

TEST(VantorLargeFile, WalkOverASparseStretchEndsWithTheLastRecord) {
  TempFolder folder;
  const cdrgen::Bytes first = EwsdRecord().Owner("2441234").DateTime(6, 1, 2, 8, 0, 1, 5).Build();
  const std::string path = folder.Write("IA.ICAMA", first);
  std::filesystem::resize_file(path, kFiveGigabytes);
  // Zero bytes are empty 32-byte units: the last record starts on one's bound.
  const cdrgen::Bytes last = EwsdRecord().DateTime(6, 2, 28, 23, 59, 58, 5).Called("77").Build();
  const std::uint64_t at = first.size() + (kFiveGigabytes - 64 - first.size()) / 32 * 32;
  {
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(at));
    out.write(reinterpret_cast<const char*>(last.data()),
              static_cast<std::streamsize>(last.size()));
    ASSERT_TRUE(out.good());
  }
  FakeHost host;
  const AnalysisResult result = AnalyseFile(host, path);
  ASSERT_EQ(result.status, AnalysisStatus::kDone);
  EXPECT_EQ(result.labels[0], "   02-01-2006");
  EXPECT_EQ(result.labels[4], "   28-02-2006");
  EXPECT_EQ(result.labels[7], "   77");
  EXPECT_EQ(result.labels[8], "   2");
  EXPECT_EQ(result.labels[9], "   5120 MB");
}

}  // namespace
}  // namespace vantor
