#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cdrgen/axe_builder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string err;
};

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Each test has a folder of its own: CTest runs them side by side.
Outcome RunPardel(const std::string& arguments) {
  const auto err_file = fs::temp_directory_path() / ("pardel_cli_" + TestName() + ".err");
  const std::string command = std::string(PARDEL_EXE) + " " + arguments + " 2>" + err_file.string();
  const int raw = std::system(command.c_str());
  Outcome out;
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(err_file);
  std::stringstream s;
  s << in.rdbuf();
  out.err = s.str();
  return out;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pardel_cli_" + TestName());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    cdrgen::AxeFileBuilder builder;
    for (int b = 0; b < 11; ++b) {
      builder.NewBlock();
      cdrgen::AxeRecord r;
      r.counter1 = cdrgen::Digits(static_cast<std::uint64_t>(b), 6);
      r.day = cdrgen::Digits(static_cast<std::uint64_t>(b + 1), 2);
      builder.Add(r);
      if (b == 10) {
        r.b_number = "55F";
        r.code2 = "";
        builder.Add(r);
      }
    }
    axe_ = dir_ / "a.dat";
    cdrgen::WriteFile(axe_, builder.Build());
    other_ = dir_ / "other.dat";
    cdrgen::WriteFile(other_, cdrgen::Bytes(5000, 0xFF));
  }
  std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

  fs::path dir_, axe_, other_;
};

TEST_F(CommandLineTest, ExtractWritesEveryRecordByteForByte) {
  const auto out = dir_ / "out.txt";
  const Outcome r = RunPardel("extract -o " + Q(out) + " " + Q(axe_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "12 Records Written from 1 Files\n");
  std::string expected;
  for (int b = 0; b < 11; ++b) {
    char line[80];
    std::snprintf(line, sizeof line, "2006/11/%02d,23:59:09,2456,9876,%d,3,ROUT01,ROUT02\r\n",
                  b + 1, b);
    expected += line;
  }
  expected += "2006/11/11,23:59:09,2456,55,10,3,ROUT01,\r\n";
  EXPECT_EQ(Slurp(out), expected);
}

TEST_F(CommandLineTest, SkippedFileGivesStatusOneAndStopOnErrorEndsTheRun) {
  const auto out = dir_ / "out.txt";
  Outcome r = RunPardel("extract --quiet -o " + Q(out) + " " + Q(other_) + " " + Q(axe_));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "pardel: " + other_.string() +
                       ": The Input File Selected is not AXE Data File. Do you want to continue "
                       "with other Files? Yes\n");
  const std::string text = Slurp(out);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);

  // Nothing was extracted before the No: the earlier output stays.
  r = RunPardel("extract --stop-on-error -o " + Q(out) + " " + Q(other_) + " " + Q(axe_));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Slurp(out), text);
}

TEST_F(CommandLineTest, SampleWritesAtMostFiftyLines) {
  const auto big = dir_ / "big.dat";
  cdrgen::WriteFile(big, cdrgen::AxeSampleFile(20, 3));
  const auto out = dir_ / "sample.txt";
  const Outcome r = RunPardel("sample -o " + Q(out) + " " + Q(big));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string text = Slurp(out);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 50);
}

TEST_F(CommandLineTest, UsageAndFailuresGiveStatusTwo) {
  EXPECT_EQ(RunPardel("extract " + Q(axe_)).status, 2);
  EXPECT_EQ(RunPardel("extract -o x.txt").status, 2);
  EXPECT_EQ(RunPardel("frobnicate").status, 2);
  const Outcome missing_folder =
      RunPardel("extract -o " + Q(dir_ / "no" / "out.txt") + " " + Q(axe_));
  EXPECT_EQ(missing_folder.status, 2);
  EXPECT_NE(missing_folder.err.find("No such file or directory"), std::string::npos);
  const Outcome full = RunPardel("extract -o /dev/full " + Q(axe_));
  EXPECT_EQ(full.status, 2);
  EXPECT_NE(full.err.find("No space left on device"), std::string::npos);
  EXPECT_EQ(full.err.find("Records Written"), std::string::npos);
  EXPECT_EQ(RunPardel("--version").status, 0);
  EXPECT_EQ(RunPardel("--help").status, 0);
}

}  // namespace
