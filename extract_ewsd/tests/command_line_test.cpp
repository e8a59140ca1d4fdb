// Runs the built vantor program on generated files and compares what it
// writes byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cdrgen/ewsd_builder.h"
#include "cdrgen/large_files.h"
#include "temp_folder.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using testing::Join;
using testing::ReadAll;
using testing::TempFolder;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

EwsdRecord Call(int minute) {
  EwsdRecord record;
  record.Owner("2441000")
      .DateTime(6, 11, 30, 23, minute, 9, 3600)
      .Called("98765" + std::to_string(minute))
      .Units(3)
      .OutgoingTrunkPort("TGRP01", 300, 7)
      .IncomingTrunk("IC 2  ", 12)
      .ConnectionId(70000 + static_cast<std::uint32_t>(minute));
  return record;
}

class VantorCommandLineTest : public ::testing::Test {
 protected:
  Outcome Run(const std::string& arguments) {
    const std::string out = folder_.File("stdout.txt");
    const std::string err = folder_.File("stderr.txt");
    const std::string command =
        std::string(VANTOR_EXE) + " " + arguments + " >" + Q(out) + " 2>" + Q(err);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(out), ReadAll(err)};
  }
  static std::string Q(const std::string& path) { return "'" + path + "'"; }
  std::string Write(const std::string& name, const Bytes& bytes) {
    return folder_.Write(name, bytes);
  }

  TempFolder folder_;
  std::string output_ = folder_.File("out.txt");
};

TEST_F(VantorCommandLineTest, ExtractWithDefaultColumns) {
  const std::string a =
      Write("IA.ICAMA", Join({cdrgen::EwsdEmptyUnit(), Call(1).Build(), cdrgen::EwsdBlock(50),
                              Call(2).Build(), cdrgen::EwsdFillerByte()}));
  const Outcome r = Run("extract -o " + Q(output_) + " " + Q(a));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "2 Records Have Been Written from 1File\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadAll(output_),
            "2006-11-30,23:01:09,2441000,987651,3600,3,TGRP01,IC 2,70001\r\n"
            "2006-11-30,23:02:09,2441000,987652,3600,3,TGRP01,IC 2,70002\r\n");
}

TEST_F(VantorCommandLineTest, ChosenColumnsAcrossFilesAndQuiet) {
  const std::string a = Write("a.bin", Join({Call(1).Build(), Call(2).Build()}));
  const std::string b = Write("b.bin", Call(3).ThirdParty(4, Bytes{0x05, 0x67}).Build());
  const Outcome r =
      Run("extract --quiet --columns 9-10,0,19 -o " + Q(output_) + " " + Q(a) + " " + Q(b));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadAll(output_), "1,300-7,12,\r\n2,300-7,12,\r\n3,300-7,12,567\r\n");
}

TEST_F(VantorCommandLineTest, InvalidFileAnsweredYesOrNo) {
  const std::string a = Write("a.bin", Call(1).Build());
  const std::string bad = Write("bad.bin", EwsdRecord().Raw(Bytes{50, 0}).Build());
  const std::string c = Write("c.bin", Call(3).Build());
  const std::string files = " " + Q(a) + " " + Q(bad) + " " + Q(c);
  const std::string question =
      "vantor: " + bad +
      " is not a valid Data File.  Do You want to continue with other selected Files";

  Outcome r = Run("extract --columns 0 -o " + Q(output_) + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, question + " Yes\n2 Records Have Been Written from 3 Files\n");
  EXPECT_EQ(ReadAll(output_), "1\r\n2\r\n");

  r = Run("extract --stop-on-error --columns 0 -o " + Q(output_) + files);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, question + " No\n1 Records Have Been Written from 3 Files\n");
  EXPECT_EQ(ReadAll(output_), "1\r\n");
}

TEST_F(VantorCommandLineTest, SingleInvalidFileAndUnsupportedPackage) {
  const std::string bad = Write("bad.bin", EwsdRecord().Raw(Bytes{0, 0}).Build());
  Outcome r = Run("extract -o " + Q(output_) + " " + Q(bad));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantor: " + bad +
                       ": Invalid DataFile. Cann't Proceed\n0 Records Have Been Written from "
                       "1File\n");

  const std::string odd =
      Write("odd.bin", Join({Call(1).Build(), Call(2).Raw(Bytes{115, 0}).Build()}));
  const std::string c = Write("c.bin", Call(3).Build());
  r = Run("extract --columns 0 -o " + Q(output_) + " " + Q(odd) + " " + Q(c));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(
      r.err,
      "vantor: " + odd +
          ": Pack Message 115 Received. This Feature is not Enabled at Present. Cann't Proceed.\n"
          "1 Records Have Been Written from 2 Files\n");
  EXPECT_EQ(ReadAll(output_), "1\r\n");
}

TEST_F(VantorCommandLineTest, MoreThanFiftyFilesAreAllTaken) {
  std::string files;
  for (int i = 0; i < 60; ++i)
    files += " " + Q(Write("f" + std::to_string(i) + ".bin", Call(i % 60).Build()));
  const Outcome r = Run("extract --columns 0 -o " + Q(output_) + files);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "60 Records Have Been Written from 60 Files\n");
}

TEST_F(VantorCommandLineTest, FilesThatCannotBeOpenedEndTheRun) {
  const std::string a = Write("a.bin", Call(1).Build());
  const std::string output = folder_.File("missing/out.txt");
  Outcome r = Run("extract -o " + Q(output) + " " + Q(a));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "vantor: The output file cannot be created: " + output +
                       ": No such file or directory\n");
  // A folder as the output is refused before any file is read.
  r = Run("extract -o " + Q(folder_.File("")) + " " + Q(a));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;

  const std::string missing = folder_.File("missing.bin");
  r = Run("extract --quiet -o " + Q(output_) + " " + Q(a) + " " + Q(missing));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "vantor: The input file cannot be opened: " + missing +
                       ": No such file or directory\n");
}

TEST_F(VantorCommandLineTest, AnalysePrintsTenLines) {
  Bytes file = Join({Call(1).Build(), EwsdRecord().DateTime(6, 1, 2, 0, 0, 5, 1).Build(),
                     EwsdRecord()
                         .CallingBytes(170, Bytes{0x12, 0x34})
                         .DateTime(7, 3, 4, 5, 6, 7, 1)
                         .Called("55")
                         .Build()});
  file.resize(1572864, 0x80);
  const Outcome r = Run("analyse " + Q(Write("IA.ICAMA", file)));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "First Date\t30-11-2006\n"
            "First Time\t23:01:09\n"
            "First Calling_Number\t2441000\n"
            "First Called_number\t987651\n"
            "Last Date\t04-03-2007\n"
            "Last Time\t05:06:07\n"
            "Last Calling_Number\t1234\n"
            "Last Called_number\t55\n"
            "Total Records\t3\n"
            "File Size\t1.5 MB\n");
}

TEST_F(VantorCommandLineTest, AnalyseFailures) {
  Outcome r = Run("analyse " + Q(folder_.File("none")));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "vantor: " + folder_.File("none") +
                       ": Invalid Data File (No such file or directory)\n");
  EXPECT_EQ(r.out, "");
  const std::string bad = Write("bad.bin", EwsdRecord().Raw(Bytes{250, 0}).Build());
  r = Run("analyse " + Q(bad));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vantor: " + bad + ": Invalid DataFile. Cann't Proceed\n");
  EXPECT_EQ(r.out, "");
}

TEST_F(VantorCommandLineTest, UsageErrorsHelpAndVersion) {
  EXPECT_EQ(Run("--version").out, "vantor 1.7\n");
  const Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("vantor extract -o OUT"), std::string::npos);
  for (const char* bad : {"extract a.bin", "extract -o x", "extract --columns 20 -o x a.bin",
                          "extract --bogus -o x a.bin", "analyse", "analyse a b", "frobnicate"}) {
    const Outcome r = Run(bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_EQ(r.err.rfind("vantor: ", 0), 0u) << bad;
  }
  // A column list left empty asks for nothing: refused before any output.
  const Outcome empty =
      Run("extract --columns '' -o " + Q(output_) + " " + Q(Write("a.bin", Call(1).Build())));
  EXPECT_EQ(empty.status, 2);
  EXPECT_FALSE(std::filesystem::exists(output_));
}

// The csv and jsonl rows and the database's calls, read back by Python's own
// modules, hold for every record exactly the values of the text line of the
// same run, in every slot; loading the files again replaces their calls.
TEST_F(VantorCommandLineTest, TableRowsHoldTheTextLinesValues) {
  const std::string sample = folder_.File("sample.dat");
  ASSERT_TRUE(cdrgen::WriteSampleFile("ewsd", sample, 200000, 7));
  // Trunks with a port ("300-7") and with blanks, a third party, and a
  // damaged walk from the fuzz corpus (stale slots, unusual lengths).
  const std::string built =
      Write("built.bin", Join({Call(1).Build(), Call(2).ThirdParty(4, Bytes{0x05, 0x67}).Build()}));
  const std::string damaged = std::string(SUITE_SOURCE_DIR) + "/fuzz/corpus/ewsd_walk/ewsd-1.bin";
  const std::string inputs = Q(sample) + " " + Q(built) + " " + Q(damaged);
  const std::string text = folder_.File("calls.txt");
  const std::string csv = folder_.File("calls.csv");
  const std::string jsonl = folder_.File("calls.jsonl");
  ASSERT_EQ(Run("extract --quiet --columns 0-19 -o " + Q(text) + " " + inputs).status, 0);
  ASSERT_EQ(Run("extract --quiet --columns 0-19 --format csv -o " + Q(csv) + " " + inputs).status,
            0);
  ASSERT_EQ(
      Run("extract --quiet --columns 0-19 --format jsonl -o " + Q(jsonl) + " " + inputs).status, 0);
  const std::string db = folder_.File("calls.db");
  for (int load = 0; load < 2; ++load)
    ASSERT_EQ(
        Run("extract --quiet --columns 0-19 --format sqlite -o " + Q(db) + " " + inputs).status, 0);

  const std::string script = folder_.File("compare.py");
  std::ofstream(script)
      << "import csv, json, sqlite3, sys\n"
         "text, csv_path, jsonl_path, db = sys.argv[1:5]\n"
         "files = sys.argv[5:]\n"
         "lines = open(text, encoding='latin-1', newline='').read().split('\\r\\n')[:-1]\n"
         "rows = list(csv.reader(open(csv_path, encoding='utf-8', newline=''), strict=True))\n"
         "objects = [json.loads(l) for l in open(jsonl_path, encoding='utf-8')]\n"
         "assert len(rows) == len(lines) + 1 == len(objects) + 1, (len(rows), len(lines))\n"
         "keys = list(objects[0].keys())\n"
         "assert [k.lower() for k in rows[0]][:3] == ['serial number', 'date', 'time'], rows[0]\n"
         "last = (None, 0)\n"
         "for line, row, obj in zip(lines, rows[1:], objects):\n"
         "    values = line.split(',')\n"
         "    assert row[:20] == values, (row, line)\n"
         "    shown = ['' if v is None else str(v) for v in obj.values()]\n"
         "    assert shown == row, (obj, row)\n"
         "    assert row[20] == row[1] + 'T' + row[2], row\n"
         "    assert row[21] in files, row\n"
         "    key = (row[21], int(row[22]))\n"
         "    assert key[0] != last[0] or key[1] > last[1], (last, key)\n"
         "    last = key\n"
         "con = sqlite3.connect(db)\n"
         "calls = con.execute('SELECT * FROM ewsd_calls ORDER BY file_id, record_no').fetchall()\n"
         "assert len(calls) == len(lines), (len(calls), len(lines))\n"
         "for row, call in zip(rows[1:], calls):\n"
         "    shown = ['' if v is None else str(v) for v in call[3:]]\n"
         "    assert shown == [str(int(v)) if v.isdigit() and i in (0,5,6,11,12,13,14,15,16,17)\n"
         "                     else v for i, v in enumerate(row[:20])], (call, row)\n"
         "    assert (call[2] or '') == row[20] and call[1] == int(row[22]), (call, row)\n"
         "got = con.execute('SELECT count(*), sum(records) FROM files').fetchone()\n"
         "assert got == (3, len(lines)), got\n"
         "print(len(lines))\n";
  const std::string count = folder_.File("count.txt");
  const std::string command = "/usr/bin/python3 " + Q(script) + " " + Q(text) + " " + Q(csv) + " " +
                              Q(jsonl) + " " + Q(db) + " " + inputs + " >" + Q(count);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_GT(std::stoi(ReadAll(count)), 1000);
}

// A database run keeps whole files only: a refused file leaves no calls, and
// a database that is not SQLite is refused and left as it was.
TEST_F(VantorCommandLineTest, DatabaseKeepsWholeFilesAndRefusesStrangers) {
  const std::string good = Write("good.bin", Join({Call(1).Build(), Call(2).Build()}));
  const std::string text = folder_.File("notes.txt");
  std::ofstream(text) << std::string(4000, 'x');
  const std::string db = folder_.File("calls.db");
  EXPECT_EQ(
      Run("extract --quiet --format sqlite -o " + Q(db) + " " + Q(good) + " " + Q(text)).status, 1);
  const std::string count = folder_.File("count.txt");
  const std::string query = "/usr/bin/python3 -c \"import sqlite3; c = sqlite3.connect('" + db +
                            "'); print(c.execute('SELECT count(*) FROM ewsd_calls').fetchone()[0],"
                            " c.execute('SELECT count(*) FROM files').fetchone()[0])\" >" +
                            Q(count);
  ASSERT_EQ(std::system(query.c_str()), 0);
  EXPECT_EQ(ReadAll(count), "2 1\n");  // not even a files row for the refused one

  const std::string stranger = folder_.File("stranger.db");
  std::ofstream(stranger) << "not a database";
  const Outcome refused = Run("extract --format sqlite -o " + Q(stranger) + " " + Q(good));
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find(stranger + ": not a SQLite database"), std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadAll(stranger), "not a database");
  EXPECT_EQ(Run("extract --format sqlite -o - " + Q(good)).status, 2);
}

}  // namespace
}  // namespace vantor
