#include "engine/report_file.h"

#include <fstream>
#include <sstream>

#include "test_support.h"

namespace lomtra {
namespace {

using testing::Reading;
using testing::TempFolder;

DataFileEntry Row(const std::string& no, const std::string& path, const std::string& start,
                  const std::string& end) {
  return DataFileEntry{no, path, "EWSD", RowState::kAnalysed, start, end, "1234", "56 KB", 6};
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReportFile, RuleAndHeaderAre147Characters) {
  EXPECT_EQ(std::string(kReportRule).size(), 147u);
  EXPECT_EQ(std::string(kReportHeader).size(), 147u);
}

TEST(ReportFile, TitleLine) {
  ClockReading now = Reading(2006, 5, 4);
  now.hour = 13;
  now.minute = 4;
  now.second = 5;
  EXPECT_EQ(ReportTitleLine(now), "Lomtra Report04-05-2006  13:04:05");
}

TEST(ReportFile, EmptyListIsSixLines) {
  const std::string text = ReportText({}, Reading(2006));
  EXPECT_EQ(text, "Lomtra Report15-06-2006  09:08:07\r\n\r\n" + std::string(kReportRule) + "\r\n" +
                      kReportHeader + "\r\n" + kReportRule + "\r\n" + kReportRule + "\r\n");
  const ReportReadResult back = ParseReport(text, "r.lmt");
  EXPECT_TRUE(back.ok);
  EXPECT_TRUE(back.rows.empty());
}

TEST(ReportFile, DataLineWithTwoMomentsIs148Characters) {
  const std::string line =
      ReportDataLine(Row("1", "/data/a.dat", "2006-11-30   23:59:09", "2006-11-30   23:59:59"));
  EXPECT_EQ(line.size(), 148u);
  EXPECT_EQ(line,
            "|   1 | /data/a.dat                                        |       EWSD | 2006-11-30  "
            " 23:59:09 | "
            "2006-11-30   23:59:59 |       1234 |      56 KB | ");
}

TEST(ReportFile, CentringOfStatusTexts) {
  auto cell = [](const std::string& text) {
    const std::string line = ReportDataLine(Row("1", "p", text, ""));
    const std::size_t start = line.find("EWSD | ") + 7;
    return line.substr(start, line.find(" | ", start) - start);
  };
  EXPECT_EQ(cell("To be  Analysed"), "   To be  Analysed   ");
  EXPECT_EQ(cell("Invalid  File"), "    Invalid  File    ");
  EXPECT_EQ(cell("To be Analysed"), "    To be Analysed    ");  // L = 14 fills 22
  EXPECT_EQ(cell(std::string(20, 'x')), std::string(20, 'x'));
  EXPECT_EQ(cell(std::string(18, 'x')), "  " + std::string(18, 'x') + "  ");
  // Longer than 21: no blanks rather than a negative number of them.
  EXPECT_EQ(cell(std::string(25, 'x')), std::string(25, 'x'));
  // L = 0 gives 10 blanks each side.
  const std::string line = ReportDataLine(Row("1", "p", "x", ""));
  EXPECT_NE(line.find("|" + std::string(22, ' ') + "|"), std::string::npos);
}

TEST(ReportFile, RightAlignmentKeepsTheLastCharactersAndPathsStayWhole) {
  const std::string line = ReportDataLine(Row("1000", std::string(60, 'p'), "", ""));
  EXPECT_EQ(line.substr(0, 8), "| 000 | ");
  EXPECT_EQ(line.substr(8, 63), std::string(60, 'p') + " | ");
  // Paths that fit are padded as they always were.
  EXPECT_EQ(ReportDataLine(Row("1", std::string(50, 'p'), "", "")).substr(8, 53),
            std::string(50, 'p') + " | ");
  EXPECT_EQ(ReportDataLine(Row("1", "/a", "", "")).substr(8, 53),
            "/a" + std::string(48, ' ') + " | ");
  // A name in another script fills its 50 letters as an ASCII one does.
  EXPECT_EQ(ReportDataLine(Row("1", "/\xd0\xb7\xd0\xb2\xd0\xbe\xd0\xbd", "", "")).substr(8, 57),
            "/\xd0\xb7\xd0\xb2\xd0\xbe\xd0\xbd" + std::string(45, ' ') + " | ");
  // A long path, and one holding bars, read back exactly.
  const std::vector<DataFileEntry> rows = {Row("1000", std::string(60, 'p'), "", ""),
                                           Row("2", "/d/a | b|c.dat", "s", "e"),
                                           Row("3", "|", "s", "e")};
  const ReportReadResult back = ParseReport(ReportText(rows, Reading(2006)), "r");
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.rows.size(), 3u);
  EXPECT_EQ(back.rows[0].no, "000");
  EXPECT_EQ(back.rows[0].binary_file, std::string(60, 'p'));
  EXPECT_EQ(back.rows[1], rows[1]);
  EXPECT_EQ(back.rows[2], rows[2]);
}

TEST(ReportFile, RoundTripThroughAFile) {
  TempFolder folder;
  std::vector<DataFileEntry> rows = {
      Row("1", "/data/a.dat", "2006-11-30   23:59:09", "2006-11-30   23:59:59"),
      DataFileEntry{"2", "/data/b b.dat", "CDOT42", RowState::kInvalidFile, "", "", "0", "0 KB", 7},
      DataFileEntry{"3", "/data/c.dat", "AXE", RowState::kStopped, "", "", "0", "2 KB", 4},
      DataFileEntry{"4", "/data/d.dat", "Unknown", RowState::kToBeAnalysed, "", "", "0", "1 KB", 8},
  };
  const auto path = folder.Path() / "r.lmt";
  std::string error;
  ASSERT_TRUE(WriteReportFile(path, rows, Reading(2006), &error)) << error;
  EXPECT_EQ(Slurp(path), ReportText(rows, Reading(2006)));
  const ReportReadResult back = ReadReportFile(path);
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_EQ(back.rows, rows);
}

TEST(ReportFile, WriteFailureNamesTheFile) {
  TempFolder folder;
  std::string error;
  EXPECT_FALSE(WriteReportFile(folder.Path() / "no" / "r.lmt", {}, Reading(2006), &error));
  EXPECT_NE(error.find("r.lmt"), std::string::npos) << error;
}

TEST(ReportFile, FailuresKeepEveryExistingFile) {
  TempFolder folder;
  const std::string data = folder.Write("a.dat", cdrgen::Bytes(100, 0x41));
  DataFileEntry row;
  row.binary_file = data;
  std::string error;
  // A report over one of its own data files would destroy the data.
  EXPECT_FALSE(WriteReportFile(data, {row}, Reading(2006), &error));
  EXPECT_EQ(error, data + ": it is one of the data files in the list");
  EXPECT_EQ(Slurp(data), std::string(100, 'A'));

  // A full disk (a link to /dev/full, so that no fault can replace the device).
#if !defined(_WIN32)
  const auto full = folder.Path() / "full.lmt";
  std::filesystem::create_symlink("/dev/full", full);
  error.clear();
  EXPECT_FALSE(WriteReportFile(full, {row}, Reading(2006), &error));
  EXPECT_EQ(error, full.string() + ": No space left on device");
  EXPECT_TRUE(std::filesystem::is_symlink(full));
#endif
  // A folder in the path that is a file: fails even for root.
  error.clear();
  EXPECT_FALSE(
      WriteReportFile(std::filesystem::path(data) / "r.lmt", {row}, Reading(2006), &error));
  EXPECT_NE(error.find("r.lmt"), std::string::npos) << error;
}

TEST(ReportFile, ReportNameEndingInLmtLmtOrWithoutExtension) {
  EXPECT_EQ(NormaliseReportName("/x/axlmt.lmt"), "/x/ax.lmt");
  EXPECT_EQ(NormaliseReportName("/x/a.lmt"), "/x/a.lmt");
  EXPECT_EQ(NormaliseReportName("/x/a"), "/x/a.lmt");
  EXPECT_EQ(NormaliseReportName("/x.d/june"), "/x.d/june.lmt");
  EXPECT_EQ(NormaliseReportName("/x/june.txt"), "/x/june.txt");
  EXPECT_EQ(NormaliseReportName("lmt.lmt"), ".lmt");
}

TEST(ReportFile, ReaderChecksTheTitleOnly) {
  const ReportReadResult other = ParseReport("Other\r\n\r\n+\r\n|\r\n+\r\n+\r\n", "/x/r.lmt");
  EXPECT_FALSE(other.ok);
  EXPECT_EQ(other.error, "/x/r.lmt is not a Lomtra Report File.  Please Check");
  EXPECT_TRUE(other.rows.empty());
  EXPECT_TRUE(ParseReport("Lomtra whatever\r\nx\r\nx\r\nx\r\nx\r\n+\r\n", "r").ok);
  EXPECT_FALSE(ParseReport("", "r").ok);
}

TEST(ReportFile, ReaderToleratesBlanksRulesAndSkipsNoRow) {
  const std::string text =
      "Lomtra Report\r\n\r\n+---\r\n| header |\r\n+---\r\n"
      "|1|/a.dat|CDOT42|  s |e|  7|1 KB|\r\n"
      "+--- a rule in the middle\r\n"
      "|   2   |  /b.dat  |  Mystery  | | | 0 | 0 KB |   \n"
      "+---\r\n";
  const ReportReadResult r = ParseReport(text, "r");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0], (DataFileEntry{"1", "/a.dat", "CDOT42", RowState::kAnalysed, "s", "e", "7",
                                      "1 KB", 7}));
  EXPECT_EQ(r.rows[1],
            (DataFileEntry{"2", "/b.dat", "Mystery", RowState::kAnalysed, "", "", "0", "0 KB", 0}));
}

TEST(ReportFile, ShortOrBrokenReportsAreRejectedWithoutRows) {
  const ReportReadResult short_one = ParseReport("Lomtra Report\r\n\r\n+\r\n", "/x/r.lmt");
  EXPECT_FALSE(short_one.ok);
  EXPECT_NE(short_one.error.find("/x/r.lmt"), std::string::npos);
  EXPECT_TRUE(short_one.rows.empty());
  const ReportReadResult broken =
      ParseReport("Lomtra\r\n\r\n+\r\n|\r\n+\r\n|1|/a|AXE|s|e|7|1 KB|\r\n| 2 | /b | AXE |\r\n+\r\n",
                  "/x/r.lmt");
  EXPECT_FALSE(broken.ok);
  EXPECT_TRUE(broken.rows.empty());
  EXPECT_EQ(broken.error,
            "/x/r.lmt: line 7 is not a complete report line (it has fewer than eight fields).");
}

}  // namespace
}  // namespace lomtra
