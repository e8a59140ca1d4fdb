// A run over the list with several workers against the same run with one:
// rows, messages, totals and the memory left behind must all be the same.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "engine/analysis_run.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::TempFolder;

// Everything the user would see, in order; pumps and progress aside, as
// workers show progress per row only.
class LoggingHost : public testing::RecordingHost {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    log.push_back("message " + message.text + "|" + message.title + "|" +
                  std::to_string(static_cast<int>(message.icon)) + "|" +
                  std::to_string(static_cast<int>(message.buttons)));
    return RecordingHost::ShowMessage(message);
  }
  void SetStatusPanel(StatusPanel panel, const std::string& text) override {
    log.push_back("panel " + std::to_string(static_cast<int>(panel)) + " " + text);
    RecordingHost::SetStatusPanel(panel, text);
  }
  void RowStarted(std::size_t row, std::size_t k, std::size_t n) override {
    log.push_back("started " + std::to_string(row) + " " + std::to_string(k) + "/" +
                  std::to_string(n));
    // The Stop command clicked while this row is being read.
    if (row == stop_row && state != nullptr) state->stop_requested = true;
  }
  void RowChanged(std::size_t row) override { log.push_back("changed " + std::to_string(row)); }
  void SetResultsMark(bool on) override { log.push_back(on ? "mark on" : "mark off"); }

  std::vector<std::string> log;
  std::size_t stop_row = static_cast<std::size_t>(-1);
};

DataFileEntry Row(const std::string& path, const std::string& switch_name) {
  DataFileEntry row;
  row.binary_file = path;
  row.switch_name = switch_name;
  row.state = RowState::kToBeAnalysed;
  row.records = "0";
  return row;
}

cdrgen::EwsdSampleRecord Dated(int day, int hour) {
  cdrgen::EwsdSampleRecord r;
  r.packages = {cdrgen::EwsdDatePackage(6, 11, day, hour, 0, 0, 60),
                cdrgen::EwsdCalledPackage("0123")};
  return r;
}

cdrgen::OcbSampleBlock OcbBlock(std::uint32_t sequence, int records) {
  cdrgen::OcbSampleBlock block;
  block.sequence = sequence;
  block.records.resize(static_cast<std::size_t>(records));
  return block;
}

cdrgen::Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files of every switch, whole and damaged, with memory carried from one
// file to the next, files that cannot be read and files of no switch.
std::vector<DataFileEntry> MixedList(const TempFolder& folder) {
  std::vector<DataFileEntry> rows;
  auto add = [&](const std::string& name, const cdrgen::Bytes& bytes, const char* type) {
    rows.push_back(Row(folder.Write(name, bytes), type));
  };
  add("ocb.dat", cdrgen::OcbAnalyserSample(3, 1), "OCB");
  add("ewsd-a.dat", cdrgen::EwsdAnalyserSample(60, 1), "EWSD");
  // Its first record has no date: the start is the date the file before left.
  cdrgen::EwsdSampleRecord undated;
  undated.packages = {cdrgen::EwsdPlainPackage(103, 4)};
  add("ewsd-b.dat", cdrgen::EwsdFileBuilder().Record(undated).Record(Dated(3, 4)).Build(), "EWSD");
  add("axe.dat", cdrgen::AxeSampleFile(4, 1), "AXE");
  // No record at all: the end is the record the file before left.
  add("ewsd-c.dat", cdrgen::EwsdFileBuilder().Filler80(10).Build(), "EWSD");
  add("cdot.dat", cdrgen::CdotAnalyserSample(40, 1), "CDOT");
  cdrgen::EwsdSampleRecord unsupported = Dated(4, 4);
  unsupported.packages.push_back(cdrgen::EwsdPlainPackage(140, 20));
  add("ewsd-d.dat",
      cdrgen::EwsdFileBuilder().Record(Dated(1, 7)).Record(Dated(2, 7)).Record(unsupported).Build(),
      "EWSD");
  add("e10b.dat", cdrgen::E10bSampleFile(3, 1), "E10B");
  add("5ess.dat", cdrgen::FiveEssSampleFile(300, 1), "5ESS");
  // The prefixed layout, then a file with no marker, which keeps it.
  const cdrgen::Bytes prefixed = cdrgen::OcbAnalyserFile({OcbBlock(1, 48), OcbBlock(2, 9)}, true);
  add("ocb-prefixed.dat", prefixed, "OCB");
  cdrgen::Bytes unmarked = prefixed;
  unmarked[928] = 0;
  add("ocb-unmarked.dat", unmarked, "OCB");
  rows.push_back(Row((folder.Path() / "gone.dat").string(), "AXE"));
  add("unknown.dat", cdrgen::Bytes(3000, 'x'), "Unknown");
  add("cdot42.dat", cdrgen::Bytes(2000, 'x'), "CDOT42");
  // Longer than it reads: "could not be read to its end".
  if (std::filesystem::exists("/sys/devices/system/cpu/online"))
    rows.push_back(Row("/sys/devices/system/cpu/online", "AXE"));
  DataFileEntry done = Row(folder.Write("done.dat", cdrgen::Bytes(10, 'x')), "AXE");
  done.state = RowState::kAnalysed;
  rows.push_back(done);

  std::mt19937 random(18);
  for (const char* type : {"ocb", "ewsd", "cdot", "e10b", "axe", "5ess"}) {
    std::string name = type;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::filesystem::path corpus = std::filesystem::path(SUITE_SOURCE_DIR) / "fuzz" /
                                         "corpus" / ("detect_" + std::string(type));
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
      const cdrgen::Bytes bytes = ReadBytes(entry.path());
      const std::string stem = std::string(type) + "-" + entry.path().filename().string();
      add(stem, bytes, name.c_str());
      if (bytes.empty()) continue;
      add(stem + ".cut", cdrgen::Bytes(bytes.begin(), bytes.begin() + bytes.size() / 3),
          name.c_str());
      for (int copy = 0; copy < 4; ++copy) {
        cdrgen::Bytes changed = bytes;
        for (int flip = 0; flip < 3; ++flip) {
          const std::size_t at = random() % changed.size();
          changed[at] = static_cast<std::uint8_t>(changed[at] ^ (1u + random() % 255u));
        }
        add(stem + "." + std::to_string(copy), changed, name.c_str());
      }
    }
  }
  // Package 168 fills the called number only when none is kept from before.
  cdrgen::Bytes alternative = {168, 0, 0, 0};
  const cdrgen::Bytes called = cdrgen::EwsdCalledPackage("999");
  alternative.insert(alternative.end(), called.begin() + 1, called.end());
  cdrgen::EwsdSampleRecord record = Dated(5, 5);
  record.packages = {record.packages[0], alternative};
  add("ewsd-e.dat", cdrgen::EwsdFileBuilder().Record(record).Build(), "EWSD");
  return rows;
}

struct RunRecord {
  std::vector<DataFileEntry> rows;
  std::vector<std::string> log;
  std::vector<AnalysisOutcome> outcomes;
  EngineState state;
};

// A plain run and then one over every row again, on the memory the first
// left, as a window does.
RunRecord RunList(const std::vector<DataFileEntry>& list, unsigned workers,
                  std::size_t stop_row = static_cast<std::size_t>(-1),
                  MessageAnswer answer = MessageAnswer::kYes) {
  RunRecord run;
  run.rows = list;
  LoggingHost host;
  host.state = &run.state;
  host.stop_row = stop_row;
  host.answers = {answer};
  FixedClock clock(testing::Reading(2006));
  AnalyserContext context{host, clock, run.state};
  run.outcomes.push_back(AnalyseFiles(run.rows, false, context, workers));
  host.stop_row = static_cast<std::size_t>(-1);
  run.outcomes.push_back(AnalyseFiles(run.rows, true, context, workers));
  run.log = host.log;
  return run;
}

void ExpectSameRun(const RunRecord& one, const RunRecord& many) {
  ASSERT_EQ(one.rows.size(), many.rows.size());
  for (std::size_t i = 0; i < one.rows.size(); ++i) {
    const DataFileEntry& a = one.rows[i];
    const DataFileEntry& b = many.rows[i];
    EXPECT_EQ(a.state, b.state) << a.binary_file;
    EXPECT_EQ(a.start_time, b.start_time) << a.binary_file;
    EXPECT_EQ(a.end_time, b.end_time) << a.binary_file;
    EXPECT_EQ(a.records, b.records) << a.binary_file;
  }
  EXPECT_EQ(one.log, many.log);
  for (std::size_t r = 0; r < one.outcomes.size(); ++r) {
    EXPECT_EQ(one.outcomes[r].stopped, many.outcomes[r].stopped);
    EXPECT_EQ(one.outcomes[r].analysed, many.outcomes[r].analysed);
    EXPECT_EQ(one.outcomes[r].unreadable, many.outcomes[r].unreadable);
    EXPECT_EQ(RecordsText(one.outcomes[r].totals), RecordsText(many.outcomes[r].totals));
  }
  EXPECT_EQ(one.state.ocb.header_offset, many.state.ocb.header_offset);
  EXPECT_EQ(one.state.ocb.stride, many.state.ocb.stride);
  const EwsdMemory& a = one.state.ewsd;
  const EwsdMemory& b = many.state.ewsd;
  EXPECT_EQ(a.slot_values.date, b.slot_values.date);
  EXPECT_EQ(a.slot_values.time, b.slot_values.time);
  EXPECT_EQ(a.slot_values.calling, b.slot_values.calling);
  EXPECT_EQ(a.slot_values.called, b.slot_values.called);
  EXPECT_EQ(a.record, b.record);
  EXPECT_EQ(a.length, b.length);
  EXPECT_EQ(b.unknown, 0u);
  EXPECT_FALSE(b.read_unknown);
}

TEST(ParallelAnalysis, SameRowsMessagesAndTotalsAsOneWorker) {
  TempFolder folder;
  const std::vector<DataFileEntry> list = MixedList(folder);
  const RunRecord one = RunList(list, 1);
  // What the list is meant to hold did happen.
  EXPECT_EQ(one.rows[2].start_time, one.rows[1].end_time);
  EXPECT_EQ(one.rows[4].end_time, one.rows[2].end_time);
  EXPECT_EQ(std::count_if(one.log.begin(), one.log.end(),
                          [](const std::string& line) {
                            return line.rfind("message Pack Message 140 Received.", 0) == 0;
                          }),
            2);
  EXPECT_NE(one.rows[10].records, "0");
  EXPECT_EQ(one.outcomes[0].unreadable.size(),
            1u + std::filesystem::exists("/sys/devices/system/cpu/online"));
  for (unsigned workers : {2u, 4u}) {
    SCOPED_TRACE(workers);
    ExpectSameRun(one, RunList(list, workers));
  }
}

// Stop clicked while a row is read ends the run at the same row: inside
// the file where the detector asks (EWSD, answered Yes or No), after it
// where it does not (AXE).
TEST(ParallelAnalysis, StopEndsTheRunAtTheSameRow) {
  TempFolder folder;
  const std::vector<DataFileEntry> list = MixedList(folder);
  for (const auto& [row, answer] : {std::pair<std::size_t, MessageAnswer>{1, MessageAnswer::kYes},
                                    {1, MessageAnswer::kNo},
                                    {3, MessageAnswer::kYes},
                                    {20, MessageAnswer::kYes}}) {
    SCOPED_TRACE(row);
    const RunRecord one = RunList(list, 1, row, answer);
    ExpectSameRun(one, RunList(list, 4, row, answer));
  }
}

}  // namespace
}  // namespace lomtra
