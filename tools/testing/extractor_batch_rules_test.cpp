// What every extractor's command line promises about its output, through the
// built program: an existing output survives a run that fails or refuses its
// only input; Ctrl-C stops after whole lines and says so, a second Ctrl-C
// ends at once keeping the old output; no temporary file is ever left; "-o -"
// streams to standard output; every command has its own --help; without a
// display the window is not tried. Compiled into every extractor's
// command-line tests with the definitions of extractor_failing_disk_test.cpp
// and
//   BATCH_RULES_SUITE     the suite's name (VantorBatchRules ...)
//   BATCH_RULES_COMMANDS  the program's commands, blank-separated
//   BATCH_RULES_REFUSES   1 when the program refuses a foreign file
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cdrgen/large_files.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Finished {
  int status = -1;  // -1: killed by a signal (a crash)
  std::string out;
  std::string err;
};

class BATCH_RULES_SUITE : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() / (std::string(FAILING_DISK_PROGRAM) + "_rules_" +
                                        std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    input_ = dir_ / "in.dat";
    cdrgen::WriteSampleFile(FAILING_DISK_FORMAT, input_, FAILING_DISK_SIZE, 3);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static std::string Q(const fs::path& path) { return "'" + path.string() + "'"; }

  Finished Run(const std::string& arguments, const std::string& environment = "") {
    const fs::path out = dir_ / "stdout.txt";
    const fs::path err = dir_ / "stderr.txt";
    const std::string command = environment + " " + std::string(FAILING_DISK_EXE) + " " +
                                arguments + " >" + Q(out) + " 2>" + Q(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    Finished finished;
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    finished.out = ReadAll(out);
    finished.err = ReadAll(err);
    fs::remove(out);
    fs::remove(err);
    return finished;
  }

  // Files in the folder whose names say they are temporary outputs.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".part") != std::string::npos || name.find(".tmp") != std::string::npos)
        found.push_back(name);
    }
    return found;
  }

  // Starts an extraction of many copies of the input, waits until it writes
  // its temporary output, sends the signals and waits for its end.
  Finished Interrupt(const fs::path& output, const std::vector<int>& signals) {
    std::vector<std::string> args = {FAILING_DISK_EXE, "extract", "-o", output.string()};
    for (int i = 0; i < 400; ++i) args.push_back(input_.string());
    const fs::path err = dir_ / "interrupted.txt";
    const pid_t child = ::fork();
    if (child == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      std::freopen(err.c_str(), "w", stderr);
      std::freopen("/dev/null", "r", stdin);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      bool writing = false;
      for (const std::string& name : Leftovers()) {
        std::error_code ec;
        if (fs::file_size(dir_ / name, ec) > 0) writing = true;
      }
      if (writing) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int signal : signals) ::kill(child, signal);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    Finished finished;
    finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    finished.err = ReadAll(err);
    fs::remove(err);
    return finished;
  }

  fs::path dir_;
  fs::path input_;
};

TEST_F(BATCH_RULES_SUITE, AnExistingOutputSurvivesARunThatWritesNothing) {
  const fs::path previous = dir_ / "prev.txt";
  { std::ofstream(previous) << "keep\n"; }
  const Finished missing = Run("extract -o " + Q(previous) + " " + Q(dir_ / "missing.dat"));
  EXPECT_EQ(missing.status, 2) << missing.err;
  EXPECT_NE(missing.err.find("missing.dat"), std::string::npos) << missing.err;
  EXPECT_EQ(ReadAll(previous), "keep\n");
  EXPECT_TRUE(Leftovers().empty());
  if (BATCH_RULES_REFUSES) {
    const fs::path foreign = dir_ / "notes.txt";
    { std::ofstream(foreign) << std::string(30000, 'x'); }
    const Finished refused = Run("extract -o " + Q(previous) + " " + Q(foreign));
    EXPECT_GE(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("notes.txt"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadAll(previous), "keep\n");
    EXPECT_TRUE(Leftovers().empty());
  }
}

TEST_F(BATCH_RULES_SUITE, CtrlCKeepsWholeLinesAndSaysHowManyWereWritten) {
  const fs::path output = dir_ / "out.txt";
  const Finished stopped = Interrupt(output, {SIGINT});
  EXPECT_EQ(stopped.status, 1) << stopped.err;
  EXPECT_NE(stopped.err.find("stopped"), std::string::npos) << stopped.err;
  const std::string text = ReadAll(output);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(BATCH_RULES_SUITE, ASecondSignalEndsAtOnceAndKeepsTheOldOutput) {
  const fs::path previous = dir_ / "prev.txt";
  { std::ofstream(previous) << "keep\n"; }
  const Finished ended = Interrupt(previous, {SIGINT, SIGTERM});
  EXPECT_EQ(ended.status, 1) << ended.err;
  EXPECT_EQ(ReadAll(previous), "keep\n");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(BATCH_RULES_SUITE, DashStreamsTheLinesToStandardOutput) {
  const Finished to_file = Run("extract --quiet -o " + Q(dir_ / "out.txt") + " " + Q(input_));
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  const Finished streamed = Run("extract --quiet -o - " + Q(input_));
  EXPECT_EQ(streamed.status, 0) << streamed.err;
  EXPECT_TRUE(streamed.out == ReadAll(dir_ / "out.txt"))  // not printed: megabytes
      << streamed.out.size() << " bytes streamed";
  EXPECT_FALSE(fs::exists(dir_ / "-"));
}

TEST_F(BATCH_RULES_SUITE, EveryCommandHasItsOwnHelpAndNoDisplayMeansNoWindow) {
  std::istringstream commands(BATCH_RULES_COMMANDS);
  for (std::string command; commands >> command;) {
    const Finished help = Run(command + " --help");
    EXPECT_EQ(help.status, 0) << command << ": " << help.err;
    EXPECT_NE(help.out.find(command), std::string::npos) << help.out;
  }
  const Finished unknown = Run("extrakt " + Q(input_));
  EXPECT_EQ(unknown.status, 2);
  const Finished headless = Run("", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(headless.status, 2) << headless.err;
  EXPECT_NE(headless.err.find("display"), std::string::npos) << headless.err;
}

}  // namespace
