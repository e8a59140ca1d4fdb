#include "vantor/extraction_run.h"

#include <gtest/gtest.h>

#include "cdrgen/ewsd_builder.h"
#include "fake_host.h"
#include "temp_folder.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using testing::FakeHost;
using testing::Join;
using testing::ReadAll;
using testing::TempFolder;

EwsdRecord Call(int minute, const std::string& called) {
  EwsdRecord record;
  record.Owner("2244" + std::to_string(1000 + minute))
      .DateTime(6, 1, 2, 10, minute, 0, static_cast<std::uint32_t>(60 + minute))
      .Called(called)
      .Units(static_cast<std::uint32_t>(minute))
      .OutgoingTrunk("OG1", 5)
      .IncomingTrunk("IC2", 6)
      .ConnectionId(static_cast<std::uint32_t>(900 + minute));
  return record;
}

class VantorExtractionRunTest : public ::testing::Test {
 protected:
  RunResult Run(std::vector<std::string> inputs,
                std::vector<int> columns = {1, 2, 3, 4, 5, 6, 7, 8, 11}) {
    return run_.StartExtraction({output_, std::move(columns), std::move(inputs)});
  }
  const Message& LastMessage() const { return host_.messages.back(); }

  TempFolder folder_;
  FakeHost host_;
  ExtractionRun run_{host_};
  std::string output_ = folder_.File("out.txt");
};

TEST_F(VantorExtractionRunTest, RecordWithoutTimeIsCountedButNotWritten) {
  const std::string input = folder_.Write(
      "a.bin",
      Join({Call(1, "555").Build(), cdrgen::EwsdBlock(20), Call(2, "556").Build(),
            EwsdRecord().Units(3).Build(), cdrgen::EwsdEmptyUnit(), Call(4, "557").Build()}));
  const RunResult result = Run({input}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 11});
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(result.lines_written, 3);
  EXPECT_EQ(ReadAll(output_),
            "1,2006-01-02,10:01:00,22441001,555,61,1,OG1,IC2,901\r\n"
            "2,2006-01-02,10:02:00,22441002,556,62,2,OG1,IC2,902\r\n"
            "3,2006-01-02,10:04:00,22441004,557,64,4,OG1,IC2,904\r\n");
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(LastMessage().text, "3 Records Have Been Written from 1File");
  EXPECT_EQ(LastMessage().title, "Extraction Completed");
  EXPECT_EQ(LastMessage().icon, MessageIcon::kInformation);
  EXPECT_EQ(host_.status.front(), "Processing File  " + input);
  EXPECT_EQ(host_.status.back(), "");
  EXPECT_EQ(host_.run_progress.back(), 0);
}

TEST_F(VantorExtractionRunTest, UnwrittenRecordLeavesItsValuesForTheNext) {
  const std::string input = folder_.Write(
      "a.bin", Join({EwsdRecord().DateTime(6, 1, 2, 3, 4, 5, 0).Build(),     // no 101
                     EwsdRecord().Called("777").Units(9).Build(),            // no 100
                     EwsdRecord().DateTime(6, 1, 2, 3, 4, 6, 0).Build(),     // takes 777
                     EwsdRecord().DateTime(6, 1, 2, 3, 4, 7, 0).Build()}));  // cleared again
  Run({input}, {0, 4});
  EXPECT_EQ(ReadAll(output_), "1,\r\n2,777\r\n3,\r\n");
}

TEST_F(VantorExtractionRunTest, ValuesAreTrimmedAndEmptyColumnListWritesTheNumber) {
  const std::string input = folder_.Write(
      "a.bin", EwsdRecord().DateTime(6, 1, 2, 3, 4, 5, 0).OutgoingTrunk(" G 1", 2).Build());
  Run({input}, {7, 9});
  EXPECT_EQ(ReadAll(output_), "G 1,2\r\n");
  Run({input}, {});
  EXPECT_EQ(ReadAll(output_), "1\r\n");
  // A column given twice (not from the window or the command line, which
  // list each once) shows its value twice.
  Run({input}, {2, 7, 2});
  EXPECT_EQ(ReadAll(output_), "03:04:05,G 1,03:04:05\r\n");
}

TEST_F(VantorExtractionRunTest, NumberingContinuesAcrossFiles) {
  const std::string a = folder_.Write("a.bin", Join({Call(1, "1").Build(), Call(2, "2").Build()}));
  const std::string b = folder_.Write("b.bin", Call(3, "3").Build());
  const RunResult result = Run({a, b}, {0, 4});
  EXPECT_EQ(result.lines_written, 3);
  EXPECT_EQ(ReadAll(output_), "1,1\r\n2,2\r\n3,3\r\n");
  EXPECT_EQ(LastMessage().text, "3 Records Have Been Written from 2 Files");
}

TEST_F(VantorExtractionRunTest, InvalidSecondFileAnsweredNoEndsTheRun) {
  const std::string a = folder_.Write("a.bin", Call(1, "1").Build());
  const std::string bad = folder_.Write("bad.bin", EwsdRecord().Raw(Bytes{50, 0}).Build());
  const std::string c = folder_.Write("c.bin", Call(3, "3").Build());
  host_.answers = {MessageAnswer::kNo};
  const RunResult result = Run({a, bad, c}, {0, 4});
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(ReadAll(output_), "1,1\r\n");
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(host_.messages[0].text.rfind(bad, 0), 0u);
  EXPECT_EQ(LastMessage().text, "1 Records Have Been Written from 3 Files");
  EXPECT_EQ(host_.status.size(), 3u);  // the third file was never started
}

TEST_F(VantorExtractionRunTest, InvalidSecondFileAnsweredYesGoesOn) {
  const std::string a = folder_.Write("a.bin", Call(1, "1").Build());
  const std::string bad = folder_.Write("bad.bin", EwsdRecord().Raw(Bytes{201, 0}).Build());
  const std::string c = folder_.Write("c.bin", Call(3, "3").Build());
  host_.answers = {MessageAnswer::kYes};
  const RunResult result = Run({a, bad, c}, {0, 4});
  EXPECT_EQ(result.outcome, RunOutcome::kFilesSkipped);
  EXPECT_EQ(ReadAll(output_), "1,1\r\n2,3\r\n");
  EXPECT_EQ(LastMessage().text, "2 Records Have Been Written from 3 Files");
}

TEST_F(VantorExtractionRunTest, UnsupportedPackageEndsTheRunWithTheCount) {
  const std::string a =
      folder_.Write("a.bin", Join({Call(1, "1").Build(), Call(2, "2").Raw(Bytes{115, 0}).Build()}));
  const std::string b = folder_.Write("b.bin", Call(3, "3").Build());
  const RunResult result = Run({a, b}, {0});
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(ReadAll(output_), "1\r\n");
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0].title, "Contact The Programmer");
  EXPECT_EQ(LastMessage().text, "1 Records Have Been Written from 2 Files");
}

TEST_F(VantorExtractionRunTest, CancelAnsweredYesMidFileStopsAfterIt) {
  Bytes file;
  for (int i = 0; i < 10; ++i) cdrgen::Append(file, Call(i, "1").Build());
  const std::string a = folder_.Write("a.bin", file);
  const std::string b = folder_.Write("b.bin", file);
  host_.on_pump = [&](int pumps) {
    if (pumps == 4) {
      EXPECT_TRUE(run_.RequestTermination());
    }
  };
  host_.answers = {MessageAnswer::kYes};
  const RunResult result = Run({a, b}, {0});
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(result.lines_written, 4);
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0].text, "Do you Want to Terminate Extraction");
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(LastMessage().text, "4 Records Have Been Written from 2 Files");
  EXPECT_FALSE(run_.Busy());
  EXPECT_FALSE(run_.RequestTermination());  // idle: the window closes instead
}

TEST_F(VantorExtractionRunTest, CancelAnsweredNoChangesNothing) {
  Bytes file;
  for (int i = 0; i < 5; ++i) cdrgen::Append(file, Call(i, "1").Build());
  const std::string a = folder_.Write("a.bin", file);
  host_.on_pump = [&](int pumps) {
    if (pumps == 2) run_.RequestTermination();
    // A second Extract while busy is ignored.
    if (pumps == 3) {
      EXPECT_EQ(Run({a}).outcome, RunOutcome::kIgnored);
    }
  };
  host_.answers = {MessageAnswer::kNo};
  EXPECT_EQ(Run({a}, {0}).lines_written, 5);
}

TEST_F(VantorExtractionRunTest, MissingSettingsAreReported) {
  EXPECT_EQ(run_.StartExtraction({"", {1}, {"x"}}).outcome, RunOutcome::kMissingOutput);
  EXPECT_EQ(LastMessage().text, "Please Enter a Valid Output File Name");
  EXPECT_EQ(LastMessage().title, "Data Missing");
  EXPECT_EQ(LastMessage().icon, MessageIcon::kInformation);
  EXPECT_EQ(Run({}).outcome, RunOutcome::kNoInput);
  EXPECT_EQ(LastMessage().text, "Please Select Atleast one file in the File List Box to Proceed");
  EXPECT_EQ(LastMessage().icon, MessageIcon::kError);
  EXPECT_FALSE(std::filesystem::exists(output_));
}

TEST_F(VantorExtractionRunTest, OutputThatCannotBeCreatedEndsTheRunWithoutSuccess) {
  const std::string a = folder_.Write("a.bin", Call(1, "1").Build());
  const std::string output = folder_.File("no/such/folder/out.txt");
  const RunResult result = run_.StartExtraction({output, {0}, {a}});
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(LastMessage().text.find(output), std::string::npos);
  EXPECT_EQ(LastMessage().icon, MessageIcon::kError);
}

TEST_F(VantorExtractionRunTest, OutputThatIsAnInputIsRefusedBeforeEmptyingIt) {
  const Bytes data = Call(1, "1").Build();
  const std::string a = folder_.Write("a.bin", data);
  const RunResult result = run_.StartExtraction({a, {0}, {folder_.File("./a.bin")}});
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(LastMessage().text, "The output file " + a +
                                    " is one of the input files. Please choose another output "
                                    "file name.");
  EXPECT_EQ(ReadAll(a), std::string(data.begin(), data.end()));
}

TEST_F(VantorExtractionRunTest, InputThatCannotBeOpenedEndsTheRunWithoutSuccess) {
  const std::string a = folder_.Write("a.bin", Call(1, "1").Build());
  const std::string missing = folder_.File("missing.bin");
  const RunResult result = Run({a, missing, a}, {0});
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(LastMessage().text.find(missing), std::string::npos);
  EXPECT_FALSE(run_.Busy());
  // A later run works again.
  EXPECT_EQ(Run({a}, {0}).outcome, RunOutcome::kCompleted);
}

TEST_F(VantorExtractionRunTest, FailedWriteIsNeverReportedAsSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string a = folder_.Write("a.bin", Call(1, "1").Build());
  const RunResult result = run_.StartExtraction({"/dev/full", {0}, {a}});
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(LastMessage().text,
            "The output file could not be written: /dev/full: No space left on device");
  EXPECT_EQ(LastMessage().icon, MessageIcon::kError);
}

// A write that fails in the middle of a long run (the buffer handed over at
// its first megabyte) ends the run there, with the reason and no success.
TEST_F(VantorExtractionRunTest, WriteFailingMidRunEndsIt) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::size_t records = 0;
  const std::string a = folder_.Write("a.bin", cdrgen::EwsdSampleFile(4u << 20, 9, &records));
  const RunResult result =
      run_.StartExtraction({"/dev/full", {0, 1, 2, 3, 4, 5, 6, 7, 8, 11}, {a}});
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_LT(result.lines_written, static_cast<std::int64_t>(records));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(LastMessage().text,
            "The output file could not be written: /dev/full: No space left on device");
  EXPECT_FALSE(run_.Busy());
}

TEST_F(VantorExtractionRunTest, AbandonEndsSilently) {
  Bytes file;
  for (int i = 0; i < 5; ++i) cdrgen::Append(file, Call(i, "1").Build());
  const std::string a = folder_.Write("a.bin", file);
  host_.on_pump = [&](int pumps) {
    if (pumps == 2) run_.Abandon();
  };
  const RunResult result = Run({a, a}, {0});
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_EQ(result.lines_written, 2);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(ReadAll(output_), "1\r\n2\r\n");
}

TEST_F(VantorExtractionRunTest, ProgressStaysBelowFullUntilTheFileEnds) {
  const std::string a = folder_.Write("a.bin", cdrgen::EwsdSampleFile(30000, 5));
  Run({a}, {0});
  ASSERT_GE(host_.run_progress.size(), 3u);
  for (std::size_t i = 0; i + 2 < host_.run_progress.size(); ++i) {
    EXPECT_LT(host_.run_progress[i], 100);
    if (i > 0) {
      EXPECT_GT(host_.run_progress[i], host_.run_progress[i - 1]);
    }
  }
  EXPECT_EQ(host_.run_progress[host_.run_progress.size() - 2], 100);
  EXPECT_EQ(host_.run_progress.back(), 0);
}

// Records are decoded where they lie in the reader's buffer: one cut by the
// buffer's end, at every position, and one that ends the file must still be
// read whole.
TEST_F(VantorExtractionRunTest, RecordsAcrossTheReadBufferAndAtTheFileEndAreWhole) {
  const Bytes first = Call(1, "5551").Build();
  const Bytes last = Call(2, "5552").Build();
  const std::string expected =
      "1,2006-01-02,10:01:00,22441001,5551,61,1,OG1,IC2,5,6,901\r\n"
      "2,2006-01-02,10:02:00,22441002,5552,62,2,OG1,IC2,5,6,902\r\n";
  const std::size_t buffer = platform::BinaryReader::kDefaultBufferSize;
  for (std::size_t before = buffer - first.size() - 1; before <= buffer + 1; ++before) {
    for (std::size_t between : {0, 300}) {
      Bytes file(before, 0x80);
      cdrgen::Append(file, first);
      cdrgen::Append(file, Bytes(between, 0x80));
      cdrgen::Append(file, last);
      const std::string input = folder_.Write("a.bin", file);
      const RunResult result = Run({input}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
      ASSERT_EQ(result.outcome, RunOutcome::kCompleted) << before << " " << between;
      ASSERT_EQ(ReadAll(output_), expected) << before << " " << between;
    }
  }
}

TEST(VantorCompletionTextTest, OneFileHasNoSpace) {
  EXPECT_EQ(CompletionText(12, 1), "12 Records Have Been Written from 1File");
  EXPECT_EQ(CompletionText(340, 3), "340 Records Have Been Written from 3 Files");
  EXPECT_EQ(CompletionText(0, 60), "0 Records Have Been Written from 60 Files");
}

}  // namespace
}  // namespace vantor
