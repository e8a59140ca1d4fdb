// Runs the built ostrel on files made with the OCB builder and compares what
// it writes byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdrgen/large_files.h"
#include "cdrgen/ocb_builder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class OstrelCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ostrel_cli_" + TestName());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Two blocks: one full block and a last block of two calls, then a
    // stale block.
    cdrgen::OcbBlockValues full;
    full.sequence = 999999;
    full.day = "003";
    full.time = "120000";
    full.year = "06";
    for (int i = 0; i < 48; ++i) {
      cdrgen::OcbRecordValues r;
      r.day = i == 0 ? "365" : "002";
      r.time = "0830" + cdrgen::Digits(static_cast<std::uint64_t>(i), 2);
      r.function_type = i % 2 == 0 ? 0x20 : 0x30;
      r.calling = "24567";
      r.ic_trunk = "9";
      r.called = "011" + cdrgen::Digits(static_cast<std::uint64_t>(i), 4);
      r.duration = static_cast<std::uint16_t>(i * 10);
      r.units = static_cast<std::uint32_t>(i);
      r.og_trunk = "12";
      full.records.push_back(r);
    }
    cdrgen::OcbBlockValues last = full;
    last.sequence = 0;
    last.records.resize(2);
    cdrgen::OcbBlockValues stale = full;
    stale.sequence = 4711;
    cdrgen::OcbFileBuilder builder;
    builder.Add(full).Add(last).Add(stale);
    ocb_ = dir_ / "a.dat";
    cdrgen::WriteFile(ocb_, builder.Build());
    other_ = dir_ / "other.dat";
    cdrgen::WriteFile(other_, cdrgen::Bytes(3000, 0x55));
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Run(const std::string& arguments, const std::string& input = "") {
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr", in = dir_ / "stdin";
    { std::ofstream(in) << input; }
    const std::string command =
        std::string(OSTREL_EXE) + " " + arguments + " <" + Q(in) + " >" + Q(out) + " 2>" + Q(err);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
  }
  static std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
  // Runs a Python script (the arguments follow it); true when it passed.
  bool Python(const std::string& script, const std::string& arguments) {
    const fs::path path = dir_ / "check.py";
    std::ofstream(path) << script;
    const std::string command = "/usr/bin/python3 " + Q(path) + " " + arguments;
    return std::system(command.c_str()) == 0;
  }

  fs::path dir_, ocb_, other_;
};

TEST_F(OstrelCommandLine, ExtractWritesTheDefaultFields) {
  const Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "50 Records Written from 1 Files\n");
  EXPECT_EQ(r.out, "");
  // The last field (15, the incoming trunk) is no integer: no added spaces.
  std::string expected;
  for (int i = 0; i < 50; ++i) {
    const int k = i % 48;
    const std::string date = k == 0 ? "2005-12-31" : "2006-01-02";
    expected += date + ",08:30:" + cdrgen::Digits(static_cast<std::uint64_t>(k), 2) + ",24567,011" +
                cdrgen::Digits(static_cast<std::uint64_t>(k), 4) + "," + std::to_string(k * 10) +
                "," + std::to_string(k) + ",12,9\r\n";
  }
  EXPECT_EQ(Slurp(dir_ / "out.txt"), expected);
}

TEST_F(OstrelCommandLine, FieldListsWithRangesAndTheSpacedLastInteger) {
  const Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " --fields 8,12-13 " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  const std::string out = Slurp(dir_ / "out.txt");
  EXPECT_EQ(out.substr(0, 30), "0110000,0, 0 \r\n0110001,10, 1 \r");
  EXPECT_EQ(Run("extract -o x --fields 0,19 " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract -o x --fields 6-4 " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("frobnicate").status, 2);
  // An option of another command is no option of this one.
  EXPECT_EQ(Run("analyse --yes " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract --to x -o " + Q(dir_ / "out.txt") + " " + Q(ocb_)).status, 2);
}

TEST_F(OstrelCommandLine, InvalidFileIsSkippedOrStopsTheRun) {
  const std::string files = Q(other_) + " " + Q(ocb_);
  Outcome r = Run("extract -o " + Q(dir_ / "out.txt") + " --fields 8 " + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ostrel: " + other_.string() +
                       " is not a valid OCB Data File.  Do you Want to continue? Yes\n"
                       "50 Records Written from 2 Files\n");
  r = Run("extract -o " + Q(dir_ / "out.txt") + " --stop-on-error --fields 8 " + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ostrel: " + other_.string() +
                       " is not a valid OCB Data File.  Do you Want to continue? No\n"
                       "0 Records Written from 1 Files\n");
  EXPECT_EQ(Slurp(dir_ / "out.txt"), "");
  r = Run("extract --quiet -o " + Q(dir_ / "out.txt") + " " + files);
  EXPECT_EQ(r.err, "");
}

TEST_F(OstrelCommandLine, UnreadableInputAndUnwritableOutputEndTheRun) {
  Outcome r = Run("extract -o " + Q(dir_ / "no" / "out.txt") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(
      r.err.rfind(
          "ostrel: Cannot create the output file " + (dir_ / "no" / "out.txt").string() + ": ", 0),
      0u);
  // A folder as the output is refused before any file is read.
  r = Run("extract -o " + Q(dir_) + " " + Q(ocb_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ostrel: Cannot create the output file " + dir_.string() + ": Is a directory\n");
  r = Run("extract -o " + Q(dir_ / "out.txt") + " " + Q(dir_ / "missing.dat"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing.dat: No such file or directory"), std::string::npos);
}

TEST_F(OstrelCommandLine, AnalysePrintsTheDetails) {
  const Outcome r = Run("analyse " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Data Copied Date\t2006-01-03\n"
            "Data Copied Time\t12:00:00\n"
            "Data Type\tFDTIL\n"
            "Data File Size\t6144\n"
            "Number of Records\t50\n"
            "Useful Data\t2164\n"
            "% of Useful Data\t35.22 %\n"
            "Blocks Acknowledged\t1      [2] \n"
            "First Block Number\t999999\n"
            "Last Block Number\t0\n"
            "First Date\t2005-12-31\n"
            "First Time\t08:30:00\n"
            "First Calling Number\t24567\n"
            "First Called Number\t0110000\n"
            "Last Date\t2006-01-02\n"
            "Last Time\t08:30:01\n"
            "Last Calling Number\t24567\n"
            "Last Called Number\t0110001\n");
  const Outcome bad = Run("analyse " + Q(other_));
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err,
            "ostrel: " + other_.string() + " is not a valid OCB Data File.  Please Verify\n");
  EXPECT_EQ(Run("analyse " + Q(dir_ / "missing.dat")).status, 2);
}

TEST_F(OstrelCommandLine, TrimAsksAndWritesTheUsefulPart) {
  Outcome r = Run("trim " + Q(ocb_), "n\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Are You Sure to Trim the Binary File of size 0.01 MB  to size  0 MB [y/N] ");
  EXPECT_FALSE(fs::exists(dir_ / "2005-12-31.dat"));

  r = Run("trim " + Q(ocb_), "y\n");
  EXPECT_EQ(r.status, 0);
  const fs::path copy = dir_ / "2005-12-31.dat";
  EXPECT_NE(r.err.find("The Input File is Trimmed and Renamed as " + copy.string() + "\n"),
            std::string::npos);
  EXPECT_EQ(Slurp(copy), Slurp(ocb_).substr(0, 2164));
  EXPECT_EQ(fs::file_size(ocb_), 6144u);

  fs::create_directories(dir_ / "to");
  r = Run("trim --yes --quiet --to " + Q(dir_ / "to") + " " + Q(ocb_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(fs::file_size(dir_ / "to" / "2005-12-31.dat"), 2164u);
}

// What the text lines of the same records hold, field by field (the spaces
// around a last integer are the layout's, not the value's), and the moment
// their date and time make, or none when either is damaged.
constexpr const char* kLineFields = R"(
import datetime, re, sys
def line_fields(path):
    lines = open(path, encoding='latin-1', newline='').read().split('\r\n')[:-1]
    fields = [line.split(',') for line in lines]
    for f in fields:
        f[-1] = f[-1].strip(' ')
    return fields
def moment(date, time):
    if not re.fullmatch(r'\d{4}-\d\d-\d\d', date) or not re.fullmatch(r'\d\d:\d\d:\d\d', time):
        return None
    try:
        return datetime.datetime.strptime(date + 'T' + time, '%Y-%m-%dT%H:%M:%S').isoformat()
    except ValueError:
        return None
)";

// csv and jsonl, read back by Python's own modules, hold for every record the
// values of the text line of the same run: a sample, calls with the caller
// and the trunk swapped and a stale block behind, and damaged dates and
// times from the fuzz corpus.
TEST_F(OstrelCommandLine, TableRowsHoldTheTextLinesValues) {
  const fs::path sample = dir_ / "sample.dat";
  ASSERT_TRUE(cdrgen::WriteSampleFile("ocb", sample, 300000, 7));
  const std::string damaged =
      std::string(SUITE_SOURCE_DIR) + "/fuzz/corpus/detect_ocb/regress-day-overflow.bin";
  const std::string inputs = Q(sample) + " " + Q(ocb_) + " " + Q(damaged);
  for (const char* format : {"text", "csv", "jsonl"}) {
    const Outcome r = Run(std::string("extract -q --fields 1-18 --format ") + format + " -o " +
                          Q(dir_ / (std::string("calls.") + format)) + " " + inputs);
    ASSERT_EQ(r.status, 0) << format << r.err;
  }
  // The chosen fields only, in the line's order.
  ASSERT_EQ(
      Run("extract -q --fields 13,4 --format csv -o " + Q(dir_ / "two.csv") + " " + Q(ocb_)).status,
      0);
  EXPECT_EQ(Slurp(dir_ / "two.csv").substr(0, 84),
            "Date Of Call,Number Of Charged Units,call_start,source_file,record_no\r\n"
            "2005-12-31,0,");
  EXPECT_TRUE(Python(std::string(kLineFields) + R"(
import csv, json
text, csv_path, jsonl_path = sys.argv[1:4]
files = sys.argv[4:]
lines = line_fields(text)
rows = list(csv.reader(open(csv_path, encoding='utf-8', newline=''), strict=True))
objects = [json.loads(l) for l in open(jsonl_path, encoding='utf-8')]
assert rows[0][:3] == ['Header Function Type', 'Header Entity Type', 'Calling Party Category']
assert rows[0][18:] == ['call_start', 'source_file', 'record_no'], rows[0]
assert list(objects[0])[17:] == ['operator_service_class', 'call_start', 'source_file', 'record_no']
assert len(lines) == len(rows) - 1 == len(objects) > 5000, (len(lines), len(rows))
damaged = 0
last = (None, 0)
for values, row, obj in zip(lines, rows[1:], objects):
    assert row[:18] == values, (row, values)
    assert row[18] == (moment(values[3], values[4]) or ''), row
    damaged += row[18] == ''
    assert row[19] in files, row
    key = (row[19], int(row[20]))
    assert key[0] != last[0] or key[1] > last[1], (last, key)
    last = key
    assert ['' if v is None else str(v) for v in obj.values()] == row, (obj, row)
    assert type(obj['chargable_duration']) is int and type(obj['called_number']) is str, obj
assert damaged > 0
)",
                     Q(dir_ / "calls.text") + " " + Q(dir_ / "calls.csv") + " " +
                         Q(dir_ / "calls.jsonl") + " " + inputs));
}

// A database holds the text lines' values of every call, the calls of a
// file loaded again replace its earlier ones, a file that is no OCB file
// leaves nothing, and a database that is not ours stays as it was.
TEST_F(OstrelCommandLine, SqliteHoldsTheTextLinesValuesAndReloadsWithoutDuplicates) {
  const std::string damaged =
      std::string(SUITE_SOURCE_DIR) + "/fuzz/corpus/detect_ocb/regress-day-overflow.bin";
  const std::string db = (dir_ / "calls.db").string();
  ASSERT_EQ(
      Run("extract -q --fields 1-18 -o " + Q(dir_ / "calls.txt") + " " + Q(ocb_) + " " + Q(damaged))
          .status,
      0);
  Outcome r = Run("extract --fields 1-18 --format sqlite -o " + Q(db) + " " + Q(ocb_) + " " +
                  Q(other_) + " " + Q(damaged));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), "98 Records Loaded from 2 Files into " + db + "\n");
  const std::string check = std::string(kLineFields) + R"(
import sqlite3
db, text, chosen = sys.argv[1], sys.argv[2], int(sys.argv[3])
lines = line_fields(text)
con = sqlite3.connect(db)
assert [r[0] for r in con.execute('select program from files')] == ['ostrel', 'ostrel']
rows = con.execute('select c.*, f.path, f.records from ocb_calls c join files f on f.id = c.file_id '
                   'order by c.file_id, c.record_no').fetchall()
assert len(rows) == len(lines) == 98, len(rows)
for values, row in zip(lines, rows):
    assert row[2] == moment(values[3], values[4]), (row, values)
    cells = ['' if v is None else str(v) for v in row[3:21]]
    assert cells[:chosen] == values[:chosen] and cells[chosen:] == [''] * (18 - chosen), (row, values)
    assert row[22] == (50 if row[21].endswith('a.dat') else 48), row
)";
  EXPECT_TRUE(Python(check, Q(db) + " " + Q(dir_ / "calls.txt") + " 18"));
  // Loaded again with fewer fields: the same calls, once, the others NULL.
  r = Run("extract -q --fields 1-3 --format sqlite -o " + Q(db) + " " + Q(ocb_) + " " + Q(damaged));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Python(check, Q(db) + " " + Q(dir_ / "calls.txt") + " 3"));

  // Refused before anything changes: not SQLite, and a table of another shape.
  const std::string stranger = (dir_ / "stranger.db").string();
  ASSERT_TRUE(
      Python("import sqlite3, sys\n"
             "sqlite3.connect(sys.argv[1]).execute('create table ocb_calls (x text)')\n",
             Q(stranger)));
  for (const std::string& target : {stranger, (dir_ / "calls.txt").string()}) {
    const std::string before = Slurp(target);
    r = Run("extract --format sqlite -o " + Q(target) + " " + Q(ocb_));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("ostrel: Cannot open the database " + target + ": ", 0), 0u) << r.err;
    EXPECT_TRUE(Slurp(target) == before) << target;
  }
  EXPECT_EQ(Run("extract --format sqlite -o - " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract --format csv --db x -o " + Q(dir_ / "x.csv") + " " + Q(ocb_)).status, 2);
  EXPECT_EQ(Run("extract --format xml -o " + Q(dir_ / "x.xml") + " " + Q(ocb_)).status, 2);
}

}  // namespace
