// Runs on several workers write, ask and end exactly as a run on one.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "cdrgen/ewsd_builder.h"
#include "cdrgen/large_files.h"
#include "fake_host.h"
#include "platform/interrupt.h"
#include "temp_folder.h"
#include "vantor/extraction_run.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using testing::FakeHost;
using testing::Join;
using testing::ReadAll;
using testing::TempFolder;

// Stops the run (as Ctrl-C does) when a file's turn comes.
class StoppingHost : public FakeHost {
 public:
  void SetStatusText(const std::string& text) override {
    FakeHost::SetStatusText(text);
    if (!stop_at.empty() && text == "Processing File  " + stop_at) platform::RequestInterrupt();
  }
  std::string stop_at;
};

struct Seen {
  RunOutcome outcome;
  std::int64_t lines;
  std::string output;
  std::vector<std::string> messages;
};

Seen RunOn(unsigned workers, RunSettings settings, std::deque<MessageAnswer> answers = {},
           const std::string& stop_at = "") {
  StoppingHost host;
  host.answers = std::move(answers);
  ExtractionRun run(host);
  host.stop_at = stop_at;
  settings.workers = workers;
  std::filesystem::remove(settings.output_path);
  const RunResult result = run.StartExtraction(settings);
  platform::ClearInterrupt();
  Seen seen{result.outcome, result.lines_written, ReadAll(settings.output_path), {}};
  for (const Message& message : host.messages) seen.messages.push_back(message.text);
  return seen;
}

void ExpectSameOnThreeWorkers(const RunSettings& settings,
                              const std::deque<MessageAnswer>& answers = {}) {
  const Seen one = RunOn(1, settings, answers);
  const Seen three = RunOn(3, settings, answers);
  EXPECT_EQ(three.outcome, one.outcome);
  EXPECT_EQ(three.lines, one.lines);
  EXPECT_EQ(three.messages, one.messages);
  EXPECT_TRUE(three.output == one.output)
      << "output of " << three.output.size() << " bytes differs from " << one.output.size();
}

Bytes Call(int minute, const std::string& called) {
  return EwsdRecord()
      .Owner("2244" + std::to_string(1000 + minute))
      .DateTime(6, 1, 2, 10, minute, 0, static_cast<std::uint32_t>(60 + minute))
      .Called(called)
      .Units(static_cast<std::uint32_t>(minute))
      .OutgoingTrunk("OG1", 5)
      .ConnectionId(static_cast<std::uint32_t>(900 + minute))
      .Build();
}

class ParallelRun : public ::testing::Test {
 protected:
  std::string Sample(const std::string& name, std::uint64_t size, std::uint64_t seed) {
    const std::string path = folder_.File(name);
    cdrgen::WriteSampleFile("ewsd", path, size, seed);
    return path;
  }
  // Files whose ends leave values for the next file: a record without a
  // time (its called number and units go on), and a record cut short by a
  // bad package after its time (the next file's first record takes it).
  std::vector<std::string> CarryingFiles() {
    return {
        Sample("a.dat", 70000, 1),
        folder_.Write("b.dat", Join({Call(1, "555"), EwsdRecord().Called("777").Units(9).Build()})),
        folder_.Write("c.dat", Join({EwsdRecord().Owner("1").Build(), Call(2, "556")})),
        folder_.Write("d.dat", Join({Call(3, "557"), EwsdRecord()
                                                         .Owner("2")
                                                         .DateTime(7, 3, 4, 5, 6, 7, 8)
                                                         .Raw({0x05, 0x01, 0x02})
                                                         .Build()})),
        folder_.Write("e.dat", Join({EwsdRecord().Called("888").Build(), Call(4, "558")})),
        Sample("f.dat", 3000, 2),
    };
  }
  RunSettings Settings(std::vector<std::string> inputs, std::vector<int> columns,
                       OutputFormat format = OutputFormat::kText) {
    RunSettings settings;
    settings.output_path = folder_.File("out");
    settings.columns = std::move(columns);
    settings.input_paths = std::move(inputs);
    settings.format = format;
    return settings;
  }

  TempFolder folder_;
};

const std::vector<int> kDefaultColumns = {1, 2, 3, 4, 5, 6, 7, 8, 11};
const std::vector<int> kAllColumns = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                      10, 11, 12, 13, 14, 15, 16, 17, 18, 19};

TEST_F(ParallelRun, FilesWithCarriedValuesInEveryFormat) {
  const std::vector<std::string> files = CarryingFiles();
  for (const OutputFormat format : {OutputFormat::kText, OutputFormat::kCsv, OutputFormat::kJsonl})
    for (const auto& columns :
         std::vector<std::vector<int>>{kDefaultColumns, kAllColumns, {}, {0, 4, 6}}) {
      SCOPED_TRACE(static_cast<int>(format));
      SCOPED_TRACE(columns.size());
      ExpectSameOnThreeWorkers(Settings(files, columns, format));
    }
}

TEST_F(ParallelRun, QuestionsStopsAndFailuresComeInFileOrder) {
  std::vector<std::string> files = CarryingFiles();
  files.insert(files.begin() + 2, folder_.Write("text.dat", Bytes(300, 'x')));
  // Answered Yes: the file is skipped; No: the run ends after it.
  ExpectSameOnThreeWorkers(Settings(files, kAllColumns));
  ExpectSameOnThreeWorkers(Settings(files, kAllColumns), {MessageAnswer::kYes, MessageAnswer::kNo});
  // An input that cannot be opened mid-run ends it as a failure.
  files.insert(files.begin() + 4, folder_.File("missing.dat"));
  ExpectSameOnThreeWorkers(Settings(files, {}));
  EXPECT_EQ(RunOn(3, Settings(files, {})).outcome, RunOutcome::kFailed);
  // An unsupported package ends the run where it stands.
  files[4] = folder_.Write("g.dat", Join({Call(5, "559"), EwsdRecord().Raw({150, 0}).Build()}));
  ExpectSameOnThreeWorkers(Settings(files, {0, 2}, OutputFormat::kCsv));
}

// One worker stops after the record being written, several after the file
// being written: the lines so far are kept, and the run says it stopped.
TEST_F(ParallelRun, CtrlCEndsTheRunAfterTheFileBeingWritten) {
  const std::vector<std::string> files = CarryingFiles();
  const Seen one = RunOn(1, Settings(files, kAllColumns), {}, files[5]);
  const Seen three = RunOn(3, Settings(files, kAllColumns), {}, files[5]);
  EXPECT_EQ(one.outcome, RunOutcome::kInterrupted);
  EXPECT_EQ(three.outcome, RunOutcome::kInterrupted);
  EXPECT_EQ(three.messages, one.messages);
  EXPECT_EQ(three.output.compare(0, one.output.size(), one.output), 0);
  EXPECT_LT(one.output.size(), three.output.size());
  EXPECT_TRUE(three.output == RunOn(1, Settings(files, kAllColumns)).output);
}

// Long files cut where a record ends, at small lengths so that small files
// are cut many times: records without a time before a cut hand their values
// over it, serial numbers and record numbers go on across it.
TEST_F(ParallelRun, StretchesOfLongFiles) {
  Bytes carrying;
  for (int i = 0; i < 300; ++i) {
    cdrgen::Append(carrying, Call(i % 60, std::to_string(100 + i)));
    if (i % 3 == 0) cdrgen::Append(carrying, EwsdRecord().Called("9" + std::to_string(i)).Build());
    if (i % 7 == 0) cdrgen::Append(carrying, cdrgen::EwsdBlock(static_cast<std::uint16_t>(40 + i)));
  }
  const std::vector<std::string> files = {
      Sample("a.dat", 2 << 20, 1), folder_.Write("b.dat", carrying), Sample("c.dat", 70000, 2)};
  // The large sample in a few stretches, the small files in many.
  for (const auto& [stretch, inputs] :
       std::vector<std::pair<std::int64_t, std::vector<std::string>>>{
           {std::int64_t{256} << 10, files}, {1500, {files[1], files[2]}}, {997, {files[1]}}})
    for (const OutputFormat format :
         {OutputFormat::kText, OutputFormat::kCsv, OutputFormat::kJsonl})
      for (const auto& columns : std::vector<std::vector<int>>{kDefaultColumns, kAllColumns, {}}) {
        SCOPED_TRACE(stretch);
        RunSettings settings = Settings(inputs, columns, format);
        settings.stretch_bytes = stretch;
        ExpectSameOnThreeWorkers(settings);
      }
}

// Damaged files (cut short, bytes changed) cut in stretches: a message met in
// one ends its file there, as it does for one worker.
TEST_F(ParallelRun, StretchesOfDamagedFiles) {
  std::mt19937 random(18);
  for (const auto& entry : std::filesystem::directory_iterator(VANTOR_WALK_CORPUS)) {
    const std::string seed = ReadAll(entry.path().string());
    for (int i = 0; i < 24; ++i) {
      Bytes damaged(seed.begin(), seed.end());
      damaged.resize(damaged.size() - random() % 200);
      for (int flip = 0; flip < 1 + i % 3; ++flip)
        damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      const std::string file = folder_.Write("damaged.dat", damaged);
      RunSettings settings = Settings({file}, i % 2 == 0 ? kAllColumns : kDefaultColumns,
                                      i % 4 < 2 ? OutputFormat::kText : OutputFormat::kCsv);
      settings.stretch_bytes = 64 + i * 7;
      SCOPED_TRACE(entry.path().filename().string() + " " + std::to_string(i));
      ExpectSameOnThreeWorkers(settings);
      settings.input_paths = {file, file};
      ExpectSameOnThreeWorkers(settings);
    }
  }
}

}  // namespace
}  // namespace vantor
