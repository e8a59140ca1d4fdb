#include "engine/analysis_run.h"

#include <algorithm>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "engine/file_list.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::Rig;
using testing::TempFolder;

DataFileEntry Row(const std::string& path, const std::string& switch_name) {
  DataFileEntry row;
  row.binary_file = path;
  row.switch_name = switch_name;
  row.state = RowState::kToBeAnalysed;
  row.records = "0";
  return row;
}

TEST(AnalyseFiles, EmptyListDoesNothing) {
  Rig rig;
  rig.host.panels[2] = "old";
  std::vector<DataFileEntry> rows;
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  EXPECT_FALSE(outcome.ran);
  EXPECT_TRUE(rig.host.messages.empty());
  EXPECT_FALSE(rig.state.analyser_running);
  EXPECT_EQ(rig.host.panels[2], "");
}

TEST(AnalyseFiles, DispatchTotalsAndClosingMessage) {
  TempFolder folder;
  Rig rig(2006);
  std::vector<DataFileEntry> rows;
  std::vector<cdrgen::E10bRecord> e10b = {{1, "0032", "1000"}, {2, "0032", "1100"}};
  rows.push_back(Row(folder.Write("a.dat", cdrgen::E10bFile(e10b)), "E10B"));
  rows.push_back(Row(folder.Write("b.dat", cdrgen::Bytes(1048576, 0x41)), "Unknown"));
  rows.push_back(Row(folder.Write("c.dat", cdrgen::Bytes(1046528, 0x41)), "CDOT42"));
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  EXPECT_TRUE(outcome.ran);
  EXPECT_EQ(rows[0].start_time, "2006-02-01   10:00:00");
  EXPECT_EQ(rows[0].end_time, "2006-02-01   11:00:00");
  EXPECT_EQ(rows[0].records, "2");
  for (int i : {1, 2}) {
    EXPECT_EQ(StartTimeText(rows[i]), "Invalid  File");
    EXPECT_EQ(EndTimeText(rows[i]), "Invalid  File");
    EXPECT_EQ(rows[i].records, "0");
  }
  // The Unknown row is not counted; CDOT42 is.
  EXPECT_EQ(rig.host.panels[2], "2");
  EXPECT_EQ(rig.host.panels[3], "1 MB");
  EXPECT_EQ(rig.host.panels[4], "2");
  EXPECT_EQ(rig.host.panels[5], "");
  EXPECT_TRUE(rig.host.results_mark);
  EXPECT_FALSE(rig.state.analyser_running);
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "Data File Analysis Over");
  EXPECT_EQ(rig.host.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(rig.host.status_history.front(), "");
  EXPECT_EQ(rig.host.status_history[1], "Analysing " + rows[0].binary_file);

  // A second plain run analyses nothing and gives the same totals again.
  rows[0].records = "5";  // proves the row was not analysed again
  const AnalysisOutcome again = AnalyseFiles(rows, false, context);
  EXPECT_EQ(again.analysed, 0u);
  EXPECT_EQ(rig.host.panels[4], "5");
  EXPECT_EQ(rig.host.messages.size(), 2u);
  // Re-analysing all rows overwrites the results.
  AnalyseFiles(rows, true, context);
  EXPECT_EQ(rows[0].records, "2");
}

TEST(AnalyseFiles, SizeTotalTexts) {
  AnalysisTotals totals;
  totals.bytes = 1048576 + 524288;
  EXPECT_EQ(ValidSizeText(totals), "1.5 MB");
  totals.bytes = 10000;
  EXPECT_EQ(ValidSizeText(totals), "0.01 MB");
  totals.bytes = 3145728;
  EXPECT_EQ(ValidSizeText(totals), "3 MB");
  // Totals beyond 32 bits do not wrap.
  totals.bytes = 5ull * 1024 * 1024 * 1024;
  EXPECT_EQ(ValidSizeText(totals), "5120 MB");
  totals.records = 3e9;
  EXPECT_EQ(RecordsText(totals), "3000000000");
}

TEST(AnalyseFiles, LargeAndVanishedFilesInTheTotals) {
  TempFolder folder;
  const std::string big = folder.Write("big.dat", {});
  std::filesystem::resize_file(big, 3ull * 1024 * 1024 * 1024);  // sparse
  std::vector<DataFileEntry> rows = {Row(big, "CDOT42"),
                                     Row((folder.Path() / "gone.dat").string(), "CDOT42")};
  const AnalysisTotals totals = SumTotals(rows);
  EXPECT_EQ(totals.valid_files, 2u);
  EXPECT_EQ(totals.bytes, 3ull * 1024 * 1024 * 1024);
  // More valid files than a 16-bit count holds.
  rows.resize(40000, Row(big, "EWSD"));
  EXPECT_EQ(ValidFilesText(SumTotals(rows)), "40000");
}

TEST(AnalyseFiles, FileGoneSinceItWasAddedIsReported) {
  TempFolder folder;
  Rig rig;
  std::vector<DataFileEntry> rows = {Row((folder.Path() / "gone.dat").string(), "AXE")};
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  ASSERT_EQ(outcome.unreadable.size(), 1u);
  EXPECT_EQ(StartTimeText(rows[0]), "Invalid  File");
  ASSERT_EQ(rig.host.messages.size(), 2u);
  EXPECT_EQ(rig.host.messages[0].text.rfind(rows[0].binary_file + " cannot be read: ", 0), 0u);
  EXPECT_EQ(rig.host.messages[0].icon, MessageIcon::kError);
  EXPECT_EQ(rig.host.panels[3], "0 MB");
  EXPECT_FALSE(rig.host.results_mark);
}

TEST(AnalyseFiles, FileThatShrinksWhileItIsReadIsReportedNotCounted) {
  TempFolder folder;
  Rig rig;
  const std::string e10b = folder.Write("e.dat", cdrgen::E10bSampleFile(400, 1));
  const std::string whole = folder.Write("f.dat", cdrgen::E10bSampleFile(3, 1));
  std::vector<DataFileEntry> rows = {Row(e10b, "E10B"), Row(whole, "E10B")};
  // Cut short by another program (or a failing disk) after 50 blocks.
  rig.host.during_pump = [&](int pump) {
    if (pump == 50) std::filesystem::resize_file(e10b, 2048 * 20);
  };
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  ASSERT_EQ(outcome.unreadable, std::vector<std::string>{e10b});
  EXPECT_EQ(StartTimeText(rows[0]), "Invalid  File");
  EXPECT_EQ(rows[0].records, "0");
  ASSERT_FALSE(rig.host.messages.empty());
  EXPECT_EQ(rig.host.messages[0].text,
            e10b + " cannot be read: the file could not be read to its end");
  // The next file is analysed as usual.
  EXPECT_EQ(outcome.analysed, 1u);
  EXPECT_NE(rows[1].records, "0");
}

TEST(AnalyseFiles, StopBetweenRowsLeavesTheRestUntouched) {
  TempFolder folder;
  Rig rig;
  const std::string cdot =
      folder.Write("x0101.dat", cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(3)));
  std::vector<DataFileEntry> rows = {Row(cdot, "CDOT"), Row(cdot + "2", "CDOT")};
  rig.host.stop_at_pump = 1;
  auto context = rig.Context();
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(rig.state.stop_requested);
  EXPECT_EQ(rows[0].records, "3");
  EXPECT_EQ(StartTimeText(rows[1]), "To be  Analysed");
  EXPECT_EQ(rig.host.messages.back().text, "Data File Analysis Over");
  EXPECT_EQ(rig.host.panels[2], "2");
}

// The add-files dialog can add rows while a run pumps events: the rows
// there were at the start are analysed, the new ones wait for the next run.
TEST(AnalyseFiles, RowsAddedWhileEventsArePumped) {
  struct AddingHost : testing::RecordingHost {
    void PumpEvents() override {
      testing::RecordingHost::PumpEvents();
      for (int i = 0; i < 50; ++i) rows->push_back(extra);
    }
    std::vector<DataFileEntry>* rows = nullptr;
    DataFileEntry extra;
  };
  TempFolder folder;
  FixedClock clock(testing::Reading(2006));
  EngineState state;
  AddingHost host;
  const std::string cdot =
      folder.Write("x0101.dat", cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(3)));
  std::vector<DataFileEntry> rows = {Row(cdot, "CDOT"), Row(cdot, "CDOT")};
  host.rows = &rows;
  host.extra = Row(cdot, "CDOT");
  AnalyserContext context{host, clock, state};
  const AnalysisOutcome outcome = AnalyseFiles(rows, false, context);
  EXPECT_EQ(outcome.analysed, 2u);
  ASSERT_EQ(rows.size(), 102u);
  EXPECT_EQ(rows[0].records, "3");
  EXPECT_EQ(rows[1].records, "3");
  EXPECT_EQ(StartTimeText(rows[2]), "To be  Analysed");
  EXPECT_EQ(outcome.totals.valid_files, 102u);
}

TEST(AnalyseFiles, StopInsideADetectorMarksTheRowAndEndsTheRun) {
  TempFolder folder;
  Rig rig;
  const std::string e10b = folder.Write("e.dat", cdrgen::E10bSampleFile(2, 1));
  std::vector<DataFileEntry> rows = {Row(e10b, "E10B"), Row(e10b, "E10B")};
  rig.host.stop_at_pump = 1;
  rig.host.answers = {MessageAnswer::kYes};
  auto context = rig.Context();
  AnalyseFiles(rows, false, context);
  EXPECT_EQ(StartTimeText(rows[0]), "To be Analysed");
  EXPECT_EQ(EndTimeText(rows[0]), "To be Analysed");
  EXPECT_EQ(rows[0].records, "0");
  EXPECT_EQ(StartTimeText(rows[1]), "To be  Analysed");
  EXPECT_FALSE(rig.state.stop_requested);
  // A plain run does not pick the stopped row up again.
  rig.host.stop_at_pump = -1;
  const AnalysisOutcome again = AnalyseFiles(rows, false, context);
  EXPECT_EQ(again.analysed, 1u);
  EXPECT_EQ(StartTimeText(rows[0]), "To be Analysed");
}

TEST(AnalyseFiles, NoSecondRunWhileRunning) {
  Rig rig;
  rig.state.analyser_running = true;
  std::vector<DataFileEntry> rows = {Row("/x", "AXE")};
  auto context = rig.Context();
  EXPECT_FALSE(AnalyseFiles(rows, true, context).ran);
  EXPECT_EQ(StartTimeText(rows[0]), "To be  Analysed");
  EXPECT_TRUE(rig.host.messages.empty());
}

}  // namespace
}  // namespace lomtra

namespace lomtra {
namespace {

// Damaged or foreign data must neither crash nor hang a detector.
TEST(AnalyseFiles, EveryDetectorSurvivesArbitraryBytes) {
  TempFolder folder;
  Rig rig;
  auto context = rig.Context();
  cdrgen::Random random(7);
  for (int round = 0; round < 40; ++round) {
    cdrgen::Bytes bytes(random.Between(0, 9000));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random.Between(0, 255));
    // Bias some rounds towards each format's interesting bytes.
    if (round % 4 == 1 && bytes.size() > 2) bytes[0] = 0x84;
    if (round % 4 == 2)
      for (std::size_t i = 0; i + 2 < bytes.size(); i += 97) bytes[i] = '1';
    if (round % 4 == 3 && bytes.size() > 1) {
      bytes[0] = 0xC6;
      bytes[1] = 0xC4;
    }
    const std::string path = folder.Write("r" + std::to_string(round) + ".dat", bytes);
    for (const char* name : {"OCB", "EWSD", "CDOT", "E10B", "AXE", "5ESS"}) {
      const auto result = RunDetector(SwitchTypeNamed(name), path, context);
      ASSERT_TRUE(result.has_value());
      const std::string text = testing::ResultText(*result);
      EXPECT_EQ(std::count(text.begin(), text.end(), ','), 2) << name << " " << text;
    }
  }
}

}  // namespace
}  // namespace lomtra
