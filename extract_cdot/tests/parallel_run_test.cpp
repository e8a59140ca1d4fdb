// Runs on several workers, over several files and over stretches of one,
// against the same run on one worker: every output byte, every message and
// every count the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cdrgen/cdot_builder.h"
#include "kelvan/extraction_run.h"
#include "test_support.h"

namespace kelvan {
namespace {

using cdrgen::Bytes;
using testing::FixedClock;
using testing::ReadAll;
using testing::RecordingHost;
using testing::TempFolder;

// What a run left: its result, what it said, and every file it wrote.
struct Ending {
  RunResult result;
  std::vector<std::string> messages;
  std::map<std::string, std::string> files;
};

class ParallelRun : public ::testing::Test {
 protected:
  std::filesystem::path Input(const std::string& name, const Bytes& bytes) {
    const auto path = folder_ / name;
    cdrgen::WriteFile(path, bytes);
    return path;
  }

  // The run of `s` into a folder of its own, in which an output of an
  // earlier run waits to be replaced (or kept).
  Ending RunInto(RunSettings s, const std::string& name, RecordingHost host) {
    const auto out = folder_ / name;
    std::filesystem::create_directories(out);
    s.output_file = out / "out.txt";
    s.output_folder = out;
    cdrgen::WriteFile(s.output_file, {'o', 'l', 'd'});
    FixedClock clock;
    clock.times = {{10, 0, 0}};
    Ending ending;
    ending.result = RunExtraction(s, host, clock);
    for (const Message& m : host.messages) ending.messages.push_back(m.text);
    for (const auto& entry : std::filesystem::directory_iterator(out))
      ending.files[entry.path().filename().string()] = ReadAll(entry.path());
    return ending;
  }

  // One worker, then three, with the same host answers.
  void ExpectSameAsOneWorker(RunSettings s, const std::string& what,
                             const RecordingHost& host = RecordingHost()) {
    s.workers = 1;
    const Ending one = RunInto(s, "one", host);
    s.workers = 3;
    const Ending three = RunInto(s, "three", host);
    EXPECT_EQ(three.result.outcome, one.result.outcome) << what;
    EXPECT_EQ(three.result.records_written, one.result.records_written) << what;
    EXPECT_EQ(three.result.files_read, one.result.files_read) << what;
    EXPECT_EQ(three.result.files_skipped, one.result.files_skipped) << what;
    EXPECT_EQ(three.result.files_decoded, one.result.files_decoded) << what;
    EXPECT_EQ(three.messages, one.messages) << what;
    ASSERT_EQ(three.files.size(), one.files.size()) << what;
    for (const auto& [name, text] : one.files) {
      // Not printed when they differ: megabytes.
      EXPECT_TRUE(three.files.at(name) == text) << what << ": " << name;
    }
    std::filesystem::remove_all(folder_ / "one");
    std::filesystem::remove_all(folder_ / "three");
  }

  RunSettings Settings(std::vector<std::filesystem::path> inputs) {
    RunSettings s;
    s.inputs = std::move(inputs);
    s.field_selection = {1, 2, 3, 4, 5, 6, 7, 8};
    return s;
  }

  // Each way of writing: the lines in both layouts (with the area code and
  // a filter), csv and jsonl rows; in one file and in a file per day.
  void ExpectEveryOutputSame(RunSettings s, const std::string& what) {
    for (int variant = 0; variant < 10; ++variant) {
      RunSettings v = s;
      v.multi_file = variant % 2 == 1;
      switch (variant / 2) {
        case 1:
          v.layout = Layout::kFixedWidth;
          v.area_code_on = true;
          v.field_selection = {1, 3, 5, 6};
          break;
        case 2:
          v.delimiter_name = "Tab";
          v.filter_on = true;
          v.filter_field = FilterField::kOTgpId;
          v.filter_value = "1";
          break;
        case 3:
          v.format = platform::OutputFormat::kCsv;
          v.field_selection = {3, 4, 7};
          break;
        case 4:
          v.format = platform::OutputFormat::kJsonl;
          v.area_code_on = true;
          break;
      }
      ExpectSameAsOneWorker(v, what + " variant " + std::to_string(variant));
    }
  }

  TempFolder folder_;
};

// Files of the same days one after the other: a day's file goes on across
// them; a file with no header and no date in its name says so once.
TEST_F(ParallelRun, SeveralFilesGiveTheSameOutputsAsOneWorker) {
  cdrgen::CdotFileBuilder bare;
  for (int i = 0; i < 30; ++i) {
    cdrgen::CdotRecord r;
    r.hour = 19 + i % 3;
    bare.Add(r);
  }
  std::vector<std::filesystem::path> inputs;
  for (int seed = 1; seed <= 4; ++seed)
    inputs.push_back(Input("TGCB0" + std::to_string(seed) + "0305.DAT",
                           cdrgen::CdotSampleFile(static_cast<std::uint64_t>(seed) * 9000, seed)));
  inputs.push_back(Input("TG150606.DAT", bare.Build()));
  inputs.push_back(Input("TGCB070305.DAT", bare.Build()));
  RunSettings s = Settings(inputs);
  ExpectEveryOutputSame(s, "whole files");
  // Cut into stretches of ten records.
  s.stretch_bytes = 500;
  ExpectEveryOutputSame(s, "stretches");
}

// A question answered No, a stop, a file that cannot be read: the run ends
// where and as it ends on one worker.
TEST_F(ParallelRun, NoStopAndFailureEndTheRunAsOnOneWorker) {
  const auto a = Input("a.dat", cdrgen::CdotSampleFile(20000, 1));
  const auto b = Input("b.dat", cdrgen::CdotSampleFile(30000, 2));
  const auto foreign = Input("notes.txt", Bytes(30000, 'x'));
  RecordingHost host;
  host.answer = MessageAnswer::kNo;
  ExpectSameAsOneWorker(Settings({a, b, foreign, a, b}), "No");
  host.answer = MessageAnswer::kYes;
  ExpectSameAsOneWorker(Settings({a, foreign, b}), "Yes");
  ExpectSameAsOneWorker(Settings({foreign}), "only a foreign file");
  // Asked before each file (none has 1024 records): stops before the third.
  host.stop_at = 3;
  ExpectSameAsOneWorker(Settings({a, b, a, b}), "stop");
  host.stop_at = -1;
  ExpectSameAsOneWorker(Settings({a, b, folder_ / "gone.dat", a}), "gone");
}

// Damaged copies of the fuzz seeds: headers anywhere (dated, undated, of
// many days), bytes changed, ends cut; each cut into stretches of every
// size from a record's to the file's.
TEST_F(ParallelRun, DamagedFilesCutAnywhereGiveTheSameOutputs) {
  std::mt19937 random(18);
  std::vector<Bytes> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(KELVAN_SPLIT_CORPUS)) {
    const std::string text = ReadAll(entry.path());
    seeds.emplace_back(text.begin(), text.end());
  }
  ASSERT_FALSE(seeds.empty());
  for (int copy = 0; copy < 6; ++copy) {
    Bytes bytes = seeds[static_cast<std::size_t>(copy) % seeds.size()];
    const auto at = [&](std::size_t size) {
      return static_cast<std::size_t>(random() % (size + 1));
    };
    for (int change = 0; change < 12; ++change) {
      const int kind = static_cast<int>(random() % 4);
      if (kind == 0) {
        // A header at a record position or anywhere, of one of many days
        // or of none.
        std::string date = "0" + std::to_string(1 + random() % 9) + "0305";
        if (random() % 4 == 0) date = "0x0305";
        const Bytes header = cdrgen::CdotSectionHeader(date);
        std::size_t place = at(bytes.size());
        if (random() % 2 == 0 && bytes.size() > 91) place = 91 + (place / 48) * 48;
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(place, bytes.size())),
                     header.begin(), header.end());
      } else if (kind == 1 && !bytes.empty()) {
        bytes[at(bytes.size() - 1)] = static_cast<std::uint8_t>(random());
      } else if (kind == 2 && !bytes.empty()) {
        // Evening hours and their end.
        const std::size_t record = 91 + at(bytes.size() / 48) * 48 + 24;
        if (record < bytes.size()) bytes[record] = static_cast<std::uint8_t>(19 + random() % 3);
      } else if (kind == 3 && copy % 3 == 0) {
        bytes.resize(bytes.size() - at(std::min<std::size_t>(bytes.size(), 200)));
      }
    }
    const std::string name = copy % 2 == 0 ? "TG150606.DAT" : "TGCB070305.DAT";
    const auto input = Input(name, bytes);
    RunSettings s = Settings({input, input});
    for (std::uint64_t cut = 48; cut < bytes.size() + 48; cut += 29 + cut) {
      s.stretch_bytes = cut;
      s.multi_file = cut % 2 == 1;
      s.format = cut % 3 == 0 ? platform::OutputFormat::kCsv : platform::OutputFormat::kText;
      ExpectSameAsOneWorker(s, "copy " + std::to_string(copy) + " cut " + std::to_string(cut));
    }
  }
}

}  // namespace
}  // namespace kelvan
