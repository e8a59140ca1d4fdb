// Files past 4 GB: sparse files (they take no disk) with real data at both
// ends. Sizes, totals and block positions need 64-bit offsets throughout.
#include <filesystem>
#include <fstream>

#include "cdrgen/analyser_samples.h"
#include "engine/analysis_run.h"
#include "engine/detectors.h"
#include "engine/file_list.h"
#include "engine/identify.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::Rig;
using testing::TempFolder;

constexpr std::uint64_t kFiveGigabytes = 5ull * 1024 * 1024 * 1024;

// Writes `bytes` at `offset` of an existing file, leaving the rest as it is.
void WriteAt(const std::filesystem::path& path, std::uint64_t offset, const cdrgen::Bytes& bytes) {
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  out.seekp(static_cast<std::streamoff>(offset));
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

// `head` at the start, `tail` at `tail_at`, a file of 5 GB with nothing on
// disk between.
std::string SparseFile(const TempFolder& folder, const std::string& name, const cdrgen::Bytes& head,
                       const cdrgen::Bytes& tail, std::uint64_t tail_at) {
  const std::string path = folder.Write(name, head);
  std::filesystem::resize_file(path, kFiveGigabytes);
  WriteAt(path, tail_at, tail);
  return path;
}

TEST(LargeFile, SparseOcbFileIsIdentifiedSizedAndCounted) {
  TempFolder folder;
  const cdrgen::Bytes blocks = cdrgen::OcbAnalyserSample(3, 1);
  const std::string big =
      SparseFile(folder, "big.dat", blocks, blocks, kFiveGigabytes - blocks.size());
  const std::string small = folder.Write("small.dat", blocks);

  EXPECT_EQ(IdentifySwitch(big), SwitchType::kOcb);
  std::vector<DataFileEntry> rows;
  ASSERT_TRUE(AddDataFile(rows, big));
  ASSERT_TRUE(AddDataFile(rows, small));
  EXPECT_EQ(rows[0].size, "5242880 KB");

  Rig rig;
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  ASSERT_TRUE(outcome.ran);
  EXPECT_EQ(outcome.totals.valid_files, 2u);
  EXPECT_EQ(outcome.totals.bytes, kFiveGigabytes + blocks.size());
  // The zeros behind the first blocks break their sequence: both files hold
  // the same calls.
  EXPECT_EQ(ValidSizeText(outcome.totals), "5120.01 MB");
  EXPECT_EQ(rows[0].records, "144");
  EXPECT_EQ(rows[0].records, rows[1].records);
  EXPECT_EQ(rows[0].start_time, rows[1].start_time);
  EXPECT_EQ(rows[0].end_time, rows[1].end_time);
}

TEST(LargeFile, EwsdWalkOverASparseStretchEnds) {
  TempFolder folder;
  const cdrgen::Bytes records = cdrgen::EwsdAnalyserSample(5, 1);
  // Zero bytes are empty 32-byte units: the tail starts on one's bound, so
  // the big file holds the same records as the two copies back to back.
  const std::uint64_t tail_at = records.size() + (kFiveGigabytes - 2 * records.size()) / 32 * 32;
  const std::string big = SparseFile(folder, "big.dat", records, records, tail_at);
  cdrgen::Bytes both = records;
  both.insert(both.end(), records.begin(), records.end());
  const std::string small = folder.Write("small.dat", both);
  EXPECT_EQ(IdentifySwitch(big), SwitchType::kEwsd);
  Rig rig;
  auto context = rig.Context();
  const DetectorResult expected = AnalyseEwsd(small, context);
  EXPECT_EQ(expected.count, 10u);
  Rig big_rig;
  auto big_context = big_rig.Context();
  EXPECT_EQ(AnalyseEwsd(big, big_context), expected);
}

}  // namespace
}  // namespace lomtra
