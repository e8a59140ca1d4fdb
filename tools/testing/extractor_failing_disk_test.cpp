// Failing disks, damaged inputs and an output that is an input, through an
// extractor's built program: each ends with a message naming the file and the
// reason, an exit status that says so, and no input file harmed. Every
// extractor's command-line tests compile this file with
//   FAILING_DISK_SUITE   the test suite's name (PardelFailingDisk ...)
//   FAILING_DISK_EXE     the program, FAILING_DISK_PROGRAM its name
//   FAILING_DISK_FORMAT  the cdrgen format of its sample input, of
//                        FAILING_DISK_SIZE bytes
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdrgen/bytes.h"
#include "cdrgen/large_files.h"

namespace {

namespace fs = std::filesystem;

struct Ended {
  bool exited = false;  // false: killed by a signal (a crash)
  int status = -1;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class FAILING_DISK_SUITE : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() /
           (std::string(FAILING_DISK_PROGRAM) + "_disk_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    input_ = dir_ / "in.dat";
    cdrgen::WriteSampleFile(FAILING_DISK_FORMAT, input_, FAILING_DISK_SIZE, 3);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_ / "ro", fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }

  fs::path Write(const std::string& name, const cdrgen::Bytes& bytes) {
    cdrgen::WriteFile(dir_ / name, bytes);
    return dir_ / name;
  }

  // Runs `PROGRAM extract -o OUT INPUTS` with the answers of a batch run.
  Ended Extract(const fs::path& out, const std::string& inputs) {
    const fs::path err_file = dir_ / "stderr.txt";
    const std::string command = std::string(FAILING_DISK_EXE) + " extract -o '" + out.string() +
                                "' " + inputs + " 2>'" + err_file.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    Ended ended;
    ended.exited = WIFEXITED(raw);
    ended.status = ended.exited ? WEXITSTATUS(raw) : -1;
    ended.err = Slurp(err_file);
    return ended;
  }
  static std::string Q(const fs::path& path) { return "'" + path.string() + "'"; }

  fs::path dir_;
  fs::path input_;
};

TEST_F(FAILING_DISK_SUITE, OutputFolderMissingOrAFileEndsWithStatusTwo) {
  const std::string before = Slurp(input_);
  const Ended missing = Extract(dir_ / "missing" / "out.txt", Q(input_));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("missing/out.txt"), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;

  // A folder in the path that is a file fails for every user, root as well.
  const Ended not_folder = Extract(input_ / "out.txt", Q(input_));
  EXPECT_EQ(not_folder.status, 2);
  EXPECT_NE(not_folder.err.find("in.dat/out.txt"), std::string::npos) << not_folder.err;
  EXPECT_EQ(Slurp(input_), before);
}

TEST_F(FAILING_DISK_SUITE, ReadOnlyFolderEndsWithStatusTwo) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  fs::create_directories(dir_ / "ro");
  fs::permissions(dir_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  const Ended ended = Extract(dir_ / "ro" / "out.txt", Q(input_));
  EXPECT_EQ(ended.status, 2);
  EXPECT_NE(ended.err.find("ro/out.txt"), std::string::npos) << ended.err;
}

TEST_F(FAILING_DISK_SUITE, FullDiskIsAFailureNeverASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Ended ended = Extract("/dev/full", Q(input_));
  EXPECT_EQ(ended.status, 2);
  EXPECT_NE(ended.err.find("/dev/full"), std::string::npos) << ended.err;
  EXPECT_NE(ended.err.find("No space left on device"), std::string::npos) << ended.err;
}

TEST_F(FAILING_DISK_SUITE, OutputThatIsAnInputIsRefusedAndTheInputKept) {
  const std::string before = Slurp(input_);
  const Ended ended = Extract(input_, Q(input_));
  EXPECT_EQ(ended.status, 2);
  EXPECT_NE(ended.err.find("in.dat"), std::string::npos) << ended.err;
  EXPECT_EQ(Slurp(input_), before);
}

TEST_F(FAILING_DISK_SUITE, DamagedInputsEndCleanly) {
  const std::string text = Slurp(input_);
  const cdrgen::Bytes valid(text.begin(), text.end());
  std::vector<fs::path> damaged = {
      Write("empty.dat", {}),
      Write("zeros.dat", cdrgen::Bytes(6144, 0x00)),
      Write("ones.dat", cdrgen::Bytes(6144, 0xFF)),
      Write("blanks.dat", cdrgen::Bytes(6144, 0x40)),
      Write("cut.dat", cdrgen::Bytes(valid.begin(), valid.begin() + 1000)),
  };
  cdrgen::Bytes flipped = valid;
  for (std::size_t i = 7; i < flipped.size(); i += 331) flipped[i] ^= 0x5A;
  damaged.push_back(Write("flipped.dat", flipped));
  for (const fs::path& file : damaged) {
    const auto started = std::chrono::steady_clock::now();
    const Ended ended = Extract(dir_ / "out.txt", Q(file));
    EXPECT_TRUE(ended.exited) << file;
    EXPECT_GE(ended.status, 0) << file;
    EXPECT_LE(ended.status, 2) << file;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << file;
  }
}

TEST_F(FAILING_DISK_SUITE, InputThatIsGoneIsNamed) {
  const Ended ended = Extract(dir_ / "out.txt", Q(dir_ / "gone.dat") + " " + Q(input_));
  EXPECT_GE(ended.status, 1);
  EXPECT_NE(ended.err.find("gone.dat"), std::string::npos) << ended.err;
}

}  // namespace
