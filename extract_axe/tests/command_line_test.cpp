#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cdrgen/axe_builder.h"
#include "cdrgen/large_files.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string err;
};

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Each test has a folder of its own: CTest runs them side by side.
Outcome RunPardel(const std::string& arguments) {
  const auto err_file = fs::temp_directory_path() / ("pardel_cli_" + TestName() + ".err");
  const std::string command = std::string(PARDEL_EXE) + " " + arguments + " 2>" + err_file.string();
  const int raw = std::system(command.c_str());
  Outcome out;
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(err_file);
  std::stringstream s;
  s << in.rdbuf();
  out.err = s.str();
  return out;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pardel_cli_" + TestName());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    cdrgen::AxeFileBuilder builder;
    for (int b = 0; b < 11; ++b) {
      builder.NewBlock();
      cdrgen::AxeRecord r;
      r.counter1 = cdrgen::Digits(static_cast<std::uint64_t>(b), 6);
      r.day = cdrgen::Digits(static_cast<std::uint64_t>(b + 1), 2);
      builder.Add(r);
      if (b == 10) {
        r.b_number = "55F";
        r.code2 = "";
        builder.Add(r);
      }
    }
    axe_ = dir_ / "a.dat";
    cdrgen::WriteFile(axe_, builder.Build());
    other_ = dir_ / "other.dat";
    cdrgen::WriteFile(other_, cdrgen::Bytes(5000, 0xFF));
  }
  std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

  fs::path dir_, axe_, other_;
};

TEST_F(CommandLineTest, ExtractWritesEveryRecordByteForByte) {
  const auto out = dir_ / "out.txt";
  const Outcome r = RunPardel("extract -o " + Q(out) + " " + Q(axe_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "12 Records Written from 1 Files\n");
  std::string expected;
  for (int b = 0; b < 11; ++b) {
    char line[80];
    std::snprintf(line, sizeof line, "2006/11/%02d,23:59:09,2456,9876,%d,3,ROUT01,ROUT02\r\n",
                  b + 1, b);
    expected += line;
  }
  expected += "2006/11/11,23:59:09,2456,55,10,3,ROUT01,\r\n";
  EXPECT_EQ(Slurp(out), expected);
}

TEST_F(CommandLineTest, SkippedFileGivesStatusOneAndStopOnErrorEndsTheRun) {
  const auto out = dir_ / "out.txt";
  Outcome r = RunPardel("extract --quiet -o " + Q(out) + " " + Q(other_) + " " + Q(axe_));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "pardel: " + other_.string() +
                       ": The Input File Selected is not AXE Data File. Do you want to continue "
                       "with other Files? Yes\n");
  const std::string text = Slurp(out);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);

  // Nothing was extracted before the No: the earlier output stays.
  r = RunPardel("extract --stop-on-error -o " + Q(out) + " " + Q(other_) + " " + Q(axe_));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Slurp(out), text);
}

TEST_F(CommandLineTest, SampleWritesAtMostFiftyLines) {
  const auto big = dir_ / "big.dat";
  cdrgen::WriteFile(big, cdrgen::AxeSampleFile(20, 3));
  const auto out = dir_ / "sample.txt";
  const Outcome r = RunPardel("sample -o " + Q(out) + " " + Q(big));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string text = Slurp(out);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 50);
}

TEST_F(CommandLineTest, UsageAndFailuresGiveStatusTwo) {
  EXPECT_EQ(RunPardel("extract " + Q(axe_)).status, 2);
  EXPECT_EQ(RunPardel("extract -o x.txt").status, 2);
  EXPECT_EQ(RunPardel("frobnicate").status, 2);
  const Outcome missing_folder =
      RunPardel("extract -o " + Q(dir_ / "no" / "out.txt") + " " + Q(axe_));
  EXPECT_EQ(missing_folder.status, 2);
  EXPECT_NE(missing_folder.err.find("No such file or directory"), std::string::npos);
  const Outcome full = RunPardel("extract -o /dev/full " + Q(axe_));
  EXPECT_EQ(full.status, 2);
  EXPECT_NE(full.err.find("No space left on device"), std::string::npos);
  EXPECT_EQ(full.err.find("Records Written"), std::string::npos);
  EXPECT_EQ(RunPardel("--version").status, 0);
  EXPECT_EQ(RunPardel("--help").status, 0);
}

// What /usr/bin/python3 prints running `script` with `arguments`; the test
// fails when the script does.
std::string Python(const fs::path& dir, const std::string& script, const std::string& arguments) {
  const fs::path file = dir / "check.py";
  const fs::path out = dir / "python.txt";
  std::ofstream(file) << script;
  const std::string command =
      "/usr/bin/python3 '" + file.string() + "' " + arguments + " >'" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Slurp(out);
}

// Records that test the row writers: numbers with commas and quotes, a date
// and a time with blanks and letters (no moment), 31 February, a damaged
// counter, a Latin-1 byte, a record cut short.
fs::path OddRecords(const fs::path& dir) {
  cdrgen::AxeFileBuilder builder;
  for (int b = 0; b < 11; ++b) {
    builder.NewBlock();
    cdrgen::AxeRecord r;
    builder.Add(r);
    if (b != 3) continue;
    r.a_number = "12,34\"5";
    r.b_number = "\"9 8\\7F";
    r.day = " 1";
    r.minute = "5A";
    builder.Add(r);
    r = {};
    r.month = "02";
    r.day = "31";
    r.counter1 = "-00012";
    r.code1 = "R\xE9UT";
    builder.Add(r);
    r = {};
    r.length = 60;
    builder.Add(r);
  }
  const fs::path path = dir / "odd.dat";
  cdrgen::WriteFile(path, builder.Build());
  return path;
}

// csv, jsonl and sqlite, read back by Python's own modules, hold for every
// record exactly the fields of the text line of the same run.
TEST_F(CommandLineTest, RowsAndCallsHoldTheTextLinesFields) {
  const fs::path sample = dir_ / "sample.dat";
  ASSERT_TRUE(cdrgen::WriteSampleFile("axe", sample, 300000, 5));
  const fs::path odd = OddRecords(dir_);
  const std::string inputs = Q(sample) + " " + Q(odd) + " " + Q(axe_);
  const fs::path text = dir_ / "calls.txt", csv = dir_ / "calls.csv", jsonl = dir_ / "calls.jsonl",
                 db = dir_ / "calls.sqlite";
  ASSERT_EQ(RunPardel("extract --quiet -o " + Q(text) + " " + inputs).status, 0);
  ASSERT_EQ(RunPardel("extract --quiet --format csv -o " + Q(csv) + " " + inputs).status, 0);
  ASSERT_EQ(RunPardel("extract --quiet --format jsonl -o " + Q(jsonl) + " " + inputs).status, 0);
  const Outcome loaded = RunPardel("extract --format sqlite -o " + Q(db) + " " + inputs);
  ASSERT_EQ(loaded.status, 0);
  // Loading the files again replaces their calls.
  ASSERT_EQ(RunPardel("extract --quiet --format sqlite -o " + Q(db) + " " + Q(odd) + " " + Q(axe_))
                .status,
            0);

  const std::string script =
      "import csv, json, sqlite3, sys, datetime\n"
      "text, csv_path, jsonl_path, db = sys.argv[1:5]\n"
      "files = sys.argv[5:]\n"
      "lines = open(text, encoding='latin-1', newline='').read().split('\\r\\n')[:-1]\n"
      "rows = list(csv.reader(open(csv_path, encoding='utf-8', newline=''), strict=True))\n"
      "objects = [json.loads(l) for l in open(jsonl_path, encoding='utf-8')]\n"
      "c = sqlite3.connect(db)\n"
      "calls = c.execute('SELECT f.path, a.* FROM axe_calls a JOIN files f ON f.id = a.file_id'\n"
      "                  ' ORDER BY f.id, a.record_no').fetchall()\n"
      "n = (len(rows) - 1, len(lines), len(objects), len(calls))\n"
      "assert len(set(n)) == 1, n\n"
      "assert rows[0] == ['Date', 'Time', 'A Number', 'B Number', 'First Counter',\n"
      "    'Second Counter', 'First Code', 'Second Code', 'call_start', 'source_file',\n"
      "    'record_no'], rows[0]\n"

      "numbers = {}\n"
      "moments = 0\n"
      "for line, row, obj, call in zip(lines, rows[1:], objects, calls):\n"
      "    if line.count(',') == 7: assert row[:8] == line.split(','), (row, line)\n"
      "    assert ','.join(row[:8]) == line, (row, line)\n"
      "    assert ['' if v is None else str(v) for v in obj.values()] == row, (obj, row)\n"
      "    assert list(obj.keys())[:3] == ['date', 'time', 'a_number'], obj\n"
      "    numbers[row[9]] = numbers.get(row[9], 0) + 1\n"
      "    assert int(row[10]) == numbers[row[9]], row\n"
      "    try: moment = datetime.datetime.strptime(row[0] + row[1], '%Y/%m/%d%H:%M:%S')\n"
      "    except ValueError: moment = None\n"
      "    if ' ' in row[0] + row[1]: moment = None\n"
      "    assert row[8] == ('' if moment is None else moment.isoformat()), row\n"
      "    moments += moment is not None\n"
      "    assert call[0].endswith('/' + row[9].split('/')[-1]), (call, row)\n"
      "    assert call[2] == int(row[10]) and (call[3] or '') == row[8], (call, row)\n"
      "    assert ['' if v is None else str(v) for v in call[4:]] == row[:8], (call, row)\n"
      "assert c.execute('SELECT count(*) FROM files').fetchone()[0] == 3\n"
      "print(len(lines), len(lines) - moments)\n";
  const std::string read =
      Python(dir_, script, Q(text) + " " + Q(csv) + " " + Q(jsonl) + " " + Q(db) + " " + inputs);
  std::istringstream counts(read);
  int records = 0, without_moment = 0;
  counts >> records >> without_moment;
  EXPECT_GT(records, 2000) << read;
  EXPECT_EQ(without_moment, 3) << read;
  EXPECT_NE(loaded.err.find(" Records Loaded from 3 Files into " + db.string() + "\n"),
            std::string::npos)
      << loaded.err;
}

}  // namespace
