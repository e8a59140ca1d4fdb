#include "pardel/extraction_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "cdrgen/axe_builder.h"
#include "platform/numbers.h"

namespace {

using namespace pardel;
namespace fs = std::filesystem;

class ScriptedHost : public Host {
 public:
  Answer ShowMessage(const Message& message) override {
    messages.push_back(message);
    if (message.buttons == Buttons::kOk) return Answer::kOk;
    return answer;
  }
  void SetStatus(const std::string& a, const std::string& b) override {
    status.push_back(a + "|" + b);
  }
  void SetProgress(int value) override {
    progress.push_back(value);
    if (value == shrink_at) std::filesystem::resize_file(shrink, 20 * 2048);
  }
  void OpenInTextViewer(const fs::path& path) override { opened.push_back(path); }
  void SetMessageFile(const std::string& path, const std::string&) override {
    files.push_back(path);
  }
  bool StopRequested() override { return ++stop_questions == stop_at; }

  Answer answer = Answer::kYes;
  int shrink_at = -1;  // progress value at which `shrink` loses all but 20 blocks
  fs::path shrink;
  std::vector<Message> messages;
  std::vector<std::string> status;
  std::vector<int> progress;
  std::vector<fs::path> opened;
  std::vector<fs::path> files;
  int stop_questions = 0;
  int stop_at = -1;  // the question answered "stop" (Ctrl-C in batch)
};

class ExtractionRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pardel_run_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  // An AXE file of `records` records of 100 characters, 20 to a block, with
  // at least the eleven blocks the identification looks at.
  fs::path AxeFile(const std::string& name, int records) {
    cdrgen::AxeFileBuilder builder;
    for (int i = 0; i < std::max(records, 11 * 20); ++i) {
      if (i % 20 == 0) builder.NewBlock();
      if (i < records) {
        cdrgen::AxeRecord r;
        r.length = 100;
        r.counter1 = cdrgen::Digits(static_cast<std::uint64_t>(i), 6);
        builder.Add(r);
      } else if (i % 20 == 0) {
        builder.AddText("100");  // a block whose only record is cut short
      }
    }
    const auto path = dir_ / name;
    cdrgen::WriteFile(path, builder.Build());
    return path;
  }

  fs::path NotAxe(const std::string& name) {
    const auto path = dir_ / name;
    cdrgen::WriteFile(path, cdrgen::Bytes(30000, 'Q'));
    return path;
  }

  static std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }

  fs::path dir_;
  ScriptedHost host_;
};

TEST_F(ExtractionRunTest, SampleStopsAtFiftyLinesAndOpensTheViewer) {
  RunRequest request{{AxeFile("a.dat", 120)}, dir_ / "out.txt", true};
  const RunResult result = ExtractionRun(host_).Run(request);
  EXPECT_EQ(result.outcome, RunOutcome::kSampleShown);
  EXPECT_EQ(Lines(request.output).size(), 50u);
  ASSERT_EQ(host_.opened.size(), 1u);
  EXPECT_EQ(host_.opened[0], request.output);
  EXPECT_TRUE(host_.messages.empty());  // no completion message
  EXPECT_EQ(host_.status.back(), "|");
  EXPECT_EQ(host_.progress.back(), 0);
}

TEST_F(ExtractionRunTest, ShortSampleCompletesAndTheNextExtractWritesEverything) {
  const auto file = AxeFile("a.dat", 30);
  RunRequest request{{file}, dir_ / "out.txt", true};
  ExtractionRun run(host_);
  // The nine padding blocks hold one cut record each: 30 + 9 lines.
  RunResult result = run.Run(request);
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "39 Records Written from 1 Files");
  EXPECT_EQ(host_.messages[0].icon, Icon::kInformation);
  EXPECT_TRUE(host_.opened.empty());

  const auto big = AxeFile("b.dat", 120);
  request = {{big}, dir_ / "out.txt", false};
  result = run.Run(request);
  EXPECT_EQ(result.lines_written, 120u + 5u);
  EXPECT_EQ(Lines(request.output).size(), 125u);
  EXPECT_EQ(host_.messages.back().text, "125 Records Written from 1 Files");
}

TEST_F(ExtractionRunTest, FileThatIsNotAxeAnsweredYesIsSkippedButCounted) {
  RunRequest request{{NotAxe("x.dat"), AxeFile("a.dat", 220)}, dir_ / "out.txt", false};
  const RunResult result = ExtractionRun(host_).Run(request);
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(
      host_.messages[0].text,
      "The Input File Selected is not AXE Data File. Do you want to continue with other Files?");
  EXPECT_EQ(host_.messages[0].icon, Icon::kQuestion);
  EXPECT_EQ(host_.messages[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(host_.messages[1].text, "220 Records Written from 2 Files");
  EXPECT_EQ(result.files_skipped, 1);
  EXPECT_EQ(host_.status[0], "1/2|Processing x.dat");
  EXPECT_EQ(host_.status[1], "2/2|Processing a.dat");
}

TEST_F(ExtractionRunTest, FileThatIsNotAxeAnsweredNoEndsTheRunKeepingThePanels) {
  host_.answer = Answer::kNo;
  RunRequest request{{NotAxe("x.dat"), AxeFile("a.dat", 220)}, dir_ / "out.txt", false};
  const RunResult result = ExtractionRun(host_).Run(request);
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.status.back(), "1/2|Processing x.dat");
  EXPECT_TRUE(Lines(request.output).empty());
}

TEST_F(ExtractionRunTest, ProgressOfA409600ByteFileFollowsItsBlocks) {
  const auto file = AxeFile("a.dat", 200 * 20);  // 200 blocks
  ASSERT_EQ(fs::file_size(file), 409600u);
  RunRequest request{{file}, dir_ / "out.txt", false};
  ExtractionRun(host_).Run(request);
  // 0 at the start, then one value per block: block 100 shows 50.
  ASSERT_GE(host_.progress.size(), 101u);
  EXPECT_EQ(host_.progress[0], 0);
  EXPECT_EQ(host_.progress[100], 50);
  EXPECT_EQ(host_.progress[200], 100);
}

TEST_F(ExtractionRunTest, NothingSelectedAndFilesThatCannotBeOpenedOrCreated) {
  ExtractionRun run(host_);
  EXPECT_EQ(run.Run({{}, dir_ / "out.txt", false}).outcome, RunOutcome::kNoFiles);
  EXPECT_EQ(host_.messages.back().text, "Please Select input Files in the List Box");
  EXPECT_FALSE(fs::exists(dir_ / "out.txt"));

  const auto file = AxeFile("a.dat", 20);
  EXPECT_EQ(run.Run({{file}, dir_ / "missing" / "out.txt", false}).outcome, RunOutcome::kFailed);
  EXPECT_EQ(host_.messages.back().text, "Cannot create the output file " +
                                            (dir_ / "missing" / "out.txt").string() +
                                            ": No such file or directory");
  EXPECT_EQ(host_.messages.back().icon, Icon::kError);

  EXPECT_EQ(run.Run({{dir_ / "gone.dat"}, dir_ / "out.txt", false}).outcome, RunOutcome::kFailed);
  EXPECT_NE(host_.messages.back().text.find("gone.dat: No such file or directory"),
            std::string::npos);

  // A full disk is a failure, never a success message.
  if (!fs::exists("/dev/full")) return;
  const std::size_t before = host_.messages.size();
  EXPECT_EQ(run.Run({{file}, "/dev/full", false}).outcome, RunOutcome::kFailed);
  ASSERT_EQ(host_.messages.size(), before + 1);
  EXPECT_EQ(host_.messages.back().text,
            "Cannot write the output file /dev/full: No space left on device");
}

TEST_F(ExtractionRunTest, AFileThatShrinksUnderTheRunEndsItAsFailedReplacingNothing) {
  const auto file = AxeFile("a.dat", 200 * 20);  // 200 blocks
  host_.shrink = file;
  host_.shrink_at = 25;  // after block 50
  cdrgen::WriteFile(dir_ / "out.txt", {'o', 'l', 'd'});
  RunRequest request{{file}, dir_ / "out.txt", false};
  const auto result = ExtractionRun(host_).Run(request);
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  ASSERT_FALSE(host_.messages.empty());
  EXPECT_EQ(host_.messages.back().text, "Cannot read the input file " + file.string() +
                                            ": the file could not be read to its end");
  // The output of a failed run is not trusted: the old one stays, alone.
  EXPECT_EQ(Lines(dir_ / "out.txt"), (std::vector<std::string>{"old"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(ExtractionRunTest, OnlyRefusedFilesReplaceNothingAndAStopKeepsWholeLines) {
  cdrgen::WriteFile(dir_ / "out.txt", {'o', 'l', 'd'});
  RunRequest request{{NotAxe("x.dat")}, dir_ / "out.txt", false};
  EXPECT_EQ(ExtractionRun(host_).Run(request).outcome, RunOutcome::kCompleted);
  EXPECT_EQ(Lines(request.output), (std::vector<std::string>{"old"}));
  EXPECT_EQ(host_.files, (std::vector<fs::path>{dir_ / "x.dat"}));

  const std::size_t messages = host_.messages.size();
  host_.stop_at = 13;  // asked before each file, then after every block
  request.files = {AxeFile("a.dat", 200 * 20)};
  const RunResult stopped = ExtractionRun(host_).Run(request);
  EXPECT_EQ(stopped.outcome, RunOutcome::kInterrupted);
  EXPECT_EQ(stopped.lines_written, 11u * 20);
  EXPECT_EQ(Lines(request.output).size(), 11u * 20);
  EXPECT_EQ(host_.messages.size(), messages);  // no completion message
}

TEST_F(ExtractionRunTest, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
  const auto file = AxeFile("a.dat", 20);
  const auto before = fs::file_size(file);
  ExtractionRun run(host_);
  EXPECT_EQ(run.Run({{file}, file, false}).outcome, RunOutcome::kFailed);
  EXPECT_EQ(host_.messages.back().text,
            "Cannot create the output file " + file.string() + ": it is one of the input files");
  EXPECT_EQ(fs::file_size(file), before);
}

TEST_F(ExtractionRunTest, LayoutCarriesAcrossFilesAndNothingIsReadPastAWholeBlockEnd) {
  cdrgen::AxeFileBuilder builder;
  for (int b = 0; b < 11; ++b) {
    builder.NewBlock();
    cdrgen::AxeRecord r;
    r.length = 100;
    r.shifted = b == 0;
    r.a_number = "123456789012345";
    builder.Add(r);
  }
  const auto first = dir_ / "first.dat";
  cdrgen::WriteFile(first, builder.Build());
  ASSERT_EQ(fs::file_size(first), 11u * 2048u);
  RunRequest request{{first, first}, dir_ / "out.txt", false};
  const RunResult result = ExtractionRun(host_).Run(request);
  EXPECT_EQ(result.lines_written, 22u);
  const auto lines = Lines(request.output);
  ASSERT_EQ(lines.size(), 22u);
  // Every line of both files is read in the shifted layout.
  EXPECT_EQ(lines[0], "2006/11/30,23:59:09,123456789012345,9876,125,3,ROUT01,ROUT02\r");
  EXPECT_EQ(lines[11], "2006/11/30,23:59:09,123456789012345,9876,125,3,ROUT01,ROUT02\r");
}

TEST_F(ExtractionRunTest, UnusualRecordsAmongUsualOnesAndARecordEndingWithTheFile) {
  cdrgen::AxeFileBuilder builder;
  for (int b = 0; b < 11; ++b) {
    builder.NewBlock();
    for (int i = 0; i < 19; ++i) {
      cdrgen::AxeRecord r;
      r.length = 100;
      if (b == 3 && i == 5) r.counter1 = "936e92";  // a damaged counter: a 95-digit number
      if (b == 3 && i == 6) r.counter2 = "  0 7 ";
      builder.Add(r);
    }
    cdrgen::AxeRecord last;  // fills the block to its last byte
    last.length = 148;
    last.code2 = "LAST_" + std::to_string(b);
    builder.Add(last);
  }
  const auto path = dir_ / "full.dat";
  cdrgen::WriteFile(path, builder.Build());
  ASSERT_EQ(fs::file_size(path), 11u * 2048u);
  RunRequest request{{path}, dir_ / "out.txt", false};
  EXPECT_EQ(ExtractionRun(host_).Run(request).lines_written, 220u);
  const auto lines = Lines(request.output);
  ASSERT_EQ(lines.size(), 220u);
  const std::string usual = "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,ROUT02\r";
  EXPECT_EQ(lines[0], usual);
  // The double nearest 936e92, written out in full.
  const std::string huge = platform::ShortestDecimal(platform::LeadingNumber("936e92"), 6);
  EXPECT_EQ(huge.size(), 95u);
  EXPECT_EQ(lines[65], "2006/11/30,23:59:09,2456,9876," + huge + ",3,ROUT01,ROUT02\r");
  EXPECT_EQ(lines[66], "2006/11/30,23:59:09,2456,9876,125,7,ROUT01,ROUT02\r");
  EXPECT_EQ(lines[67], usual);
  EXPECT_EQ(lines[219], "2006/11/30,23:59:09,2456,9876,125,3,ROUT01,LAST_10\r");
}

// The database as Python's sqlite3 module reads it: every file and every
// call, without the moment of loading.
std::string DatabaseContents(const fs::path& db) {
  const fs::path script = db.parent_path() / "dump.py";
  const fs::path out = db.parent_path() / "dump.txt";
  std::ofstream(script)
      << "import sqlite3, sys\n"
         "c = sqlite3.connect(sys.argv[1])\n"
         "for r in c.execute('SELECT id, path, records, first_call, last_call'\n"
         "                   ' FROM files ORDER BY id'): print(r)\n"
         "for r in c.execute('SELECT * FROM axe_calls ORDER BY file_id, record_no'):"
         " print(r)\n";
  const std::string command =
      "/usr/bin/python3 '" + script.string() + "' '" + db.string() + "' >'" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(out);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A database keeps whole files: a file stopped or failing halfway leaves the
// database as it was before that file, the files before it stay loaded.
TEST_F(ExtractionRunTest, ADatabaseKeepsWholeFilesOnly) {
#if defined(SUITE_NO_DATABASES)
  GTEST_SKIP() << "a build without SQLite";
#endif
  const fs::path db = dir_ / "calls.sqlite";
  const OutputChoice sqlite{platform::OutputFormat::kSqlite, ""};
  const auto a = AxeFile("a.dat", 300);
  const auto b = AxeFile("b.dat", 200 * 20);
  RunResult result = ExtractionRun(host_).Run({{a}, db, false}, sqlite);
  ASSERT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(host_.messages.back().text, "300 Records Loaded from 1 Files into " + db.string());
  const std::string loaded = DatabaseContents(db);
  EXPECT_NE(loaded.find(", 300, '2006-11-30T23:59:09', '2006-11-30T23:59:09')"), std::string::npos);

  // Ctrl-C within b: a is loaded again, b leaves nothing. Asked before
  // each file and after every block: a has 15 blocks, b 200.
  host_.stop_questions = 0;
  host_.stop_at = 1 + 15 + 1 + 12;
  result = ExtractionRun(host_).Run({{a, b}, db, false}, sqlite);
  EXPECT_EQ(result.outcome, RunOutcome::kInterrupted);
  EXPECT_EQ(result.files_loaded, 1);
  EXPECT_EQ(result.lines_written, 300u);
  EXPECT_TRUE(DatabaseContents(db) == loaded);

  // b shrinks under the run: a failure, b leaves nothing.
  host_.stop_at = -1;
  host_.shrink = b;
  host_.shrink_at = 25;
  result = ExtractionRun(host_).Run({{b}, db, false}, sqlite);
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(host_.messages.back().text,
            "Cannot read the input file " + b.string() + ": the file could not be read to its end");
  EXPECT_TRUE(DatabaseContents(db) == loaded);

  // Databases it cannot use are refused before any file is read, untouched.
  auto refused = [&](const fs::path& path, const std::string& reason) {
    const std::string before = Bytes(path);
    host_.files.clear();
    EXPECT_EQ(ExtractionRun(host_).Run({{a}, path, false}, sqlite).outcome, RunOutcome::kFailed);
    EXPECT_EQ(host_.messages.back().text,
              "Cannot use the database " + path.string() + ": " + reason);
    EXPECT_TRUE(host_.files.empty());
    EXPECT_EQ(Bytes(path), before);
  };
  const fs::path lines = dir_ / "calls.txt";
  cdrgen::WriteFile(lines, {'2', '0', '0', '6', '\r', '\n'});
  refused(lines, "not a SQLite database");
  const fs::path other = dir_ / "other.sqlite";
  const std::string make = "/usr/bin/python3 -c \"import sqlite3; c = sqlite3.connect('" +
                           other.string() +
                           "'); c.execute('CREATE TABLE axe_calls (a_number TEXT)'); c.commit()\"";
  ASSERT_EQ(std::system(make.c_str()), 0);
  refused(other, "the table axe_calls has other columns than this program writes");
  refused(a, "it is one of the input files");
}

// ---- Runs on several workers: the same bytes and the same things shown as
// one worker, whatever the files, answers and stops.

// Everything a run shows, in order, as text; answers and stops as told.
class TranscriptHost : public Host {
 public:
  Answer ShowMessage(const Message& message) override {
    log += "message " + message.text + "\n";
    return message.buttons == Buttons::kOk ? Answer::kOk : answer;
  }
  void SetStatus(const std::string& a, const std::string& b) override {
    log += "status " + a + "|" + b + "\n";
  }
  void SetProgress(int value) override { log += "progress " + std::to_string(value) + "\n"; }
  void OpenInTextViewer(const fs::path& path) override { log += "viewer " + path.string() + "\n"; }
  void SetMessageFile(const std::string& path, const std::string&) override {
    log += "file " + path + "\n";
  }
  bool StopRequested() override {
    log += "stop?\n";
    return ++stop_questions == stop_at;
  }

  std::string log;
  Answer answer = Answer::kYes;
  int stop_at = -1;
  int stop_questions = 0;
};

std::string Contents(const fs::path& path) {
  if (!fs::exists(path)) return "(no output)";
  return Bytes(path);
}

// The output and everything shown by a run on `workers` workers cutting
// files into stretches of `stretch` bytes.
std::string RunOn(RunRequest request, const OutputChoice& choice, unsigned workers,
                  std::uint64_t stretch, Answer answer = Answer::kYes, int stop_at = -1) {
  TranscriptHost host;
  host.answer = answer;
  host.stop_at = stop_at;
  request.workers = workers;
  request.stretch_bytes = stretch;
  fs::remove(request.output);
  const RunResult result = ExtractionRun(host).Run(request, choice);
  return host.log + "outcome " + std::to_string(static_cast<int>(result.outcome)) + " lines " +
         std::to_string(result.lines_written) + " opened " + std::to_string(result.files_opened) +
         " skipped " + std::to_string(result.files_skipped) + "\n" + Contents(request.output);
}

class ParallelRun : public ExtractionRunTest {
 protected:
  fs::path Sample(const std::string& name, std::size_t blocks, std::uint64_t seed) {
    const auto path = dir_ / name;
    cdrgen::WriteFile(path, cdrgen::AxeSampleFile(blocks, seed));
    return path;
  }

  // One worker, then three taking whole files, then three taking
  // stretches of one and of three blocks: all alike.
  void ExpectAlike(const RunRequest& request, const OutputChoice& choice,
                   Answer answer = Answer::kYes, int stop_at = -1) {
    const std::string one = RunOn(request, choice, 1, kStretchBytes, answer, stop_at);
    for (const std::uint64_t stretch : {kStretchBytes, std::uint64_t{2048}, std::uint64_t{6000}}) {
      EXPECT_TRUE(RunOn(request, choice, 3, stretch, answer, stop_at) == one)
          << "stretch " << stretch << " format " << static_cast<int>(choice.format) << " stop "
          << stop_at << " sample " << request.sample;
    }
  }
};

// The first file's first record chooses the shifted layout for the files
// after it, whose own first records would not; one file is no AXE file.
TEST_F(ParallelRun, SeveralFilesWithQuestionsAndStopsGiveWhatOneWorkerGives) {
  cdrgen::AxeFileBuilder shifted;
  for (int b = 0; b < 12; ++b) {
    shifted.NewBlock();
    cdrgen::AxeRecord r;
    r.shifted = b == 0;
    r.a_number = "123456789012345";
    shifted.Add(r).Add(cdrgen::AxeRecord{});
  }
  cdrgen::WriteFile(dir_ / "shifted.dat", shifted.Build());
  RunRequest request{{dir_ / "shifted.dat", Sample("a.dat", 30, 1), NotAxe("x.dat"),
                      Sample("b.dat", 14, 2), Sample("c.dat", 25, 3), Sample("d.dat", 12, 4)},
                     dir_ / "out.txt",
                     false};
  for (const auto format : {platform::OutputFormat::kText, platform::OutputFormat::kCsv,
                            platform::OutputFormat::kJsonl}) {
    const OutputChoice choice{format, ""};
    for (const bool sample : {false, true}) {
      request.sample = sample;
      ExpectAlike(request, choice);
      ExpectAlike(request, choice, Answer::kNo);
      // Asked before each file and after every block: stops before the
      // first file, within it, at a file's last block, within later files.
      for (const int stop_at : {1, 2, 13, 14, 40, 58, 90})
        ExpectAlike(request, choice, Answer::kYes, stop_at);
    }
  }
  // Without the first file each file chooses for itself.
  request.files.erase(request.files.begin());
  request.sample = false;
  ExpectAlike(request, {platform::OutputFormat::kText, ""});
  // A file that cannot be opened mid-run ends it, replacing nothing.
  request.files.insert(request.files.begin() + 2, dir_ / "gone.dat");
  cdrgen::WriteFile(request.output, {'o', 'l', 'd'});
  ExpectAlike(request, {platform::OutputFormat::kCsv, ""});
}

// Damaged files cut into stretches as small as a block: every record,
// layout and record number as a whole run reads them.
TEST_F(ParallelRun, DamagedFilesCutIntoStretchesGiveWhatOneWorkerGives) {
  std::vector<fs::path> files;
  for (const char* corpus : {"axe_decoder", "detect_axe"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(PARDEL_CORPUS) / corpus))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 4u);
  std::mt19937 random(18);
  RunRequest request{{}, dir_ / "out.txt", false};
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string bytes = Bytes(files[i]);
    for (int copy = 0; copy < 6; ++copy) {
      std::string damaged = bytes;
      for (int flip = 0; flip < 1 + copy * 3 && !damaged.empty(); ++flip) {
        const std::size_t at = random() % damaged.size();
        damaged[at] = static_cast<char>(damaged[at] ^ static_cast<char>(1 + random() % 255));
      }
      const fs::path path = dir_ / ("damaged" + std::to_string(i) + "_" + std::to_string(copy));
      std::ofstream(path, std::ios::binary) << damaged;
      request.files.push_back(path);
    }
  }
  for (const auto format : {platform::OutputFormat::kText, platform::OutputFormat::kCsv,
                            platform::OutputFormat::kJsonl})
    ExpectAlike(request, {format, ""});
}

}  // namespace
