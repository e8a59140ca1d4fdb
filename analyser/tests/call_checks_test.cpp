// The pass over every call: duplicate calls within and across files in each
// decoded format, quiet stretches, a spill to disk, and a stop.
#include "engine/call_checks.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cdrgen/large_files.h"
#include "cdrgen/ocb_builder.h"
#include "engine/findings.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::TempFolder;

cdrgen::Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Format {
  const char* name;  // cdrgen's
  SwitchType type;
};
const Format kFormats[] = {{"ewsd", SwitchType::kEwsd},
                           {"ocb", SwitchType::kOcb},
                           {"cdot", SwitchType::kCdot},
                           {"axe", SwitchType::kAxe}};

std::uint64_t DatedCalls(const SeriesFile& file) {
  std::uint64_t calls = 0;
  ForEachCall(file, [&](std::uint64_t, const CallValues& call) {
    calls += call.start != kNoMoment;
    return true;
  });
  return calls;
}

std::vector<Finding> Check(const std::vector<SeriesFile>& files, CallCheckOptions options = {}) {
  std::vector<Finding> findings;
  std::string error;
  EXPECT_TRUE(CheckCalls("series", files, options, findings, &error)) << error;
  return findings;
}

std::vector<Finding> OfKind(const std::vector<Finding>& findings, FindingKind kind) {
  std::vector<Finding> kept;
  for (const Finding& f : findings)
    if (f.kind == kind) kept.push_back(f);
  return kept;
}

class CallChecksTest : public ::testing::TestWithParam<Format> {
 protected:
  SeriesFile Sample(const std::string& name, std::uint64_t seed) {
    const auto path = folder_.Path() / name;
    EXPECT_TRUE(cdrgen::WriteSampleFile(GetParam().name, path, 70000, seed));
    return {path.string(), GetParam().type};
  }
  SeriesFile Write(const std::string& name, const cdrgen::Bytes& bytes) {
    return {folder_.Write(name, bytes), GetParam().type};
  }
  TempFolder folder_;
};

TEST_P(CallChecksTest, FileCopiedIntoAnotherIsOneFindingForThePair) {
  const SeriesFile a = Sample("a.dat", 1);
  const SeriesFile b = Write("b.dat", ReadBytes(a.path));
  const std::vector<Finding> found = OfKind(Check({a, b}), FindingKind::kDuplicateCall);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].where, "a.dat, b.dat");
  EXPECT_EQ(found[0].count, DatedCalls(a));
  EXPECT_LE(found[0].from, found[0].to);
}

// One call twice in a file: a record copied over its neighbour where records
// have a fixed size, the whole file twice over elsewhere.
TEST_P(CallChecksTest, CallTwiceInOneFile) {
  const SeriesFile sample = Sample("sample.dat", 1);
  cdrgen::Bytes bytes = ReadBytes(sample.path);
  std::uint64_t copies = 1;
  std::string where = "a.dat call 1, a.dat call 2";
  switch (GetParam().type) {
    case SwitchType::kOcb: {
      const auto at = cdrgen::OcbRecordOffset(cdrgen::OcbFileLayout::kPlain, 0, 0);
      std::copy_n(bytes.begin() + static_cast<long>(at), 42,
                  bytes.begin() + static_cast<long>(at + 42));
      break;
    }
    case SwitchType::kCdot:
      std::copy_n(bytes.begin() + 91, 48, bytes.begin() + 91 + 48);
      break;
    default: {
      // AXE records never cross a block: the copy starts on a boundary.
      if (GetParam().type == SwitchType::kAxe) bytes.resize((bytes.size() + 2047) / 2048 * 2048, 0);
      const cdrgen::Bytes whole = bytes;
      bytes.insert(bytes.end(), whole.begin(), whole.end());
      copies = DatedCalls(sample);
      where = "a.dat";
    }
  }
  const SeriesFile a = Write("a.dat", bytes);
  const std::vector<Finding> found = OfKind(Check({a}), FindingKind::kDuplicateCall);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].where, where);
  EXPECT_EQ(found[0].count, copies);
}

// Samples of every decoded format (of two seeds where the seed changes the
// calls) hold no call twice.
TEST(CallChecks, CleanSeriesHasNoDuplicates) {
  TempFolder folder;
  std::vector<SeriesFile> files;
  std::uint64_t calls = 0;
  for (const Format& format : kFormats) {
    for (const std::uint64_t seed : {1u, 2u}) {
      if (seed == 2 && (format.type == SwitchType::kEwsd || format.type == SwitchType::kCdot))
        continue;
      const auto path = folder.Path() / (std::string(format.name) + std::to_string(seed));
      ASSERT_TRUE(cdrgen::WriteSampleFile(format.name, path, 70000, seed));
      files.push_back({path.string(), format.type});
      calls += DatedCalls(files.back());
    }
  }
  EXPECT_GT(calls, 3000u);
  EXPECT_TRUE(OfKind(Check(files), FindingKind::kDuplicateCall).empty());
}

// Calls at 10:00, 10:30 and 12:00 of 10 April 2005, then more after 12:40.
SeriesFile QuietFile(const TempFolder& folder) {
  cdrgen::OcbBlockValues block;
  block.year = "05";
  block.day = "100";
  int n = 0;
  for (const char* time : {"100000", "103000", "120000", "120500", "124000"}) {
    cdrgen::OcbRecordValues call;
    call.day = "100";
    call.time = time;
    call.calling = "24567" + std::to_string(10 + n++);
    block.records.push_back(call);
  }
  return {folder.Write("quiet.dat", cdrgen::OcbFileBuilder().Add(block).Build()), SwitchType::kOcb};
}

Moment At(int hour, int minute) {
  std::tm tm{};
  tm.tm_year = 105;
  tm.tm_mon = 3;
  tm.tm_mday = 10;
  tm.tm_hour = hour;
  tm.tm_min = minute;
#if defined(_WIN32)
  return _mkgmtime(&tm);
#else
  return timegm(&tm);
#endif
}

TEST(CallChecks, LongestQuietStretchOfAFileAboveTheThreshold) {
  TempFolder folder;
  const SeriesFile file = QuietFile(folder);
  CallCheckOptions options;
  options.quiet_minutes = 60;
  const std::vector<Finding> found = Check({file}, options);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].kind, FindingKind::kQuietStretch);
  EXPECT_EQ(found[0].where, "quiet.dat");
  EXPECT_EQ(found[0].from, At(10, 30));
  EXPECT_EQ(found[0].to, At(12, 0));
  // 90 minutes is not above 90.
  options.quiet_minutes = 90;
  EXPECT_TRUE(Check({file}, options).empty());
}

// A budget too small for the calls: sorted runs on disk, the same findings.
TEST(CallChecks, SmallMemoryBudgetSpillsToDiskWithTheSameFindings) {
  TempFolder folder;
  const std::string a = (folder.Path() / "a.dat").string();
  ASSERT_TRUE(cdrgen::WriteSampleFile("ocb", a, 300000, 1));
  const std::string b = folder.Write("b.dat", ReadBytes(a));
  const std::vector<SeriesFile> files = {{a, SwitchType::kOcb}, {b, SwitchType::kOcb}};
  const std::vector<Finding> in_memory = Check(files);

  CallCheckOptions small;
  small.memory_budget = 16 << 10;
  small.temp_folder = (folder.Path() / "runs").string();
  std::filesystem::create_directory(small.temp_folder);
  const std::vector<Finding> spilled = Check(files, small);
  ASSERT_EQ(spilled.size(), in_memory.size());
  for (std::size_t i = 0; i < spilled.size(); ++i) {
    EXPECT_EQ(spilled[i].where, in_memory[i].where);
    EXPECT_EQ(spilled[i].count, in_memory[i].count);
    EXPECT_EQ(spilled[i].from, in_memory[i].from);
  }
  EXPECT_TRUE(std::filesystem::is_empty(small.temp_folder));

  // The runs cannot be written: the pass fails and says why.
  small.temp_folder = (folder.Path() / "missing").string();
  std::vector<Finding> findings;
  std::string error;
  EXPECT_FALSE(CheckCalls("series", files, small, findings, &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;

  CallCheckOptions stopped;
  stopped.stop_requested = [] { return true; };
  EXPECT_FALSE(CheckCalls("series", files, stopped, findings, &error));
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(DecodedFormats, CallChecksTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lomtra
