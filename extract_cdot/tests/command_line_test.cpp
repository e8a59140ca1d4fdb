#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdrgen/cdot_builder.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
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

cdrgen::CdotRecord Call(const std::string& calling, const std::string& called, int hour,
                        std::uint64_t itg = 12) {
  cdrgen::CdotRecord r;
  r.calling = calling;
  r.called = called;
  r.hour = hour;
  r.minute = 5;
  r.second = 9;
  r.duration_ms = 42500;
  r.incoming_group = itg;
  return r;
}

// Each test has a folder of its own: CTest runs them side by side.
class KelvanCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kelvan_cli_" + TestName());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Two day sections: evening calls of 06/03 at the start of 07/03.
    cdrgen::CdotFileBuilder b;
    b.Section("070305").Add(Call("612345", "22334455", 21)).Add(Call("0612345", "98765", 19, 0));
    b.Add(Call("5551234", "22334455", 22));
    for (int i = 0; i < 10; ++i) b.Add(Call("1000" + std::to_string(i), "777", 23));
    b.Section("080305").Add(Call("41234567", "22334455", 8));
    for (int i = 0; i < 11; ++i) b.Add(Call("2000" + std::to_string(i), "888", 9));
    sectioned_ = dir_ / "a.dat";
    cdrgen::WriteFile(sectioned_, b.Build());
    cdrgen::CdotFileBuilder bare;
    bare.Add(Call("612345", "5", 20));
    bare_ = dir_ / "TGCB010305.DAT";
    cdrgen::WriteFile(bare_, bare.Build());
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Run(const std::string& arguments) {
    const auto out_file = dir_ / "stdout.txt", err_file = dir_ / "stderr.txt";
    const std::string command =
        std::string(KELVAN_EXE) + " " + arguments + " >" + Q(out_file) + " 2>" + Q(err_file);
    const int raw = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = Slurp(out_file);
    o.err = Slurp(err_file);
    return o;
  }
  static std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

  // The closing message, whatever the seconds it took.
  static void ExpectClosing(const std::string& err, const std::string& start) {
    EXPECT_EQ(err.rfind(start + " in ", 0), 0u) << err;
    EXPECT_EQ(err.substr(err.size() < 9 ? 0 : err.size() - 9), " Seconds\n") << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  }

  fs::path dir_, sectioned_, bare_;
};

TEST_F(KelvanCommandLineTest, AllFieldsCommaDelimitedByteForByte) {
  const auto out = dir_ / "out.txt";
  const Outcome r = Run("extract -o " + Q(out) + " " + Q(sectioned_) + " " + Q(bare_));
  EXPECT_EQ(r.status, 0);
  ExpectClosing(r.err, "26 Records Written from 2 Files");
  std::string expected =
      "2005/03/06,21:05:09,612345,22334455,42,3,34,12\r\n"
      "2005/03/07,19:05:09,0612345,98765,42,3,34,\r\n"
      "2005/03/07,22:05:09,5551234,22334455,42,3,34,12\r\n";
  for (int i = 0; i < 10; ++i)
    expected += "2005/03/07,23:05:09,1000" + std::to_string(i) + ",777,42,3,34,12\r\n";
  expected += "2005/03/08,08:05:09,41234567,22334455,42,3,34,12\r\n";
  for (int i = 0; i < 11; ++i)
    expected += "2005/03/08,09:05:09,2000" + std::to_string(i) + ",888,42,3,34,12\r\n";
  expected += "2005/02/28,20:05:09,612345,5,42,3,34,12\r\n";  // header-less, dated from its name
  EXPECT_EQ(Slurp(out), expected);
}

TEST_F(KelvanCommandLineTest, FixedWidthWithAreaCode) {
  const auto out = dir_ / "out.txt";
  const Outcome r =
      Run("extract -o " + Q(out) + " --fixed --fields 5,3 --area-code 4565 " + Q(bare_));
  EXPECT_EQ(r.status, 0);
  ExpectClosing(r.err, "1 Records Written from 1 File");
  EXPECT_EQ(Slurp(out), "4565612345" + std::string(11, ' ') + "42" + std::string(8, ' ') + "\r\n");
}

TEST_F(KelvanCommandLineTest, DelimiterNamesAndTypedText) {
  const auto out = dir_ / "out.txt";
  EXPECT_EQ(Run("extract -o " + Q(out) + " --delimiter '|' --fields 1,2 " + Q(bare_)).status, 0);
  EXPECT_EQ(Slurp(out), "2005/02/28|20:05:09\r\n");
  EXPECT_EQ(Run("extract -o " + Q(out) + " --delimiter Tab --fields 1,2 " + Q(bare_)).status, 0);
  EXPECT_EQ(Slurp(out), "2005/02/28\t20:05:09\r\n");
  EXPECT_EQ(Run("extract -o " + Q(out) + " --delimiter Space --fields 5,6,8 " + Q(bare_)).status,
            0);
  EXPECT_EQ(Slurp(out), "42 3 12\r\n");
}

TEST_F(KelvanCommandLineTest, FilterOnCalledAndOnEmptyTrunkGroup) {
  const auto out = dir_ / "out.txt";
  Outcome r =
      Run("extract -o " + Q(out) + " --fields 2,4 --filter called=22334455 " + Q(sectioned_));
  EXPECT_EQ(r.status, 0);
  ExpectClosing(r.err, "3 Records Written from 1 File");
  EXPECT_EQ(Slurp(out), "21:05:09,22334455\r\n22:05:09,22334455\r\n08:05:09,22334455\r\n");
  // An empty value is more likely forgotten than meant: nothing is run.
  r = Run("extract -o " + Q(out) + " --fields 3 --filter itgp= " + Q(sectioned_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Slurp(out), "21:05:09,22334455\r\n22:05:09,22334455\r\n08:05:09,22334455\r\n");
  r = Run("extract -o " + Q(out) + " --fields 3 --filter calling=4565612345 --area-code 4565 " +
          Q(sectioned_));
  EXPECT_EQ(Slurp(out), "4565612345\r\n");
  r = Run("extract -o " + Q(out) + " --fields 3 --filter otgp=34 " + Q(bare_));
  EXPECT_EQ(Slurp(out), "612345\r\n");
}

TEST_F(KelvanCommandLineTest, OneFilePerSection) {
  const Outcome r =
      Run("extract --dir " + Q(dir_) + " --fields 3 " + Q(sectioned_) + " " + Q(bare_));
  EXPECT_EQ(r.status, 0);
  ExpectClosing(r.err, "26 Records Written from 2 Files");
  std::string day7 = "612345\r\n0612345\r\n5551234\r\n";
  for (int i = 0; i < 10; ++i) day7 += "1000" + std::to_string(i) + "\r\n";
  EXPECT_EQ(Slurp(dir_ / "tgcbr070305.txt"), day7);
  EXPECT_EQ(Slurp(dir_ / "tgcbr080305.txt").substr(0, 10), "41234567\r\n");
  EXPECT_EQ(Slurp(dir_ / "tgcbr010305.txt"), "612345\r\n");
}

TEST_F(KelvanCommandLineTest, AMissingFolderForTheDaysIsMade) {
  const Outcome r =
      Run("extract --quiet --dir " + Q(dir_ / "days" / "march") + " --fields 3 " + Q(bare_));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir_ / "days" / "march" / "tgcbr010305.txt"), "612345\r\n");
}

TEST_F(KelvanCommandLineTest, QuietTellsNothingButErrors) {
  const Outcome r = Run("extract --quiet -o " + Q(dir_ / "out.txt") + " " + Q(bare_));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const Outcome missing =
      Run("extract --quiet -o " + Q(dir_ / "out.txt") + " " + Q(dir_ / "none.dat"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "kelvan: Cannot open the input file " + (dir_ / "none.dat").string() +
                             ": No such file or directory\n");
}

TEST_F(KelvanCommandLineTest, OutputThatCannotBeCreatedEndsWithStatus2) {
  const auto out = dir_ / "no" / "out.txt";
  const Outcome r = Run("extract -o " + Q(out) + " " + Q(bare_));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "kelvan: Cannot create the output file " + out.string() +
                       ": No such file or directory\n");
}

TEST_F(KelvanCommandLineTest, UsageErrors) {
  const std::string file = " " + Q(bare_);
  for (const std::string& args : std::vector<std::string>{
           "frobnicate", "extract" + file, "extract -o a --dir b" + file,
           "extract -o a --fixed --delimiter Tab" + file, "extract -o a --fields 9" + file,
           "extract -o a --fields 1,,2" + file, "extract -o a --filter duration=4" + file,
           "extract -o a --filter calling" + file, "extract -o " + Q(dir_ / "o"),
           "extract -o a --bogus" + file, "extract -o", "extract -o a --area-code abc" + file,
           "extract -o a --area-code ''" + file, "extract -o a --filter called=" + file,
           "extract --format xml -o a" + file, "extract --format sqlite -o -" + file,
           "extract --format sqlite --dir d" + file, "extract --format csv -o a --db x" + file,
           "extract --format csv -o a --fixed" + file}) {
    const Outcome r = Run(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.err.rfind("kelvan: ", 0), 0u) << args;
  }
  EXPECT_FALSE(fs::exists(dir_ / "o"));
}

// Rows keep the text run's choices: the filter (without renumbering the
// records left out), the area code, the field choice, and one file per day,
// each with its header row.
TEST_F(KelvanCommandLineTest, RowsKeepTheFilterTheAreaCodeAndTheDays) {
  const auto out = dir_ / "out.csv";
  Outcome r = Run("extract --quiet --format csv -o " + Q(out) +
                  " --fields 3,7 --area-code 4565 --filter called=22334455 " + Q(sectioned_));
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string from = "," + sectioned_.string() + ",";
  EXPECT_EQ(Slurp(out),
            "Calling Number,O/G Trunk Group Name,call_start,source_file,record_no\r\n"
            "4565612345,34,2005-03-06T21:05:09" +
                from + "1\r\n" + "45655551234,34,2005-03-07T22:05:09" + from + "3\r\n" +
                "41234567,34,2005-03-08T08:05:09" + from + "14\r\n");
  r = Run("extract --quiet --format jsonl --dir " + Q(dir_ / "days") + " --fields 3,5 " +
          Q(sectioned_) + " " + Q(bare_));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir_ / "days" / "tgcbr010305.jsonl"),
            "{\"calling_number\":\"612345\",\"duration\":42,\"call_start\":\"2005-02-28T20:05:09\","
            "\"source_file\":\"" +
                bare_.string() + "\",\"record_no\":1}\n");
  r = Run("extract --quiet --format csv --dir " + Q(dir_ / "days") + " --fields 3 " +
          Q(sectioned_) + " " + Q(sectioned_));
  const std::string day8 = Slurp(dir_ / "days" / "tgcbr080305.csv");
  EXPECT_EQ(day8.rfind("Calling Number,call_start,source_file,record_no\r\n41234567,", 0), 0u);
  EXPECT_EQ(day8.find("Calling"), day8.rfind("Calling"));  // once, though two runs of the day
  EXPECT_EQ(std::count(day8.begin(), day8.end(), '\n'), 1 + 2 * 12);
  EXPECT_FALSE(fs::exists(dir_ / "days" / "tgcbr080305.txt"));
}

// csv, jsonl and the database, read back by Python's own modules, hold for
// every record the values of the text line of the same input; a reload
// replaces a file's calls; a database that is not ours is left as it was.
TEST_F(KelvanCommandLineTest, RowsAndDatabaseHoldTheTextLinesValues) {
  // Damage: a section dated 31 February, an hour of 150, a called number
  // with hex letters, trunk groups with no value.
  cdrgen::CdotFileBuilder b;
  cdrgen::CdotRecord odd = Call("612345", "12B4", 150);
  odd.outgoing_ff = true;
  b.Section("310205").Add(Call("5551234", "22334455", 10)).Add(odd);
  b.Section("010305").Add(odd).Add(Call("0612345", "98765", 24, 0));
  for (int i = 0; i < 12; ++i) b.Add(Call("777", "888", 11));  // no file end yet
  const fs::path damaged = dir_ / "damaged.dat";
  cdrgen::WriteFile(damaged, b.Build());
  const fs::path sample = dir_ / "sample.dat";
  cdrgen::WriteFile(sample, cdrgen::CdotSampleFile(300000, 5));
  const std::string inputs = Q(sectioned_) + " " + Q(bare_) + " " + Q(damaged) + " " + Q(sample);
  const auto text = dir_ / "calls.txt", csv = dir_ / "calls.csv", jsonl = dir_ / "calls.jsonl",
             db = dir_ / "calls.db";
  ASSERT_EQ(Run("extract --quiet -o " + Q(text) + " " + inputs).status, 0);
  ASSERT_EQ(Run("extract --quiet --format csv -o " + Q(csv) + " " + inputs).status, 0);
  ASSERT_EQ(Run("extract --quiet --format jsonl -o " + Q(jsonl) + " " + inputs).status, 0);
  ASSERT_EQ(Run("extract --quiet --format sqlite -o " + Q(db) + " " + inputs).status, 0);
  // Again, the second file with a field choice: its calls are replaced.
  Outcome r = Run("extract --format sqlite --fields 3 -o " + Q(db) + " " + Q(bare_));
  EXPECT_EQ(r.status, 0);
  ExpectClosing(r.err, "1 Records Loaded from 1 File into " + db.string());

  const auto script = dir_ / "compare.py";
  std::ofstream(script)
      << "import csv, datetime, json, os, sqlite3, sys\n"
         "text, csv_path, jsonl_path, db = sys.argv[1:5]\n"
         "files = sys.argv[5:]\n"
         "lines = open(text, encoding='latin-1', newline='').read().split('\\r\\n')[:-1]\n"
         "rows = list(csv.reader(open(csv_path, encoding='utf-8', newline=''), strict=True))\n"
         "objects = [json.loads(l) for l in open(jsonl_path, encoding='utf-8')]\n"
         "con = sqlite3.connect(db)\n"
         "calls = con.execute('SELECT f.path, c.* FROM cdot_calls c JOIN files f ON "
         "f.id = c.file_id ORDER BY f.id, c.record_no').fetchall()\n"
         "assert len(rows) == len(lines) + 1 == len(objects) + 1 == len(calls) + 1, "
         "(len(rows), len(lines), len(calls))\n"
         "assert rows[0][:8] == ['Date', 'Time', 'Calling Number', 'Called Number', "
         "'Duration', 'Units', 'O/G Trunk Group Name', 'I/C Trunk Group Name'], rows[0]\n"
         "def moment(date, time):\n"
         "    try:\n"
         "        return datetime.datetime.strptime(date + ' ' + time, '%Y/%m/%d %H:%M:%S')"
         ".isoformat() if len(time) == 8 else ''\n"
         "    except ValueError:\n"
         "        return ''\n"
         "empty = 0\n"
         "for line, row, obj, call in zip(lines, rows[1:], objects, calls):\n"
         "    values = line.split(',')\n"
         "    assert row[:8] == values, (row, line)\n"
         "    assert ['' if v is None else str(v) for v in obj.values()] == row, (obj, row)\n"
         "    assert row[8] == moment(values[0], values[1]), row\n"
         "    empty += row[8] == ''\n"
         "    path, file_id, record_no, start = call[:4]\n"
         "    assert path == os.path.abspath(row[9]) and row[9] in files, (path, row)\n"
         "    assert str(record_no) == row[10] and (start or '') == row[8], (call, row)\n"
         "    cells = ['' if v is None else str(v) for v in call[4:]]\n"
         "    if row[9] == files[1]:\n"
         "        assert cells == ['', '', values[2], '', '', '', '', ''], (cells, line)\n"
         "    else:\n"
         "        assert cells == values, (cells, line)\n"
         "assert empty == 4, [r for r in rows if r[9] == files[2]]\n"
         "assert con.execute('SELECT count(*), sum(records) FROM files').fetchone() == "
         "(4, len(lines))\n"
         "print(len(lines))\n";
  const auto count = dir_ / "count.txt";
  const std::string command = "/usr/bin/python3 " + Q(script) + " " + Q(text) + " " + Q(csv) + " " +
                              Q(jsonl) + " " + Q(db) + " " + inputs + " >" + Q(count);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_GT(std::stoi(Slurp(count)), 5000);

  // Not SQLite, and a cdot_calls of another shape: refused, untouched.
  const auto not_db = dir_ / "notes.db", other = dir_ / "other.db";
  cdrgen::WriteFile(not_db, cdrgen::Bytes(100, 'x'));
  const std::string make = "/usr/bin/python3 -c \"import sqlite3; c = sqlite3.connect('" +
                           other.string() +
                           "'); c.execute('CREATE TABLE cdot_calls (a TEXT)'); c.commit()\"";
  ASSERT_EQ(std::system(make.c_str()), 0);
  for (const fs::path& refused : {not_db, other}) {
    const std::string before = Slurp(refused);
    r = Run("extract --format sqlite -o " + Q(refused) + " " + Q(bare_));
    EXPECT_EQ(r.status, 2) << refused;
    EXPECT_EQ(r.err.rfind("kelvan: Cannot load into the database " + refused.string() + ": ", 0),
              0u)
        << r.err;
    EXPECT_EQ(Slurp(refused), before) << refused;
  }
}

TEST_F(KelvanCommandLineTest, HelpAndVersion) {
  Outcome r = Run("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "kelvan 1.1\n");
  r = Run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("kelvan extract (-o OUT | --dir DIR)"), std::string::npos);
}

}  // namespace
