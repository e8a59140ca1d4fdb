#include "kelvan/extraction_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "cdrgen/cdot_builder.h"
#include "formats/cdot/section_reader.h"
#include "kelvan/line_layout.h"
#include "kelvan/record_filter.h"
#include "test_support.h"

namespace kelvan {
namespace {

using formats::cdot::CdotSectionReader;

using cdrgen::CdotFileBuilder;
using cdrgen::CdotRecord;
using testing::FixedClock;
using testing::ReadAll;
using testing::RecordingHost;
using testing::TempFolder;

CdotRecord Call(const std::string& calling, const std::string& called, int hour = 10) {
  CdotRecord r;
  r.calling = calling;
  r.called = called;
  r.hour = hour;
  r.minute = 0;
  r.second = 0;
  return r;
}

class KelvanRunTest : public ::testing::Test {
 protected:
  std::filesystem::path Input(const std::string& name, const CdotFileBuilder& b) {
    const auto path = folder_ / name;
    cdrgen::WriteFile(path, b.Build());
    return path;
  }

  RunSettings Settings(std::vector<std::filesystem::path> inputs) {
    RunSettings s;
    s.inputs = std::move(inputs);
    s.field_selection = {1, 2, 3, 4, 5, 6, 7, 8};
    s.output_file = folder_ / "out.txt";
    s.output_folder = folder_.Path();
    s.title = "Kelvan [1.1] - NORVA";
    return s;
  }

  RunResult Run(const RunSettings& s) { return RunExtraction(s, host_, clock_); }

  const Message& Last() const { return host_.messages.back(); }

  TempFolder folder_;
  RecordingHost host_;
  FixedClock clock_;
};

TEST_F(KelvanRunTest, NothingSelectedOrTickedStopsBeforeAnyFileIsMade) {
  RunSettings s = Settings({});
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kNotStarted);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(Last().text, "Please select atleast one input File to proceed");
  EXPECT_EQ(Last().icon, MessageIcon::kError);
  EXPECT_EQ(Last().title, "Kelvan [1.1] - NORVA");

  CdotFileBuilder b;
  b.Section("070305").Add(Call("612345", "22334455"));
  s = Settings({Input("a.dat", b)});
  s.field_selection.clear();
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kNotStarted);
  EXPECT_EQ(Last().text, "Please select atleast one Option to print");
  EXPECT_FALSE(std::filesystem::exists(s.output_file));
}

TEST_F(KelvanRunTest, TwoFilesIntoOneDelimitedFile) {
  CdotFileBuilder a, b;
  a.Section("070305").Add(Call("612345", "22334455")).Add(Call("0612345", "98765"));
  b.Add(Call("5551234", "12", 21));
  RunSettings s = Settings({Input("a.dat", a), Input("TGCB080305.DAT", b)});
  s.field_selection = {1, 2, 3, 4, 5, 6, 7, 8};
  const RunResult r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  EXPECT_EQ(r.records_written, 3u);
  EXPECT_EQ(ReadAll(s.output_file),
            "2005/03/07,10:00:00,612345,22334455,42,3,34,12\r\n"
            "2005/03/07,10:00:00,0612345,98765,42,3,34,12\r\n"
            "2005/03/07,21:00:00,5551234,12,42,3,34,12\r\n");
  EXPECT_EQ(Last().text, "3 Records Written from 2 Files in 1 Minutes and 5 Seconds");
  EXPECT_EQ(Last().icon, MessageIcon::kInformation);
  EXPECT_EQ(Last().title, "Kelvan [1.1] - NORVA");
  EXPECT_EQ(host_.status.front(), "Processing a.dat  1 of 2");
  EXPECT_EQ(host_.status[1], "Processing TGCB080305.DAT  2 of 2");
  EXPECT_EQ(host_.status.back(), "");
  EXPECT_EQ(host_.progress.back(), 0);
}

TEST_F(KelvanRunTest, OneFileFixedWidthWithAreaCodeAndPastMidnight) {
  CdotFileBuilder a;
  a.Section("070305").Add(Call("612345", "22334455"));
  RunSettings s = Settings({Input("a.dat", a)});
  s.field_selection = {3, 5};
  s.layout = Layout::kFixedWidth;
  s.area_code_on = true;
  clock_.times = {{23, 59, 50}, {0, 1, 5}};
  Run(s);
  EXPECT_EQ(ReadAll(s.output_file),
            "4565612345" + std::string(11, ' ') + "42" + std::string(8, ' ') + "\r\n");
  EXPECT_EQ(Last().text, "1 Records Written from 1 File in 1 Minutes and 15 Seconds");
}

TEST_F(KelvanRunTest, FilterComparesThePrefixedNumberAndOtherFields) {
  CdotFileBuilder a;
  a.Section("070305")
      .Add(Call("612345", "22334455"))
      .Add(Call("712345", "22334455"))
      .Add(Call("612345", "1"));
  RunSettings s = Settings({Input("a.dat", a)});
  s.field_selection = {3, 4};
  s.filter_on = true;
  s.filter_field = FilterField::kCallingNo;
  s.filter_value = "4565612345";
  s.area_code_on = true;
  EXPECT_EQ(Run(s).records_written, 2u);
  EXPECT_EQ(ReadAll(s.output_file), "4565612345,22334455\r\n4565612345,1\r\n");

  s.area_code_on = false;
  s.filter_field = FilterField::kCalledNo;
  s.filter_value = "22334455";
  clock_.next = 0;
  Run(s);
  EXPECT_EQ(ReadAll(s.output_file), "612345,22334455\r\n712345,22334455\r\n");
  EXPECT_EQ(Last().text, "2 Records Written from 1 File in 1 Minutes and 5 Seconds");
}

TEST_F(KelvanRunTest, OneFilePerSectionAndSameDateAppends) {
  CdotFileBuilder a, b;
  a.Section("070305").Add(Call("111111", "1"));
  for (int i = 0; i < 11; ++i) a.Add(Call("222222", "2"));
  a.Section("080305").Add(Call("333333", "3"));
  // Enough after the second header that it is not within the last 500 bytes.
  for (int i = 0; i < 11; ++i) a.Add(Call("555555", "5"));
  b.Section("070305").Add(Call("444444", "4"));
  // A file of an earlier run with that name is emptied, not appended to.
  cdrgen::WriteFile(folder_ / "tgcbr080305.txt", {'o', 'l', 'd', '\r', '\n'});
  RunSettings s = Settings({Input("a.dat", a), Input("b.dat", b)});
  s.multi_file = true;
  s.field_selection = {3};
  const RunResult r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  EXPECT_EQ(r.records_written, 25u);
  std::string day7 = "111111\r\n";
  for (int i = 0; i < 11; ++i) day7 += "222222\r\n";
  EXPECT_EQ(ReadAll(folder_ / "tgcbr070305.txt"), day7 + "444444\r\n");
  std::string day8 = "333333\r\n";
  for (int i = 0; i < 11; ++i) day8 += "555555\r\n";
  EXPECT_EQ(ReadAll(folder_ / "tgcbr080305.txt"), day8);
  EXPECT_FALSE(std::filesystem::exists(s.output_file));
}

TEST_F(KelvanRunTest, ProgressMovesAtMost300Steps) {
  const auto bytes = cdrgen::CdotSampleFile(200000, 5);
  cdrgen::WriteFile(folder_ / "big.dat", bytes);
  RunSettings s = Settings({folder_ / "big.dat"});
  Run(s);
  EXPECT_GE(host_.max_progress, 290);
  EXPECT_LE(host_.max_progress, 300);
  for (std::size_t i = 1; i + 1 < host_.progress.size(); ++i) {
    EXPECT_LE(host_.progress[i], host_.progress[i - 1] + 1);
  }
}

TEST_F(KelvanRunTest, OutputThatCannotBeCreatedEndsTheRunCleanly) {
  CdotFileBuilder a;
  a.Section("070305").Add(Call("612345", "1"));
  RunSettings s = Settings({Input("a.dat", a)});
  s.output_file = folder_ / "missing" / "out.txt";
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(Last().icon, MessageIcon::kError);
  EXPECT_NE(Last().text.find("Cannot create the output file " + s.output_file.string() + ": "),
            std::string::npos);
  EXPECT_EQ(host_.status.back(), "");

  s.multi_file = true;
  s.output_folder = folder_ / "missing";
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kFailed);
  EXPECT_NE(Last().text.find("tgcbr070305.txt"), std::string::npos);
}

TEST_F(KelvanRunTest, MissingInputEndsTheRunNamingTheFile) {
  CdotFileBuilder a;
  a.Section("070305").Add(Call("612345", "1"));
  RunSettings s = Settings({Input("a.dat", a), folder_ / "gone.dat"});
  const RunResult r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kFailed);
  EXPECT_EQ(r.files_read, 1u);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(
      Last().text.rfind("Cannot open the input file " + (folder_ / "gone.dat").string() + ": ", 0),
      0u);
}

TEST_F(KelvanRunTest, OutputNamingAnInputIsRefusedAndTheInputKept) {
  CdotFileBuilder a;
  a.Section("070305").Add(Call("612345", "1"));
  RunSettings s = Settings({Input("a.dat", a)});
  s.output_file = folder_ / "a.dat";
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kFailed);
  EXPECT_EQ(Last().text, "Cannot create the output file " + s.output_file.string() +
                             ": it is one of the input files");
  EXPECT_EQ(std::filesystem::file_size(folder_ / "a.dat"), 91u + 48u);
}

TEST_F(KelvanRunTest, AFailedRunReplacesNoOutputAndLeavesNoTemporaryFile) {
  CdotFileBuilder a;
  a.Section("070305").Add(Call("612345", "1"));
  a.Section("080305").Add(Call("612346", "2"));
  const auto input = Input("a.dat", a);
  cdrgen::WriteFile(folder_ / "tgcbr070305.txt", {'o', 'l', 'd'});
  cdrgen::WriteFile(folder_ / "out.txt", {'k', 'e', 'e', 'p'});
  RunSettings s = Settings({input, folder_ / "gone.dat"});
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kFailed);
  EXPECT_EQ(ReadAll(folder_ / "out.txt"), "keep");
  s.multi_file = true;
  EXPECT_EQ(Run(s).outcome, RunResult::Outcome::kFailed);
  EXPECT_EQ(ReadAll(folder_ / "tgcbr070305.txt"), "old");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "out.txt", "tgcbr070305.txt"}));
}

TEST_F(KelvanRunTest, AFileThatIsNotCdotIsAskedAboutAndNothingOfItIsWritten) {
  const auto foreign = folder_ / "notes.txt";
  { std::ofstream(foreign) << std::string(30000, 'x'); }
  CdotFileBuilder b;
  b.Section("070305").Add(Call("612345", "22334455"));
  const auto cdot = Input("a.dat", b);
  RunSettings s = Settings({foreign});
  { std::ofstream(s.output_file, std::ios::binary) << "keep\n"; }
  RunResult r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  EXPECT_EQ(r.files_skipped, 1u);
  EXPECT_EQ(r.files_decoded, 0u);
  ASSERT_GE(host_.messages.size(), 1u);
  const Message& question = host_.messages.front();
  EXPECT_EQ(
      question.text,
      foreign.string() + " is not a C-DOT data file. Do you want to continue with other files?");
  EXPECT_EQ(question.icon, MessageIcon::kQuestion);
  EXPECT_EQ(question.buttons, MessageButtons::kYesNo);
  EXPECT_EQ(question.title, "Kelvan [1.1] - NORVA");
  // Only refused files: the existing output stays, no temporary file is left.
  EXPECT_EQ(ReadAll(s.output_file), "keep\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 3);

  s = Settings({foreign, cdot});
  r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  EXPECT_EQ(ReadAll(s.output_file), "2005/03/07,10:00:00,612345,22334455,42,3,34,12\r\n");

  // No ends the run there, keeping the lines of the files before.
  host_.answer = MessageAnswer::kNo;
  s = Settings({cdot, foreign, cdot});
  r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kEnded);
  EXPECT_EQ(ReadAll(s.output_file), "2005/03/07,10:00:00,612345,22334455,42,3,34,12\r\n");
}

TEST_F(KelvanRunTest, ANameThatIsNoDateLeavesTheDateEmptyAndSaysSoOncePerFile) {
  CdotFileBuilder b;
  b.Add(Call("612345", "22334455")).Add(Call("612345", "22334455", 21));
  RunSettings s = Settings({Input("empty.dat", b), Input("TGCB310405.DAT", b)});
  s.field_selection = {1, 2};
  Run(s);
  EXPECT_EQ(ReadAll(s.output_file), ",10:00:00\r\n,21:00:00\r\n,10:00:00\r\n,21:00:00\r\n");
  ASSERT_EQ(host_.messages.size(), 3u);  // one a file, then the closing message
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(host_.messages[i].icon, MessageIcon::kInformation);
    EXPECT_NE(host_.messages[i].text.find(s.inputs[i].string()), std::string::npos);
  }
}

TEST_F(KelvanRunTest, AStopEndsAfterWholeLinesAndKeepsThem) {
  cdrgen::WriteFile(folder_ / "big.dat", cdrgen::CdotSampleFile(200000, 5));
  cdrgen::WriteFile(folder_ / "out.txt", {'o', 'l', 'd'});
  RunSettings s = Settings({folder_ / "big.dat"});
  s.field_selection = {3};
  host_.stop_at = 3;  // asked before the file, then every 1024 records
  const RunResult r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kStopped);
  EXPECT_EQ(r.records_written, 2048u);
  EXPECT_TRUE(host_.messages.empty());  // no closing message: the batch says it stopped
  const std::string text = ReadAll(folder_ / "out.txt");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2048);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

// A database keeps whole files: a file stopped mid-way leaves its calls of
// the earlier load as they were, while the file before it is replaced.
TEST_F(KelvanRunTest, AStopMidFileLeavesThatFilesCallsInTheDatabaseAsBefore) {
#if defined(SUITE_NO_DATABASES)
  GTEST_SKIP() << "a build without SQLite";
#endif
  CdotFileBuilder b;
  b.Section("070305").Add(Call("612345", "22334455")).Add(Call("5551234", "98765"));
  const auto small = Input("small.dat", b);
  const auto big = folder_ / "big.dat";
  std::size_t big_records = 0;
  cdrgen::WriteFile(big, cdrgen::CdotSampleFile(200000, 5, &big_records));
  RunSettings s = Settings({small, big});
  s.format = platform::OutputFormat::kSqlite;
  s.output_file = folder_ / "calls.db";
  RunResult r = Run(s);
  ASSERT_EQ(r.outcome, RunResult::Outcome::kCompleted);
  EXPECT_EQ(r.files_loaded, 2u);
  EXPECT_EQ(r.records_written, 2 + big_records);
  EXPECT_EQ(
      Last().text.rfind(std::to_string(2 + big_records) + " Records Loaded from 2 Files into " +
                            s.output_file.string() + " in ",
                        0),
      0u);

  s.field_selection = {3};
  host_.stop_questions = 0;
  host_.stop_at = 3;  // before each file, then after 1024 records of the big one
  r = Run(s);
  EXPECT_EQ(r.outcome, RunResult::Outcome::kStopped);
  EXPECT_EQ(r.files_loaded, 1u);
  EXPECT_EQ(r.records_written, 2u);

  // Per file: its calls, those with a date (the first load's), its count.
  const auto counts = folder_ / "counts.txt";
  const std::string command =
      "/usr/bin/python3 -c \"import sqlite3; c = sqlite3.connect('" + s.output_file.string() +
      "'); print(c.execute('SELECT group_concat(n, \\\" \\\") FROM (SELECT count(*) || \\\" \\\" "
      "|| count(c.date) || \\\" \\\" || f.records AS n FROM files f JOIN cdot_calls c ON "
      "c.file_id = f.id GROUP BY f.id ORDER BY f.id)').fetchone()[0])\" >" +
      counts.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string big_count = std::to_string(big_records);
  EXPECT_EQ(ReadAll(counts), "2 0 2 " + big_count + " " + big_count + " " + big_count + "\n");
}

TEST(ClosingMessage, FileOrFiles) {
  EXPECT_EQ(ClosingMessage(5000, 2, 65),
            "5000 Records Written from 2 Files in 1 Minutes and 5 Seconds");
  EXPECT_EQ(ClosingMessage(0, 1, 0), "0 Records Written from 1 File in 0 Minutes and 0 Seconds");
  EXPECT_EQ(SectionFileName("070305"), "tgcbr070305.txt");
}

}  // namespace
}  // namespace kelvan

namespace kelvan {
namespace {

using formats::cdot::CdotSectionReader;

// The lines of a file the slow way: the reader's decoded fields through
// LineLayout, one output text per section's file name (or "" for one file).
std::map<std::string, std::string> ExpectedOutputs(const std::filesystem::path& input,
                                                   const RunSettings& s) {
  std::map<std::string, std::string> out;
  CdotSectionReader reader;
  EXPECT_TRUE(reader.Open(input));
  LineLayout layout(s.field_selection, s.layout, DelimiterText(s.delimiter_name));
  std::string name, line;
  for (auto step = reader.Next(); step != CdotSectionReader::Step::kFinished;
       step = reader.Next()) {
    if (step == CdotSectionReader::Step::kSection) {
      if (s.multi_file) name = SectionFileName(reader.SectionDigits());
      out[name];
      continue;
    }
    const CdotFields& f = reader.Fields();
    const std::string calling = s.area_code_on ? PrefixAreaCode(f.calling, s.area_code) : f.calling;
    layout.WriteLine(f, calling, line);
    out[name] += line + "\r\n";
  }
  return out;
}

// Output of many batches of lines, in one file and in a file per section,
// in every layout: the same lines the decoded fields give.
TEST_F(KelvanRunTest, LargeFileSameLinesAsTheDecodedFields) {
  const auto input = folder_ / "large.dat";
  cdrgen::WriteFile(input, cdrgen::CdotSampleFile(900000, 9));
  for (int variant = 0; variant < 4; ++variant) {
    RunSettings s = Settings({input});
    s.multi_file = variant % 2 == 1;
    s.output_folder = folder_ / ("v" + std::to_string(variant));
    std::filesystem::create_directories(s.output_folder);
    s.output_file = s.output_folder / "out.txt";
    if (variant == 1) s.layout = Layout::kFixedWidth;
    if (variant == 2) {
      s.delimiter_name = "Tab";
      s.field_selection = {1, 3, 5, 7};
      s.area_code_on = true;
      s.area_code = "0471";
    }
    if (variant == 3) s.delimiter_name = ";;";
    const RunResult r = Run(s);
    ASSERT_EQ(r.outcome, RunResult::Outcome::kCompleted) << Last().text;
    const auto expected = ExpectedOutputs(input, s);
    std::uint64_t lines = 0;
    for (const auto& [name, text] : expected) {
      const auto path = name.empty() ? s.output_file : s.output_folder / name;
      EXPECT_EQ(ReadAll(path), text) << "variant " << variant << " " << name;
      lines += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
    }
    EXPECT_GT(lines, 15000u);
    EXPECT_EQ(r.records_written, lines);
    if (s.multi_file) {
      EXPECT_GE(expected.size(), 4u);
    }
  }
}

}  // namespace
}  // namespace kelvan
