// Runs the built lomtra program on generated files of every format and
// compares its output byte for byte.
#include "app/command_line.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/large_files.h"
#include "engine/report_file.h"
#include "platform/sqlite_calls.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::TempFolder;

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// `env` goes before the program (for example "env -u DISPLAY").
ProgramRun Lomtra(const TempFolder& folder, const std::string& args, const std::string& env = "") {
  const auto out = folder.Path() / "stdout.txt";
  const auto err = folder.Path() / "stderr.txt";
  const std::string command = "cd '" + (folder.Path() / "data").string() + "' && " + env +
                              " '" LOMTRA_EXE "' " + args + " > '" + out.string() + "' 2> '" +
                              err.string() + "' < /dev/null";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(out);
  run.err = Slurp(err);
  return run;
}

cdrgen::EwsdSampleRecord Dated(int day, int hour, int minute, int second) {
  cdrgen::EwsdSampleRecord r;
  r.packages = {cdrgen::EwsdDatePackage(6, 11, day, hour, minute, second, 60),
                cdrgen::EwsdCalledPackage("0123")};
  return r;
}

// One file of each format plus one that no test recognises, named so that
// the folder's name order is the order below.
void WriteSamples(const TempFolder& folder) {
  std::filesystem::create_directories(folder.Path() / "data");
  auto write = [&](const std::string& name, const cdrgen::Bytes& bytes) {
    cdrgen::WriteFile(folder.Path() / "data" / name, bytes);
  };
  auto ocb_block = [](std::uint32_t sequence, std::size_t count) {
    cdrgen::OcbSampleBlock b;
    b.sequence = sequence;
    for (std::size_t r = 0; r < count; ++r) {
      cdrgen::OcbSampleRecord rec;
      rec.time = "1000" + cdrgen::Digits(r, 2);
      b.records.push_back(rec);
    }
    return b;
  };
  write("a_ocb.dat", cdrgen::OcbAnalyserFile({ocb_block(1, 48), ocb_block(2, 10)}));
  write("b_ewsd.dat", cdrgen::EwsdFileBuilder()
                          .Record(Dated(1, 7, 0, 0))
                          .Record(Dated(30, 23, 59, 9))
                          .Filler80(2)
                          .Build());
  write("c_cd150305.dat", cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(20)));
  std::vector<cdrgen::E10bRecord> e10b;
  for (int s = 1; s <= 12; ++s) {
    e10b.push_back({static_cast<std::uint16_t>(s), "0060",
                    "08" + cdrgen::Digits(static_cast<std::uint64_t>(s), 2)});
  }
  write("d_e10b.dat", cdrgen::E10bFile(e10b));
  cdrgen::AxeFileBuilder axe;
  for (int k = 1; k <= 11; ++k) {
    cdrgen::AxeRecord r;
    r.length = 100;
    r.day = cdrgen::Digits(static_cast<std::uint64_t>(k), 2);
    r.hour = "14";
    axe.NewBlock().Add(r);
  }
  write("e_axe.dat", axe.Build());
  std::vector<cdrgen::FiveEssRecord> five(11, cdrgen::FiveEssRecord{"050101", "080000"});
  five[0] = {"050101", "120000"};
  five[1] = {"041231", "235959"};
  write("f_5ess.dat", cdrgen::FiveEssFile(five));
  cdrgen::Bytes text;
  cdrgen::Append(text, std::string(3000, 'x'));
  write("g_other.txt", text);
}

const char* kRule =
    "+-----+----------------------------------------------------+------------+---------------------"
    "--+"
    "-----------------------+------------+------------+\r\n";

std::string ExpectedReport() {
  return std::string("Lomtra Report02-01-2008  03:04:05\r\n\r\n") + kRule +
         "| No  |                  BINARY FILE                       |   SWITCH   |       START "
         "TIME      |"
         "        END TIME       |   RECORDS  |    SIZE    |\r\n" +
         kRule +
         "|   1 | ./a_ocb.dat                                        |        OCB | 2006-04-10   "
         "10:00:00 | "
         "2006-04-10   10:00:09 |         58 |       4 KB | \r\n"
         "|   2 | ./b_ewsd.dat                                       |       EWSD | 2006-11-01   "
         "07:00:00 | "
         "2006-11-30   23:59:09 |          2 |       0 KB | \r\n"
         "|   3 | ./c_cd150305.dat                                   |       CDOT | 2005-03-15   "
         "10:20:30 | "
         "2005-03-15   10:20:30 |         20 |       1 KB | \r\n"
         "|   4 | ./d_e10b.dat                                       |       E10B | 2008-02-29   "
         "08:01:00 | "
         "2008-02-29   08:12:00 |         12 |       2 KB | \r\n"
         "|   5 | ./e_axe.dat                                        |        AXE | 2006-11-01   "
         "14:59:09 | "
         "2006-11-11   14:59:09 |         11 |      22 KB | \r\n"
         "|   6 | ./f_5ess.dat                                       |       5ESS | 2004-12-31   "
         "23:59:59 | "
         "2005-01-01   12:00:00 |         10 |       1 KB | \r\n"
         "|   7 | ./g_other.txt                                      |    Unknown |     Invalid  "
         "File     | "
         "    Invalid  File     |          0 |       3 KB | \r\n" +
         kRule;
}

const char* kClock = "--clock '2008-01-02 03:04:05'";

TEST(LomtraCommandLine, IdentifyEveryFormat) {
  TempFolder folder;
  WriteSamples(folder);
  const ProgramRun run = Lomtra(folder, "identify . missing.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "OCB\t./a_ocb.dat\nEWSD\t./b_ewsd.dat\nCDOT\t./c_cd150305.dat\nE10B\t./d_e10b.dat\n"
            "AXE\t./e_axe.dat\n5ESS\t./f_5ess.dat\nUnknown\t./g_other.txt\n");
  EXPECT_EQ(run.err, "lomtra: cannot read missing.dat: No such file or directory\n");
  EXPECT_EQ(Lomtra(folder, "identify a_ocb.dat").status, 0);
}

TEST(LomtraCommandLine, AnalyseWritesTheReportToStandardOutput) {
  TempFolder folder;
  WriteSamples(folder);
  const ProgramRun run = Lomtra(folder, std::string("analyse ") + kClock + " .");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ExpectedReport());
  EXPECT_EQ(run.err,
            "Total Valid Data Files: 6\nTotal Valid Data File Size: 0.03 MB\nTotal Records: 113\n"
            "Data File Analysis Over\n");
}

TEST(LomtraCommandLine, AnalyseWritesTheReportFile) {
  TempFolder folder;
  WriteSamples(folder);
  const auto report = folder.Path() / "r.lmt";
  ProgramRun run = Lomtra(
      folder, std::string("analyse --quiet ") + kClock + " --report '" + report.string() + "' .");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Slurp(report), ExpectedReport());
  // An existing report is kept when questions are answered No.
  std::filesystem::resize_file(report, 10);
  run = Lomtra(folder, std::string("analyse --stop-on-error ") + kClock + " --report '" +
                           report.string() + "' a_ocb.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::filesystem::file_size(report), 10u);
  EXPECT_NE(run.err.find("File Exists. Do you want to OverWrite? No\n"), std::string::npos);
  // A report that cannot be created ends the run with status 2.
  run = Lomtra(folder,
               "analyse --report '" + (folder.Path() / "no" / "r.lmt").string() + "' a_ocb.dat");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("lomtra: the report was not written: "), std::string::npos);
  EXPECT_EQ(run.err.find("Saved"), std::string::npos);
}

TEST(LomtraCommandLine, ReportOverADataFileOrOntoAFullDiskKeepsEveryFile) {
  TempFolder folder;
  WriteSamples(folder);
  const auto data = folder.Path() / "data" / "a_ocb.dat";
  const std::string before = Slurp(data);
  ProgramRun run = Lomtra(folder, "analyse --report a_ocb.dat a_ocb.dat");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("a_ocb.dat: it is one of the data files in the list"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("Saved"), std::string::npos);
  EXPECT_EQ(Slurp(data), before);

  // Through a link, so that no fault can put a plain file where the device was.
  const auto full = folder.Path() / "full.lmt";
  std::filesystem::create_symlink("/dev/full", full);
  run = Lomtra(folder, "analyse --report '" + full.string() + "' a_ocb.dat");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("full.lmt: No space left on device"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::is_symlink(full));

  // A folder in the path that is a file fails for root as well.
  run = Lomtra(folder, "analyse --report a_ocb.dat/r.lmt a_ocb.dat");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("a_ocb.dat/r.lmt"), std::string::npos) << run.err;
  EXPECT_EQ(Slurp(data), before);
}

TEST(LomtraCommandLine, DamagedFilesEndCleanly) {
  TempFolder folder;
  WriteSamples(folder);
  auto write = [&](const std::string& name, const cdrgen::Bytes& bytes) {
    cdrgen::WriteFile(folder.Path() / "data" / name, bytes);
  };
  write("z_zeros.dat", cdrgen::Bytes(6144, 0x00));
  write("z_ones.dat", cdrgen::Bytes(6144, 0xFF));
  write("z_blanks.dat", cdrgen::Bytes(6144, 0x40));
  write("z_empty.dat", {});
  const ProgramRun run = Lomtra(folder, std::string("analyse --quiet ") + kClock + " .");
  EXPECT_GE(run.status, 0);
  EXPECT_LE(run.status, 1);
  EXPECT_NE(run.out.find("z_zeros.dat"), std::string::npos);
}

TEST(LomtraCommandLine, DuplicatesAndUnreadableFilesAreSkipped) {
  TempFolder folder;
  WriteSamples(folder);
  const ProgramRun run =
      Lomtra(folder, std::string("analyse ") + kClock + " b_ewsd.dat gone.dat b_ewsd.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "The Following files Already Exists b_ewsd.dat\n"
            "lomtra: cannot read gone.dat: No such file or directory\n"
            "Total Valid Data Files: 1\nTotal Valid Data File Size: 0 MB\nTotal Records: 2\n"
            "Data File Analysis Over\n");
  EXPECT_NE(run.out.find("|   1 | b_ewsd.dat "), std::string::npos);
  // When no file at all could be read, existing outputs stay as they were.
  std::ofstream(folder.Path() / "june.lmt") << "old";
  std::ofstream(folder.Path() / "june.csv") << "old";
  const ProgramRun none =
      Lomtra(folder, std::string("analyse --quiet --report june.lmt --csv june.csv ") + kClock +
                         " gone.dat");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err,
            "lomtra: cannot read gone.dat: No such file or directory\n"
            "lomtra: no file could be read, so june.csv was not written\n"
            "lomtra: no file could be read, so june.lmt was not written\n");
  EXPECT_EQ(Slurp(folder.Path() / "june.lmt"), "old");
  EXPECT_EQ(Slurp(folder.Path() / "june.csv"), "old");
}

TEST(LomtraCommandLine, AnalyseWritesTheWorkbookToo) {
  TempFolder folder;
  WriteSamples(folder);
  const ProgramRun run = Lomtra(folder, "analyse --quiet --xlsx ../list.xlsx a_ocb.dat e_axe.dat");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Slurp(folder.Path() / "list.xlsx").substr(0, 2), "PK");
  // Found before the run, in our words only (the library prints nothing).
  const ProgramRun failed = Lomtra(folder, "analyse --xlsx ../none/list.xlsx a_ocb.dat");
  EXPECT_EQ(failed.status, 2);
  EXPECT_EQ(failed.err,
            "lomtra: the workbook was not written: ../none/list.xlsx: No such file or directory\n");
  const ProgramRun empty = Lomtra(folder, "analyse --quiet --xlsx ../empty.xlsx missing.dat");
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("Nothing to Save"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "empty.xlsx"));
}

// What Python's own csv, json and sqlite3 modules read from the exports, one
// line a row, cells joined by tabs; JSON integers as "int:N", null and SQL
// NULL as "null".
std::string ReadExports(const TempFolder& folder) {
  const auto script = folder.Path() / "read_exports.py";
  const auto out = folder.Path() / "read.txt";
  std::ofstream(script)
      << "import csv, json, sqlite3, sys\n"
         "d = sys.argv[1]\n"
         "def cell(v):\n"
         "    return 'null' if v is None else 'int:%d' % v if type(v) is int else v\n"
         "with open(sys.argv[2], 'w', encoding='utf-8') as o:\n"
         "    with open(d + '/l.csv', newline='', encoding='utf-8') as f:\n"
         "        for r in csv.reader(f): print('\\t'.join(r), file=o)\n"
         "    with open(d + '/l.jsonl', encoding='utf-8') as f:\n"
         "        for line in f:\n"
         "            r = json.loads(line)\n"
         "            print('\\t'.join(k + '=' + cell(v) for k, v in r.items()), file=o)\n"
         "    c = sqlite3.connect(d + '/l.db')\n"
         "    for r in c.execute('SELECT path, size, exchange_type, program, records,'\n"
         "                       ' first_call, last_call FROM files ORDER BY id'):\n"
         "        print('\\t'.join(cell(v) for v in r), file=o)\n"
         "    if c.execute(\"SELECT name FROM sqlite_master WHERE name = "
         "'ewsd_calls'\").fetchone():\n"
         "        print('calls', c.execute('SELECT count(*) FROM ewsd_calls').fetchone()[0], "
         "file=o)\n";
  const std::string command = "/usr/bin/python3 '" + script.string() + "' '" +
                              folder.Path().string() + "' '" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Slurp(out);
}

// The list as csv, jsonl and the files table, each read back and compared
// with the report's rows of the same run: an Unknown file, a moment that is
// no date, a second load that replaces rows, databases that must be refused.
TEST(LomtraCommandLine, AnalyseExportsTheListForOtherTools) {
  TempFolder folder;
  WriteSamples(folder);
  const auto data = folder.Path() / "data";
  // Damaged: its first and last call are times without a date.
  cdrgen::WriteFile(data / "h_e10b_damaged.dat",
                    cdrgen::E10bFile({{1, "0060", "0600"}, {2, "0400", "7171"}}));
  const std::string exports = "--csv ../l.csv --jsonl ../l.jsonl --sqlite ../l.db";
  ProgramRun run = Lomtra(
      folder, std::string("analyse --quiet ") + kClock + " --report ../r.lmt " + exports + " .");
  ASSERT_EQ(run.status, 0) << run.err;
  const ReportReadResult report = ReadReportFile(folder.Path() / "r.lmt");
  ASSERT_TRUE(report.ok);
  ASSERT_EQ(report.rows.size(), 8u);
  EXPECT_EQ(report.rows[7].start_time.substr(0, 10), "unknown   ");

  std::string csv =
      "Binary File\tNo\tSwitch\tStart Time\tEnd Time\tRecords\tSize (KB)\tState\t"
      "First Call\tLast Call\tSize (bytes)\tPath\n";
  std::string jsonl;
  std::string table;
  for (const DataFileEntry& row : report.rows) {
    const bool analysed = row.state == RowState::kAnalysed;
    const bool damaged = row.binary_file == "./h_e10b_damaged.dat";
    std::string first = StartTimeText(row);
    std::string last = EndTimeText(row);
    first = analysed && !damaged ? first.replace(10, 3, "T") : "";
    last = analysed && !damaged ? last.replace(10, 3, "T") : "";
    const std::string kb = row.size.substr(0, row.size.size() - 3);
    const std::string path = (data / row.binary_file.substr(2)).string();
    const std::string bytes = std::to_string(std::filesystem::file_size(path));
    const std::string state = analysed ? "analysed" : "invalid file";
    csv += row.binary_file + "\t" + row.no + "\t" + row.switch_name + "\t" + StartTimeText(row) +
           "\t" + EndTimeText(row) + "\t" + row.records + "\t" + kb + "\t" + state + "\t" + first +
           "\t" + last + "\t" + bytes + "\t" + path + "\n";
    auto or_null = [](const std::string& text) { return text.empty() ? "null" : text; };
    jsonl += "binary_file=" + row.binary_file + "\tno=int:" + row.no +
             "\tswitch=" + row.switch_name + "\tstart_time=" + StartTimeText(row) +
             "\tend_time=" + EndTimeText(row) + "\trecords=int:" + row.records +
             "\tsize_kb=int:" + kb + "\tstate=" + state + "\tfirst_call=" + or_null(first) +
             "\tlast_call=" + or_null(last) + "\tsize_bytes=int:" + bytes + "\tpath=" + path + "\n";
    table += path + "\tint:" + bytes + "\t" + row.switch_name + "\tlomtra\t" +
             (analysed ? "int:" + row.records : "null") + "\t" + or_null(first) + "\t" +
             or_null(last) + "\n";
  }
  EXPECT_EQ(ReadExports(folder), csv + jsonl + table);
  const std::string first_csv = Slurp(folder.Path() / "l.csv");

  // Exported again, from another folder and into a database the extractors
  // made: the rows are replaced, not doubled, and the calls stay.
  const auto db = folder.Path() / "l.db";
  std::filesystem::remove(db);
  {
    platform::SqliteCalls calls;
    ASSERT_TRUE(calls.Open(db, {"ewsd_calls", {{"Duration", "duration"}}, {}})) << calls.Error();
    ASSERT_TRUE(calls.BeginFile(
        platform::DescribeInputFile((data / "b_ewsd.dat").string(), "EWSD", "vantor")));
    const std::string_view cell = "60";
    ASSERT_TRUE(calls.AddCall(1, "2006-11-01T07:00:00", &cell));
    ASSERT_TRUE(calls.CommitFile());
    ASSERT_TRUE(calls.Close());
  }
  for (int load = 0; load < 2; ++load) {
    run = Lomtra(folder, std::string("analyse --quiet ") + kClock + " --report ../r.lmt " +
                             exports + " '" + data.string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
  }
  // The files table: the last lines, b_ewsd.dat first (the extractor's row).
  auto lines = [](const std::string& text) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) found.push_back(line);
    return found;
  };
  std::vector<std::string> loaded = lines(ReadExports(folder));
  ASSERT_GE(loaded.size(), 9u);
  EXPECT_EQ(loaded.back(), "calls 1");
  loaded.pop_back();
  loaded.erase(loaded.begin(), loaded.end() - 8);
  EXPECT_EQ(loaded[0].rfind((data / "b_ewsd.dat").string() + "\t", 0), 0u) << loaded[0];
  std::vector<std::string> expected_rows = lines(table);
  std::sort(loaded.begin(), loaded.end());
  std::sort(expected_rows.begin(), expected_rows.end());
  EXPECT_EQ(loaded, expected_rows);
  {
    platform::SqliteCalls calls;  // the extractors still take the database
    EXPECT_TRUE(calls.Open(db, {"ewsd_calls", {{"Duration", "duration"}}, {}})) << calls.Error();
  }

  // Refused before any file is read, and left as it was: a files table of
  // another shape, a file that is no database.
  const auto other = folder.Path() / "other.db";
  ASSERT_EQ(
      std::system(("/usr/bin/python3 -c \"import sqlite3; c = sqlite3.connect('" + other.string() +
                   "'); c.execute('CREATE TABLE files (id INTEGER, name TEXT)');"
                   " c.commit()\"")
                      .c_str()),
      0);
  for (const auto& refused : {other, folder.Path() / "r.lmt"}) {
    const std::string before = Slurp(refused);
    run = Lomtra(folder, "analyse --quiet --sqlite '" + refused.string() + "' a_ocb.dat");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("lomtra: the database was not written: " + refused.string() + ": ", 0),
              0u)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Slurp(refused), before);
  }
  EXPECT_NE(run.err.find(": not a SQLite database"), std::string::npos);

  // csv on standard output, when the report goes to a file; only one output
  // can go there.
  run = Lomtra(folder, std::string("analyse --quiet ") + kClock + " --report ../r.lmt --csv - .");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, first_csv);
  EXPECT_EQ(Lomtra(folder, "analyse --csv - a_ocb.dat").status, 2);
  EXPECT_EQ(Lomtra(folder, "analyse --sqlite - a_ocb.dat").status, 2);
}

TEST(LomtraCommandLine, ExistingPathsAloneOpenTheWindow) {
  TempFolder folder;
  const std::string a = folder.Write("a.dat", cdrgen::Bytes(10, 0));
  const std::string command_like = folder.Write("analyse.dat", cdrgen::Bytes(10, 0));
  EXPECT_FALSE(IsCommandLine({}));
  EXPECT_FALSE(IsCommandLine({a, folder.Path().string()}));
  EXPECT_FALSE(IsCommandLine({command_like}));
  EXPECT_TRUE(IsCommandLine({a, (folder.Path() / "gone.dat").string()}));
  EXPECT_TRUE(IsCommandLine({"analyze", a}));
  EXPECT_TRUE(IsCommandLine({"analyse", "a.dat"}));
  EXPECT_TRUE(IsCommandLine({"identify"}));
  EXPECT_TRUE(IsCommandLine({"--help"}));
  EXPECT_TRUE(IsCommandLine({"--version"}));
}

TEST(LomtraCommandLine, UsageHelpAndVersion) {
  TempFolder folder;
  WriteSamples(folder);
  // (No arguments, or paths alone, open the window.)
  EXPECT_EQ(Lomtra(folder, "analyse").status, 2);
  EXPECT_EQ(Lomtra(folder, "--frobnicate x").status, 2);
  EXPECT_EQ(Lomtra(folder, "identify --xlsx r.xlsx x").status, 2);
  EXPECT_EQ(Lomtra(folder, "analyse --xlsx").status, 2);
  EXPECT_EQ(Lomtra(folder, "analyse --clock tomorrow x").status, 2);
  EXPECT_EQ(Lomtra(folder, "identify --report r.lmt x").status, 2);
  const ProgramRun help = Lomtra(folder, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("for testing"), std::string::npos);
  const ProgramRun version = Lomtra(folder, "--version");
  EXPECT_EQ(version.out, "lomtra 1.2\n");
  for (const char* command : {"analyse", "identify"}) {
    const ProgramRun usage = Lomtra(folder, std::string(command) + " --help");
    EXPECT_EQ(usage.status, 0) << command;
    EXPECT_EQ(usage.out.rfind(std::string("usage: lomtra ") + command, 0), 0u) << usage.out;
  }
}

// A folder of series with one of every fault the check looks for: OCB
// files (the numbering wraps from 999999 to 0 between o1 and o2, then skips
// four numbers and leaves a gap; o5 overlaps o3 and holds a stale block;
// o4 is o1 again; no call is in two files), and E10B files (two numbers missing between e1 and e2,
// e3 jumps inside and so is not read to its end), and an EWSD file with a
// package the analyser cannot decode.
void WriteSeries(const TempFolder& folder) {
  std::filesystem::create_directories(folder.Path() / "data");
  auto write = [&](const std::string& name, const cdrgen::Bytes& bytes) {
    cdrgen::WriteFile(folder.Path() / "data" / name, bytes);
  };
  // `count` records from HH:MM:00, one a second.
  auto ocb_block = [](std::uint32_t sequence, const std::string& hhmm, std::size_t count,
                      const std::string& called = "0123456789") {
    cdrgen::OcbSampleBlock b;
    b.sequence = sequence;
    for (std::size_t r = 0; r < count; ++r) {
      cdrgen::OcbSampleRecord rec;
      rec.time = hhmm + cdrgen::Digits(r, 2);
      rec.called = called;
      b.records.push_back(rec);
    }
    return b;
  };
  const cdrgen::Bytes o1 =
      cdrgen::OcbAnalyserFile({ocb_block(999998, "1000", 48), ocb_block(999999, "1001", 10)});
  write("o1.dat", o1);
  write("o2.dat", cdrgen::OcbAnalyserFile({ocb_block(0, "1030", 20)}));
  write("o3.dat", cdrgen::OcbAnalyserFile({ocb_block(5, "1200", 48)}));
  write("o4.dat", o1);
  write("o5.dat", cdrgen::OcbAnalyserFile(
                      {ocb_block(6, "1200", 30, "0987654321"), ocb_block(77, "0900", 48)}));
  auto e10b = [](int from, int to, const std::string& hhmm) {
    std::vector<cdrgen::E10bRecord> records;
    for (int s = from; s <= to; ++s)
      records.push_back({static_cast<std::uint16_t>(s), "0060", hhmm});
    return records;
  };
  write("e1.dat", cdrgen::E10bFile(e10b(1, 20, "0800")));
  write("e2.dat", cdrgen::E10bFile(e10b(23, 40, "0810")));
  std::vector<cdrgen::E10bRecord> jumping = e10b(41, 60, "0820");
  for (const auto& r : e10b(70, 75, "0830")) jumping.push_back(r);
  write("e3.dat", cdrgen::E10bFile(jumping));
  cdrgen::EwsdSampleRecord unsupported = Dated(1, 7, 20, 0);
  unsupported.packages.push_back(cdrgen::EwsdPlainPackage(140, 20));
  write("w.dat", cdrgen::EwsdFileBuilder()
                     .Record(Dated(1, 7, 0, 0))
                     .Record(Dated(1, 7, 10, 0))
                     .Record(unsupported)
                     .Build());
  cdrgen::Bytes text;
  cdrgen::Append(text, std::string(100, 'x'));
  write("notes.txt", text);
}

TEST(LomtraCommandLine, CheckReportsEveryFaultOfASeries) {
  TempFolder folder;
  WriteSeries(folder);
  ProgramRun run = Lomtra(folder, std::string("check --csv ../findings.csv ") + kClock + " .");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "What            Series    Where            From                 To                   "
            "How many\n"
            "Sequence break  . (E10B)  e1.dat / e2.dat  2008-02-29 08:00:00  2008-02-29 08:10:00  "
            "       2\n"
            "Unreadable      . (E10B)  e3.dat           2008-02-29 08:20:00  2008-02-29 08:20:00\n"
            "Stale data      . (OCB)   o5.dat                                                     "
            "       1\n"
            "Duplicate file  . (OCB)   o1.dat / o4.dat  2006-04-10 10:00:00  2006-04-10 10:01:09  "
            "       2\n"
            "Gap             . (OCB)   o2.dat / o3.dat  2006-04-10 10:30:19  2006-04-10 12:00:00\n"
            "Sequence break  . (OCB)   o2.dat / o3.dat  2006-04-10 10:30:19  2006-04-10 12:00:00  "
            "       4\n"
            "Overlap         . (OCB)   o3.dat / o5.dat  2006-04-10 12:00:00  2006-04-10 12:00:29\n"
            "Unreadable      . (EWSD)  w.dat            2006-11-01 07:00:00  2006-11-01 07:20:00\n"
            "9 files in 3 series checked: 8 findings, 6 of them missing, duplicated or unreadable "
            "data (1 file of unknown type passed over).\n");
  EXPECT_EQ(run.err,
            "Pack Message 140 Received. This Feature is not Enabled at Present. Cann't Proceed.\n"
            "CSV list of findings ../findings.csv Saved\n");
  EXPECT_EQ(Slurp(folder.Path() / "findings.csv"),
            "What,Series,Where,From,To,How many\r\n"
            "Sequence break,. (E10B),e1.dat / e2.dat,2008-02-29 08:00:00,2008-02-29 08:10:00,2\r\n"
            "Unreadable,. (E10B),e3.dat,2008-02-29 08:20:00,2008-02-29 08:20:00,\r\n"
            "Stale data,. (OCB),o5.dat,,,1\r\n"
            "Duplicate file,. (OCB),o1.dat / o4.dat,2006-04-10 10:00:00,2006-04-10 10:01:09,2\r\n"
            "Gap,. (OCB),o2.dat / o3.dat,2006-04-10 10:30:19,2006-04-10 12:00:00,\r\n"
            "Sequence break,. (OCB),o2.dat / o3.dat,2006-04-10 10:30:19,2006-04-10 12:00:00,4\r\n"
            "Overlap,. (OCB),o3.dat / o5.dat,2006-04-10 12:00:00,2006-04-10 12:00:29,\r\n"
            "Unreadable,. (EWSD),w.dat,2006-11-01 07:00:00,2006-11-01 07:20:00,\r\n");

  // The wrap from 999999 to 0 runs on; the same file named twice is checked
  // once; --gap sets what counts as a gap.
  run = Lomtra(folder, "check --gap 20 o1.dat o2.dat ./o1.dat");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "What  Series   Where            From                 To                   How many\n"
            "Gap   . (OCB)  o1.dat / o2.dat  2006-04-10 10:01:09  2006-04-10 10:30:00\n"
            "2 files in 1 series checked: 1 finding, 1 of them missing, duplicated or unreadable "
            "data.\n");
}

TEST(LomtraCommandLine, WorkersChangeNothingButTheTime) {
  TempFolder folder;
  WriteSeries(folder);
  for (const std::string command : {"analyse ", "check "}) {
    const ProgramRun one = Lomtra(folder, command + kClock + " -j 1 .");
    const ProgramRun many = Lomtra(folder, command + kClock + " -j 3 .");
    EXPECT_EQ(one.status, many.status) << command;
    EXPECT_EQ(one.out, many.out) << command;
    EXPECT_EQ(one.err, many.err) << command;
  }
  const ProgramRun none = Lomtra(folder, "analyse -j 0 .");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err.rfind("lomtra: -j needs a number of workers from 1 to 256, not \"0\"\n", 0),
            0u)
      << none.err;
  EXPECT_EQ(Lomtra(folder, "identify -j 2 .").status, 2);
}

TEST(LomtraCommandLine, CheckUsageAndUnreadablePaths) {
  TempFolder folder;
  WriteSeries(folder);
  EXPECT_EQ(Lomtra(folder, "check").status, 2);
  // A usage error of check shows check's options, not analyse's.
  const ProgramRun soon = Lomtra(folder, "check --gap soon o1.dat");
  EXPECT_EQ(soon.status, 2);
  EXPECT_NE(soon.err.find("\nusage: lomtra check"), std::string::npos) << soon.err;
  EXPECT_EQ(soon.err.find("--report"), std::string::npos) << soon.err;
  EXPECT_EQ(Lomtra(folder, "check --csv - o1.dat").status, 2);
  EXPECT_EQ(Lomtra(folder, "analyse --gap 5 o1.dat").status, 2);
  EXPECT_EQ(Lomtra(folder, "check --report r.lmt o1.dat").status, 2);
  const std::string o1 = Slurp(folder.Path() / "data" / "o1.dat");
  EXPECT_EQ(Lomtra(folder, "check --csv o1.dat .").status, 2);
  EXPECT_EQ(Slurp(folder.Path() / "data" / "o1.dat"), o1);
  const ProgramRun missing = Lomtra(folder, "check o1.dat gone.dat");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "lomtra: cannot read gone.dat: No such file or directory\n");
  const ProgramRun usage = Lomtra(folder, "check --help");
  EXPECT_EQ(usage.status, 0);
  EXPECT_EQ(usage.out.rfind("usage: lomtra check", 0), 0u) << usage.out;
  const ProgramRun whole = Lomtra(folder, "check o1.dat o2.dat");
  EXPECT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(whole.out, "2 files in 1 series checked: every series is whole.\n");
  // Nothing of a known type is no whole series.
  const ProgramRun none = Lomtra(folder, "check notes.txt");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out,
            "0 files in 0 series checked: no file of a known exchange type was given (1 file of "
            "unknown type passed over).\n");
}

// Without a display nothing may reach Qt, which would abort the program.
TEST(LomtraCommandLine, UnknownWordsAreUsageErrorsAndWindowsNeedADisplay) {
  TempFolder folder;
  WriteSamples(folder);
  const std::string no_display = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
  const std::string said =
      "lomtra: no display is available; run a command instead (lomtra --help)\n";
  for (const char* args : {"", ".", "a_ocb.dat"}) {
    const ProgramRun run = Lomtra(folder, args, no_display);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err, said) << args;
  }
  for (const char* args : {"analyze .", "somefile", "a_ocb.dat somefile"}) {
    const ProgramRun run = Lomtra(folder, args, no_display);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err.rfind("lomtra: unknown command ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\nusage: lomtra"), std::string::npos) << run.err;
  }
  EXPECT_NE(Lomtra(folder, "a_ocb.dat somefile", no_display).err.find("command somefile\n"),
            std::string::npos);
}

// Ctrl-C is Stop answered Yes: the run ends after the file being read, the
// report still shows what was found, no temporary file stays.
TEST(LomtraCommandLine, CtrlCStopsTheRunAndKeepsTheReport) {
  TempFolder folder;
  const auto data = folder.Path() / "data";
  std::filesystem::create_directories(data);
  cdrgen::WriteSampleFile("5ess", folder.Path() / "big.dat", 32u << 20, 5);
  // Hundreds of names for one file: many gigabytes to read, none written.
  for (int i = 0; i < 400; ++i) {
    std::filesystem::create_symlink(folder.Path() / "big.dat",
                                    data / ("f" + std::to_string(1000 + i) + ".dat"));
  }
  // --foreground: timeout then signals lomtra alone, not its whole group as
  // well, so lomtra sees one Ctrl-C and not, now and then, a second one.
  const ProgramRun run = Lomtra(folder, "analyse --report june.lmt .",
                                "timeout --foreground --preserve-status -s INT 0.5");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("lomtra: stopped by the user; "), std::string::npos) << run.err;
  const std::string report = Slurp(data / "june.lmt");
  EXPECT_NE(report.find("5ESS"), std::string::npos);
  EXPECT_NE(report.find("To be  Analysed"), std::string::npos);
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    if (entry.path().filename() != "june.lmt") {
      EXPECT_EQ(entry.path().extension(), ".dat");
    }
  }
}

}  // namespace
}  // namespace lomtra
