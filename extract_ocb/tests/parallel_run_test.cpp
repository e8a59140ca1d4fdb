// Runs on several workers, and files cut into stretches, against the same
// run on one: the output, the messages, the progress and the counts must be
// the same, whatever the files hold and wherever they are cut.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdrgen/ocb_builder.h"
#include "ostrel/extraction_run.h"
#include "test_host.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Stops once the label of file `stop_at_file` (1-based) is shown.
class StoppingHost : public test::ScriptedHost {
 public:
  void SetStatusText(const std::string& text) override {
    ScriptedHost::SetStatusText(text);
    if (!text.empty() && ++files_shown_ == stop_at_file) stop = true;
  }
  int stop_at_file = 0;

 private:
  int files_shown_ = 0;
};

struct Seen {
  ExtractionResult result;
  std::string output;
  std::vector<std::string> shown;
  std::vector<int> progress;
  std::vector<std::string> labels;
};

struct Runs {
  test::TempFolder folder;
  ExtractionRequest request;
  std::deque<MessageAnswer> answers;
  int stop_at_file = 0;
  int run = 0;

  Runs() { request.fields = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}; }
  void Add(const std::string& name, const cdrgen::Bytes& bytes) {
    request.files.push_back(folder.Write(name, bytes));
    request.list_entries = request.files.size();
  }
  Seen Go(unsigned workers, std::uint64_t stretch_bytes) {
    ExtractionRequest own = request;
    own.workers = workers;
    own.stretch_bytes = stretch_bytes;
    own.output_path = (folder.Path() / ("out" + std::to_string(++run))).string();
    { std::ofstream(own.output_path) << "old"; }
    StoppingHost host;
    host.answers = answers;
    host.stop_at_file = stop_at_file;
    Seen seen;
    seen.result = ExtractFiles(own, host);
    seen.output = ReadAll(own.output_path);
    for (const Message& message : host.shown) seen.shown.push_back(message.text);
    seen.progress = host.progress;
    seen.labels = host.labels;
    return seen;
  }
  // Every format on 3 workers, whole and cut at `cuts`, as on one.
  void ExpectAsOneWorker(const std::vector<std::uint64_t>& cuts) {
    for (const OutputFormat format :
         {OutputFormat::kText, OutputFormat::kCsv, OutputFormat::kJsonl}) {
      request.format = format;
      const Seen one = Go(1, kStretchBytes);
      for (const std::uint64_t cut : cuts) {
        const Seen three = Go(3, cut);
        const std::string where =
            "format " + std::to_string(static_cast<int>(format)) + ", cut " + std::to_string(cut);
        EXPECT_EQ(three.output, one.output) << where;
        EXPECT_EQ(three.shown, one.shown) << where;
        EXPECT_EQ(three.progress, one.progress) << where;
        EXPECT_EQ(three.labels, one.labels) << where;
        EXPECT_EQ(three.result.outcome, one.result.outcome) << where;
        EXPECT_EQ(three.result.calls, one.result.calls) << where;
        EXPECT_EQ(three.result.files_taken_up, one.result.files_taken_up) << where;
        EXPECT_EQ(three.result.files_skipped, one.result.files_skipped) << where;
      }
    }
  }
};

cdrgen::Bytes Sample(std::size_t blocks, std::uint64_t seed, cdrgen::OcbFileLayout layout) {
  return cdrgen::OcbSampleFile(blocks * 2048, seed, layout);
}

TEST(ParallelRun, SeveralFilesWithAnInvalidOneAnsweredYes) {
  Runs runs;
  runs.Add("a.dat", Sample(30, 1, cdrgen::OcbFileLayout::kPlain));
  runs.Add("bad.dat", cdrgen::Bytes(5000, 0x11));
  runs.Add("b.dat", Sample(45, 2, cdrgen::OcbFileLayout::kPrefixed));
  runs.Add("short.dat", {0xC6, 0xC4});  // valid, no block
  runs.Add("c.dat", Sample(7, 3, cdrgen::OcbFileLayout::kPlain));
  runs.ExpectAsOneWorker({kStretchBytes, 1, 3 * 2048 + 5, 10 * 2048});
}

TEST(ParallelRun, InvalidFileAnsweredNoEndsTheRunThere) {
  Runs runs;
  runs.Add("a.dat", Sample(20, 1, cdrgen::OcbFileLayout::kPlain));
  runs.Add("bad.dat", cdrgen::Bytes(5000, 0x11));
  runs.Add("b.dat", Sample(20, 2, cdrgen::OcbFileLayout::kPlain));
  runs.answers = {MessageAnswer::kNo};
  runs.ExpectAsOneWorker({kStretchBytes, 2048});
}

TEST(ParallelRun, AFileFailingMidRunKeepsTheOldOutput) {
  Runs runs;
  runs.Add("a.dat", Sample(20, 1, cdrgen::OcbFileLayout::kPlain));
  runs.request.files.push_back((runs.folder.Path() / "missing.dat").string());
  runs.Add("b.dat", Sample(20, 2, cdrgen::OcbFileLayout::kPlain));
  runs.ExpectAsOneWorker({kStretchBytes, 4096});
  EXPECT_EQ(runs.Go(3, 4096).output, "old");
}

// Cut a block a stretch, a stop takes effect where one worker's block by
// block check takes it: after the first block of the file it was asked in.
TEST(ParallelRun, StopMidRunEndsAfterTheSameBlock) {
  Runs runs;
  runs.Add("a.dat", Sample(12, 1, cdrgen::OcbFileLayout::kPlain));
  runs.Add("b.dat", Sample(12, 2, cdrgen::OcbFileLayout::kPrefixed));
  runs.Add("c.dat", Sample(12, 3, cdrgen::OcbFileLayout::kPlain));
  runs.stop_at_file = 2;
  runs.ExpectAsOneWorker({2048});
  EXPECT_EQ(runs.Go(3, 2048).result.outcome, RunOutcome::kStoppedByUser);
}

// Damaged files cut anywhere: broken sequences, stale blocks, short last
// blocks and bytes changed at random give the same lines split as whole.
TEST(ParallelRun, DamagedFilesCutIntoStretches) {
  Runs runs;
  for (const fs::path& seed : fs::directory_iterator(OSTREL_FUZZ_CORPUS)) {
    const std::string text = ReadAll(seed);
    const cdrgen::Bytes bytes(text.begin(), text.end());
    runs.Add(seed.filename().string(), bytes);
    runs.Add("cut-" + seed.filename().string(),
             cdrgen::Bytes(bytes.begin(),
                           bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 2 / 3)));
  }
  cdrgen::Random random(18);
  for (int f = 0; f < 6; ++f) {
    cdrgen::Bytes bytes =
        Sample(40, static_cast<std::uint64_t>(f),
               f % 2 == 0 ? cdrgen::OcbFileLayout::kPlain : cdrgen::OcbFileLayout::kPrefixed);
    for (int i = 0; i < 30; ++i)
      bytes[random.Between(0, bytes.size() - 1)] =
          static_cast<std::uint8_t>(random.Between(0, 255));
    runs.Add("damaged" + std::to_string(f) + ".dat", bytes);
  }
  runs.ExpectAsOneWorker({1, 2 * 2048 + 1, 7 * 2048});
}

}  // namespace
}  // namespace ostrel
