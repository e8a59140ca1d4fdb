#include "ostrel/extraction_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cdrgen/ocb_builder.h"
#include "test_host.h"

namespace ostrel {
namespace {

using cdrgen::OcbBlockValues;
using cdrgen::OcbFileBuilder;
using cdrgen::OcbRecordValues;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

OcbBlockValues BlockOf(std::size_t calls, std::uint32_t sequence,
                       const std::string& called = "555") {
  OcbBlockValues block;
  block.sequence = sequence;
  for (std::size_t i = 0; i < calls; ++i) {
    OcbRecordValues r;
    r.called = called;
    r.duration = static_cast<std::uint16_t>(i);
    block.records.push_back(r);
  }
  return block;
}

cdrgen::Bytes FileOf(std::size_t blocks, std::size_t last_calls) {
  OcbFileBuilder builder;
  for (std::size_t b = 0; b + 1 < blocks; ++b)
    builder.Add(BlockOf(48, static_cast<std::uint32_t>(b)));
  builder.Add(BlockOf(last_calls, static_cast<std::uint32_t>(blocks - 1)));
  return builder.Build();
}

struct Job {
  test::TempFolder folder;
  test::ScriptedHost host;
  ExtractionRequest request;
  Job() { request.output_path = (folder.Path() / "out.txt").string(); }
  void AddFile(const std::string& name, const cdrgen::Bytes& bytes) {
    request.files.push_back(folder.Write(name, bytes));
    request.list_entries = request.files.size();
  }
  ExtractionResult Go() { return ExtractFiles(request, host); }
  std::string Output() const { return ReadAll(request.output_path); }
};

TEST(ExtractionRun, LineSpacingRuleForAnIntegerFieldLast) {
  OcbFields fields;
  for (int n = 1; n <= ocb::kFieldCount; ++n) fields.Text(n) = std::to_string(n * 10);
  std::string line;
  FormatLine(fields, {8, 18}, line);
  EXPECT_EQ(line, "80, 180 ");
  FormatLine(fields, {18, 8}, line);
  EXPECT_EQ(line, "180,80");
  FormatLine(fields, {8}, line);
  EXPECT_EQ(line, "80");
  FormatLine(fields, {12}, line);
  EXPECT_EQ(line, " 120 ");
  FormatLine(fields, DefaultFieldSelection(), line);
  EXPECT_EQ(line, "40,50,60,80,120,130,140,150");
}

TEST(ExtractionRun, ProgressStepsAndLabels) {
  EXPECT_EQ(ProgressStep(3), 1u);
  EXPECT_EQ(ProgressStep(250), 2u);  // 2.5 to the even 2
  EXPECT_EQ(ProgressStep(350), 4u);  // 3.5 to the even 4
  EXPECT_EQ(ProgressStep(0), 1u);
  const std::string eighty(80, 'a');
  EXPECT_EQ(ProcessingText(eighty), "Processing " + eighty);
  const std::string long_path = std::string(30, 'h') + std::string(21, 'm') + std::string(30, 't');
  ASSERT_EQ(long_path.size(), 81u);
  EXPECT_EQ(ProcessingText(long_path),
            "Processing " + std::string(30, 'h') + "..............." + std::string(30, 't'));
  EXPECT_EQ(ClosingText(1234, 3), "1234 Records Written from 3 Files");
}

TEST(ExtractionRun, WritesEveryCallAndSkipsPaddingOfTheLastBlock) {
  Job run;
  run.request.fields = {8, 12};
  // Block 0 ends in FF slots that are calls here; the last block's are not.
  OcbFileBuilder builder;
  builder.Add(BlockOf(46, 7));
  builder.Add(BlockOf(2, 8));
  run.AddFile("a.dat", builder.Build());
  const ExtractionResult result = run.Go();
  EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(result.calls, 50u);
  const std::string out = run.Output();
  EXPECT_EQ(out.substr(0, 22), "555, 0 \r\n555, 1 \r\n555,");
  EXPECT_NE(out.find("\r\n, 65535 \r\n, 65535 \r\n555, 0 \r\n"), std::string::npos);
  ASSERT_FALSE(run.host.shown.empty());
  EXPECT_EQ(run.host.shown.back().text, "50 Records Written from 1 Files");
  EXPECT_EQ(run.host.shown.back().title, "Ostrel");
  EXPECT_EQ(run.host.shown.back().icon, MessageIcon::kInformation);
  EXPECT_EQ(run.host.progress.back(), 0);
  EXPECT_EQ(run.host.labels.back(), "");
  EXPECT_FALSE(run.host.busy);
}

TEST(ExtractionRun, ProgressMovesOncePerStepAndEndsAtHundred) {
  Job run;
  run.request.fields = {8};
  run.AddFile("a.dat", FileOf(3, 1));
  run.Go();
  EXPECT_EQ(run.host.progress, (std::vector<int>{0, 1, 2, 3, 100, 0}));
  EXPECT_EQ(run.host.pumps, 3);
  Job big;
  big.request.fields = {8};
  big.AddFile("b.dat", FileOf(250, 1));
  big.Go();
  // 250 blocks move the bar every second block: 100 steps, never past 100.
  ASSERT_EQ(big.host.progress.size(), 1u + 100u + 2u);
  EXPECT_EQ(big.host.progress[100], 100);
  EXPECT_EQ(big.host.pumps, 250);
}

TEST(ExtractionRun, InvalidFirstFileAnsweredYesIsSkipped) {
  Job run;
  run.request.fields = {8};
  run.AddFile("bad.dat", cdrgen::Bytes(4000, 0x11));
  run.AddFile("good.dat", FileOf(1, 2));
  run.host.answers = {MessageAnswer::kYes};
  const ExtractionResult result = run.Go();
  ASSERT_EQ(run.host.shown.size(), 2u);
  EXPECT_EQ(run.host.shown[0].text,
            run.request.files[0] + " is not a valid OCB Data File.  Do you Want to continue?");
  EXPECT_EQ(run.host.shown[0].title, "Wrong Data File");
  EXPECT_EQ(run.host.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(run.host.shown[1].text, "2 Records Written from 2 Files");
  EXPECT_EQ(result.files_skipped, 1u);
  EXPECT_EQ(run.Output(), "555\r\n555\r\n");
}

TEST(ExtractionRun, InvalidFirstFileAnsweredNoStopsTheRun) {
  Job run;
  run.request.fields = {8};
  run.AddFile("bad.dat", cdrgen::Bytes(4000, 0x11));
  run.AddFile("good.dat", FileOf(1, 2));
  run.host.answers = {MessageAnswer::kNo};
  const ExtractionResult result = run.Go();
  EXPECT_EQ(result.outcome, RunOutcome::kStoppedAtInvalid);
  EXPECT_EQ(run.host.shown.back().text, "0 Records Written from 1 Files");
  EXPECT_EQ(run.Output(), "");
}

TEST(ExtractionRun, NothingChosenLeavesTheOutputAlone) {
  Job run;
  run.request.fields = {8};
  { std::ofstream(run.request.output_path) << "keep"; }
  run.Go();
  EXPECT_EQ(run.host.shown.back().text, "No Input File Available in the List Box");
  run.request.list_entries = 3;
  run.Go();
  EXPECT_EQ(run.host.shown.back().text, "No Input File Selected in the List Box");
  EXPECT_EQ(run.host.shown.back().icon, MessageIcon::kError);
  run.AddFile("a.dat", FileOf(1, 1));
  run.request.fields.clear();
  EXPECT_EQ(run.Go().outcome, RunOutcome::kNotStarted);
  EXPECT_EQ(run.Output(), "keep");
}

TEST(ExtractionRun, UnopenableFilesEndTheRunWithTheirReason) {
  Job run;
  run.request.fields = {8};
  run.AddFile("a.dat", FileOf(1, 1));
  run.request.files.push_back((run.folder.Path() / "missing.dat").string());
  { std::ofstream(run.request.output_path) << "keep"; }
  EXPECT_EQ(run.Go().outcome, RunOutcome::kFailed);
  EXPECT_NE(run.host.shown.back().text.find("missing.dat: "), std::string::npos);
  EXPECT_EQ(run.Output(), "keep");  // a failed run leaves the old output as it was

  Job no_output;
  no_output.request.fields = {8};
  no_output.AddFile("a.dat", FileOf(1, 1));
  no_output.request.output_path = (no_output.folder.Path() / "no/such/folder.txt").string();
  EXPECT_EQ(no_output.Go().outcome, RunOutcome::kFailed);
  EXPECT_NE(no_output.host.shown.back().text.find("no/such/folder.txt"), std::string::npos);
  EXPECT_EQ(no_output.host.shown.size(), 1u);  // no success message after it
}

TEST(ExtractionRun, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
  Job run;
  run.request.fields = {8};
  run.AddFile("a.dat", FileOf(2, 3));
  run.request.output_path = run.request.files[0];
  const std::string before = ReadAll(run.request.files[0]);
  EXPECT_EQ(run.Go().outcome, RunOutcome::kFailed);
  ASSERT_EQ(run.host.shown.size(), 1u);
  EXPECT_EQ(run.host.shown[0].text, "Cannot create the output file " + run.request.files[0] +
                                        ": it is one of the input files");
  EXPECT_EQ(ReadAll(run.request.files[0]), before);
}

TEST(ExtractionRun, StopEndsTheRunKeepingWhatWasWritten) {
  Job run;
  run.request.fields = {8};
  run.AddFile("a.dat", FileOf(3, 48));
  run.host.stop_after_pumps = 1;
  const ExtractionResult result = run.Go();
  EXPECT_EQ(result.outcome, RunOutcome::kStoppedByUser);
  EXPECT_EQ(result.calls, 48u);
  EXPECT_TRUE(run.host.shown.empty());
}

// Stopped in the middle of a file, a database keeps the files committed
// before it, and of that file its calls of the last whole load only.
TEST(ExtractionRun, StopMidFileLeavesTheDatabaseAsBeforeThatFile) {
#if defined(SUITE_NO_DATABASES)
  GTEST_SKIP() << "a build without SQLite";
#endif
  Job run;
  run.request.format = OutputFormat::kSqlite;
  run.request.output_path = (run.folder.Path() / "calls.db").string();
  run.request.fields = {8, 12};
  run.AddFile("a.dat", FileOf(2, 10));
  run.AddFile("b.dat", FileOf(5, 20));
  ExtractionResult result = run.Go();
  ASSERT_EQ(result.outcome, RunOutcome::kCompleted);
  EXPECT_EQ(run.host.shown.back().text,
            "270 Records Loaded from 2 Files into " + run.request.output_path);
  // Loaded again with another field, stopped after b's second block.
  run.request.fields = {6};
  run.host.pumps = 0;
  run.host.stop_after_pumps = 4;
  result = run.Go();
  EXPECT_EQ(result.outcome, RunOutcome::kStoppedByUser);
  EXPECT_EQ(result.files_loaded, 1u);
  EXPECT_EQ(result.calls, 58u);
  const std::string script = (run.folder.Path() / "check.py").string();
  std::ofstream(script) << R"(
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute(
    'select substr(f.path, -5), f.records, count(*), count(c.called_number), '
    'count(c.calling_number_id) from files f join ocb_calls c on c.file_id = f.id '
    'group by f.id order by f.id').fetchall()
assert rows == [('a.dat', 58, 58, 0, 58), ('b.dat', 212, 212, 212, 0)], rows
)";
  EXPECT_EQ(
      std::system(("/usr/bin/python3 '" + script + "' '" + run.request.output_path + "'").c_str()),
      0);
}

TEST(ExtractionRun, TakesMoreThanFiftyFiles) {
  Job run;
  run.request.fields = {8};
  const cdrgen::Bytes file = FileOf(1, 1);
  for (int i = 0; i < 55; ++i) run.AddFile("f" + std::to_string(i) + ".dat", file);
  const ExtractionResult result = run.Go();
  EXPECT_EQ(result.calls, 55u);
  EXPECT_EQ(run.host.shown.back().text, "55 Records Written from 55 Files");
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

TEST(ExtractionRun, PrefixedFilesAndDamagedBytesNeverFail) {
  Job prefixed;
  prefixed.request.fields = {8};
  cdrgen::OcbFileBuilder builder(cdrgen::OcbFileLayout::kPrefixed);
  builder.Add(BlockOf(48, 1)).Add(BlockOf(3, 2)).Add(BlockOf(48, 9));
  prefixed.AddFile("p.dat", builder.Build());
  EXPECT_EQ(prefixed.Go().calls, 51u);

  // Random bytes behind a marker: any value decodes to some text.
  Job damaged;
  damaged.request.fields = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  cdrgen::Random random(42);
  for (int f = 0; f < 8; ++f) {
    cdrgen::Bytes bytes(static_cast<std::size_t>(random.Between(2, 9000)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random.Between(0, 255));
    const std::size_t marker = f % 2 == 0 || bytes.size() < 930 ? 0 : 928;
    bytes[marker] = 0xC6;
    bytes[marker + 1] = 0xC4;
    if (marker == 928) bytes[0] = 0;
    damaged.AddFile("d" + std::to_string(f) + ".dat", bytes);
  }
  EXPECT_EQ(damaged.Go().outcome, RunOutcome::kCompleted);
}

}  // namespace
}  // namespace ostrel

#include "formats/ocb/blocks.h"
#include "platform/binary_reader.h"

namespace ostrel {
namespace {

// The lines of one file made record by record through a copy of each record
// and the decoder: what the extraction must write.
std::string LinesByDecoder(const std::string& path, const FieldSelection& selection) {
  platform::BinaryReader reader;
  EXPECT_TRUE(reader.Open(path));
  ocb::FileInfo info;
  if (!ocb::CheckDataFile(reader, info)) return "";
  const ocb::BlockCount blocks = ocb::CountBlocks(reader, info.layout);
  std::string text;
  std::string line;
  OcbFields fields;
  for (std::uint64_t b = 0; b < blocks.count; ++b) {
    for (int i = 0; i < ocb::kRecordsPerBlock; ++i) {
      std::uint8_t record[ocb::kRecordSize];
      reader.Read(ocb::RecordOffset(info.layout, b, i), record, sizeof record);
      if (!DecodeRecord(record, blocks.header_year, blocks.header_day, b + 1 == blocks.count,
                        fields)) {
        continue;
      }
      FormatLine(fields, selection, line);
      text += line + "\r\n";
    }
  }
  return text;
}

// A last block cut short anywhere, in either layout: the missing bytes read
// as zeros, exactly as a record-by-record read gives them.
TEST(ExtractionRun, LastBlockCutShortAnywhereInBothLayouts) {
  for (auto layout : {cdrgen::OcbFileLayout::kPlain, cdrgen::OcbFileLayout::kPrefixed}) {
    const cdrgen::Bytes whole = cdrgen::OcbSampleFile(300 * ocb::kBlockSize, 3, layout);
    const std::size_t last_header = static_cast<std::size_t>(cdrgen::OcbHeaderOffset(layout, 200));
    for (std::size_t cut :
         {std::size_t{0}, ocb::kHeaderSize, ocb::kHeaderSize + 1, ocb::kHeaderSize + 41,
          ocb::kHeaderSize + 42, ocb::kHeaderSize + 1000, ocb::kBlockSize - 1}) {
      Job run;
      run.request.fields = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
      const cdrgen::Bytes bytes(whole.begin(),
                                whole.begin() + static_cast<std::ptrdiff_t>(last_header + cut));
      run.AddFile("cut.dat", bytes);
      {
        platform::BinaryReader reader;
        ASSERT_TRUE(reader.Open(run.request.files[0]));
        const ocb::Layout own =
            layout == cdrgen::OcbFileLayout::kPlain ? ocb::Layout::kPlain : ocb::Layout::kPrefixed;
        // The cut block is the last one taken (or, cut at its start, the one before).
        EXPECT_EQ(ocb::CountBlocks(reader, own).count, cut >= ocb::kHeaderSize ? 201u : 200u);
      }
      const ExtractionResult result = run.Go();
      EXPECT_EQ(result.outcome, RunOutcome::kCompleted);
      const std::string expected = LinesByDecoder(run.request.files[0], run.request.fields);
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(run.Output(), expected) << "cut " << cut;
    }
  }
}

// Files of one run are dated each against its own first header.
TEST(ExtractionRun, EachFileDatedByItsOwnHeader) {
  Job run;
  run.request.fields = DefaultFieldSelection();
  std::string expected;
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    cdrgen::Bytes bytes =
        cdrgen::OcbSampleFile(20 * ocb::kBlockSize, seed, cdrgen::OcbFileLayout::kPlain);
    bytes[5] = static_cast<std::uint8_t>(seed * 0x11);  // header year 11, 22, 33
    run.AddFile("f" + std::to_string(seed) + ".dat", bytes);
    expected += LinesByDecoder(run.request.files.back(), run.request.fields);
  }
  EXPECT_EQ(run.Go().outcome, RunOutcome::kCompleted);
  EXPECT_EQ(run.Output(), expected);
  EXPECT_NE(expected.find("2011-"), std::string::npos);
  EXPECT_NE(expected.find("2033-"), std::string::npos);
}

}  // namespace
}  // namespace ostrel
