// Runs the built ostrel on files made with the OCB builder and compares what
// it writes byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdrgen/ocb_builder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class OstrelCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ostrel_cli_" + TestName());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Two blocks: one full block and a last block of two calls, then a
    // stale block.
    cdrgen::OcbBlockValues full;
    full.sequence = 999999;
    full.day = "003";
    full.time = "120000";
    full.year = "06";
    for (int i = 0; i < 48; ++i) {
      cdrgen::OcbRecordValues r;
      r.day = i == 0 ? "365" : "002";
      r.time = "0830" + cdrgen::Digits(static_cast<std::uint64_t>(i), 2);
      r.function_type = i % 2 == 0 ? 0x20 : 0x30;
      r.calling = "24567";
      r.ic_trunk = "9";
      r.called = "011" + cdrgen::Digits(static_cast<std::uint64_t>(i), 4);
      r.duration = static_cast<std::uint16_t>(i * 10);
      r.units = static_cast<std::uint32_t>(i);
      r.og_trunk = "12";
      full.records.push_back(r);
    }
    cdrgen::OcbBlockValues last = full;
    last.sequence = 0;
    last.records.resize(2);
    cdrgen::OcbBlockValues stale = full;
    stale.sequence = 4711;
    cdrgen::OcbFileBuilder builder;
    builder.Add(full).Add(last).Add(stale);
    ocb_ = dir_ / "a.dat";
    cdrgen::WriteFile(ocb_, builder.Build());
    other_ = dir_ / "other.dat";
    cdrgen::WriteFile(other_, cdrgen::Bytes(3000, 0x55));
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Run(const std::string& arguments, const std::string& input = "") {
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr", in = dir_ / "stdin";
    { std::ofstream(in) << input; }
    const std::string command =
        std::string(OSTREL_EXE) + " " + arguments + " <" + Q(in) + " >" + Q(out) + " 2>" + Q(err);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
  }
  static std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

  fs::path dir_, ocb_, other_;
};

TEST_F(OstrelCommandLine, ExtractWritesTheDefaultFields) {
  const Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "50 Records Written from 1 Files\n");
  EXPECT_EQ(r.out, "");
  // The last field (15, the incoming trunk) is no integer: no added spaces.
  std::string expected;
  for (int i = 0; i < 50; ++i) {
    const int k = i % 48;
    const std::string date = k == 0 ? "2005-12-31" : "2006-01-02";
    expected += date + ",08:30:" + cdrgen::Digits(static_cast<std::uint64_t>(k), 2) + ",24567,011" +
                cdrgen::Digits(static_cast<std::uint64_t>(k), 4) + "," + std::to_string(k * 10) +
                "," + std::to_string(k) + ",12,9\r\n";
  }
  EXPECT_EQ(Slurp(dir_ / "out.txt"), expected);
}

TEST_F(OstrelCommandLine, FieldListsWithRangesAndTheSpacedLastInteger) {
  const Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " --fields 8,12-13 " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  const std::string out = Slurp(dir_ / "out.txt");
  EXPECT_EQ(out.substr(0, 30), "0110000,0, 0 \r\n0110001,10, 1 \r");
  EXPECT_EQ(Run("extract -o x --fields 0,19 " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract -o x --fields 6-4 " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("frobnicate").status, 2);
  // An option of another command is no option of this one.
  EXPECT_EQ(Run("analyse --yes " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract --to x -o " + Q(dir_ / "out.txt") + " " + Q(ocb_)).status, 2);
}

TEST_F(OstrelCommandLine, InvalidFileIsSkippedOrStopsTheRun) {
  const std::string files = Q(other_) + " " + Q(ocb_);
  Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " --fields 8 " + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ostrel: " + other_.string() +
                       " is not a valid OCB Data File.  Do you Want to continue? Yes\n"
                       "50 Records Written from 2 Files\n");
  r = Run("extract -o " + Q(dir_ / "out.txt") + " --stop-on-error --fields 8 " + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ostrel: " + other_.string() +
                       " is not a valid OCB Data File.  Do you Want to continue? No\n"
                       "0 Records Written from 1 Files\n");
  EXPECT_EQ(Slurp(dir_ / "out.txt"), "");
  r = Run("extract --quiet -o " + Q(dir_ / "out.txt") + " " + files);
  EXPECT_EQ(r.err, "");
}

TEST_F(OstrelCommandLine, UnreadableInputAndUnwritableOutputEndTheRun) {
  Outcome r = Run("extract -o " + Q(dir_ / "no" / "out.txt") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(
      r.err.rfind(
          "ostrel: Cannot create the output file " + (dir_ / "no" / "out.txt").string() + ": ", 0),
      0u);
  // A folder as the output is refused before any file is read.
  r = Run("extract -o " + Q(dir_) + " " + Q(ocb_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ostrel: Cannot create the output file " + dir_.string() + ": Is a directory\n");
  r = Run("extract -o " + Q(dir_ / "out.txt") + " " + Q(dir_ / "missing.dat"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing.dat: No such file or directory"), std::string::npos);
}

TEST_F(OstrelCommandLine, AnalysePrintsTheDetails) {
  const Outcome r = Run("analyse " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Data Copied Date\t2006-01-03\n"
            "Data Copied Time\t12:00:00\n"
            "Data Type\tFDTIL\n"
            "Data File Size\t6144\n"
            "Number of Records\t50\n"
            "Useful Data\t2164\n"
            "% of Useful Data\t35.22 %\n"
            "Blocks Acknowledged\t1      [2] \n"
            "First Block Number\t999999\n"
            "Last Block Number\t0\n"
            "First Date\t2005-12-31\n"
            "First Time\t08:30:00\n"
            "First Calling Number\t24567\n"
            "First Called Number\t0110000\n"
            "Last Date\t2006-01-02\n"
            "Last Time\t08:30:01\n"
            "Last Calling Number\t24567\n"
            "Last Called Number\t0110001\n");
  const Outcome bad = Run("analyse " + Q(other_));
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err,
            "ostrel: " + other_.string() + " is not a valid OCB Data File.  Please Verify\n");
  EXPECT_EQ(Run("analyse " + Q(dir_ / "missing.dat")).status, 2);
}

TEST_F(OstrelCommandLine, TrimAsksAndWritesTheUsefulPart) {
  Outcome r = Run("trim " + Q(ocb_), "n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Are You Sure to Trim the Binary File of size 0.01 MB  to size  0 MB [y/N] ");
  EXPECT_FALSE(fs::exists(dir_ / "2005-12-31.dat"));

  r = Run("trim " + Q(ocb_), "y\n");
  EXPECT_EQ(r.status, 0);
  const fs::path copy = dir_ / "2005-12-31.dat";
  EXPECT_NE(r.err.find("The Input File is Trimmed and Renamed as " + copy.string() + "\n"),
            std::string::npos);
  EXPECT_EQ(Slurp(copy), Slurp(ocb_).substr(0, 2164));
  EXPECT_EQ(fs::file_size(ocb_), 6144u);

  fs::create_directories(dir_ / "to");
  r = Run("trim --yes --quiet --to " + Q(dir_ / "to") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(fs::file_size(dir_ / "to" / "2005-12-31.dat"), 2164u);
}

}  // namespace
