// The workbook, read back with openpyxl: cells and their types, the sheet
// name, widths, fill, borders, bold rows, alignment and font size.
#include "app/spreadsheet_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "test_support.h"

namespace lomtra {
namespace {

using testing::TempFolder;

struct Cell {
  std::string type, bold, size, align, border, fill, value;
};

struct Workbook {
  std::string sheets;
  std::map<std::string, std::string> widths;
  std::map<std::string, Cell> cells;
  int last_row = 0;
  const Cell& At(const std::string& coordinate) const {
    static const Cell kNone{"absent", "", "", "", "", "", ""};
    const auto found = cells.find(coordinate);
    return found == cells.end() ? kNone : found->second;
  }
};

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.push_back("");
  return fields;
}

Workbook ReadBack(const std::filesystem::path& path) {
  const std::string command = "/usr/bin/python3 '" SUITE_SOURCE_DIR
                              "/analyser/tests/read_workbook.py' '" +
                              path.string() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  Workbook book;
  if (!pipe) return book;
  std::string output;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, n);
  std::stringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("sheets ", 0) == 0) {
      book.sheets = line.substr(7);
    } else if (line.rfind("width ", 0) == 0) {
      book.widths[line.substr(6, 1)] = line.substr(8);
    } else {
      const std::vector<std::string> f = SplitTabs(line);
      if (f.size() < 8) continue;
      book.cells[f[0]] = {f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
      book.last_row = std::max(book.last_row, std::stoi(f[0].substr(1)));
    }
  }
  return book;
}

DataFileEntry Row(int n, const std::string& path) {
  return {std::to_string(n),
          path,
          "EWSD",
          RowState::kAnalysed,
          "2006-11-01   07:00:00",
          "2006-11-30   23:59:09",
          "1234",
          "2 KB",
          6};
}

TEST(SpreadsheetExport, CellsTypesAndLayoutOfThreeRows) {
  TempFolder folder;
  const std::vector<DataFileEntry> rows = {Row(1, "D:\\cdr\\x.dat"), Row(2, "/srv/cdr/0101"),
                                           Row(3, "plain")};
  const auto path = folder.Path() / "out.xlsx";
  std::string error;
  ASSERT_TRUE(WriteWorkbookFile(path, rows, {"3", "1.5 MB", "3702"}, &error)) << error;
  const Workbook book = ReadBack(path);
  ASSERT_EQ(book.sheets, "Lomtra");

  const char* headings[] = {"BINARY FILE", "NO",      "SWITCH", "START TIME",
                            "END TIME",    "RECORDS", "SIZE"};
  for (int c = 0; c < 7; ++c) {
    const std::string col(1, static_cast<char>('A' + c));
    const Cell& h = book.At(col + "1");
    EXPECT_EQ(h.value, headings[c]);
    EXPECT_EQ(h.bold, "1");
    EXPECT_EQ(h.fill, "FF68C1FF");  // red 104, green 193, blue 255
    EXPECT_EQ(h.align, c == 0 ? "-" : "center");
    for (int r = 1; r <= 4; ++r)
      EXPECT_EQ(book.At(col + std::to_string(r)).border, "1") << col << r;
    for (int r = 5; r <= 6; ++r) {
      EXPECT_EQ(book.At(col + std::to_string(r)).border, "0") << col << r;
      EXPECT_EQ(book.At(col + std::to_string(r)).bold, "1") << col << r;
    }
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(book.At(col + std::to_string(r)).size, "8") << col << r;
    EXPECT_EQ(book.At(col + "2").bold, "0");
  }
  // File names in A; the other columns as text, times and numbers unconverted.
  EXPECT_EQ(book.At("A2").value, "x.dat");
  EXPECT_EQ(book.At("A3").type, "n");  // a plain value, read as the number it is
  EXPECT_EQ(book.At("A3").value, "101");
  EXPECT_EQ(book.At("A4").value, "plain");
  EXPECT_EQ(book.At("B2").type, "s");
  EXPECT_EQ(book.At("B2").value, "1");
  EXPECT_EQ(book.At("D2").type, "s");
  EXPECT_EQ(book.At("D2").value, "2006-11-01   07:00:00");
  EXPECT_EQ(book.At("F4").type, "s");
  EXPECT_EQ(book.At("F4").value, "1234");
  EXPECT_EQ(book.At("G4").value, "2 KB");
  EXPECT_EQ(book.At("C3").align, "center");
  EXPECT_EQ(book.At("F3").align, "right");
  // Row 5 empty, the totals in row 6 from panels 2, 4 and 3.
  for (const char* c : {"A5", "B5", "F5", "G5"}) EXPECT_EQ(book.At(c).type, "-") << c;
  EXPECT_EQ(book.At("A6").value, "TOTAL");
  EXPECT_EQ(book.At("B6").value, "3");
  EXPECT_EQ(book.At("F6").value, "3702");
  EXPECT_EQ(book.At("G6").value, "1.5 MB");
  EXPECT_EQ(book.At("C6").type, "-");
  // Widths in character units (the writer adds its padding).
  const std::map<std::string, double> widths = {{"A", 20}, {"B", 6},  {"C", 8}, {"D", 15},
                                                {"E", 15}, {"F", 10}, {"G", 10}};
  for (const auto& [column, width] : widths) {
    const double read = std::stod(book.widths.at(column));
    EXPECT_GE(read, width) << column;
    EXPECT_LT(read, width + 1) << column;
  }
  // Alignment reaches row 500 and no further.
  EXPECT_EQ(book.At("B500").align, "center");
  EXPECT_EQ(book.At("G500").align, "right");
  EXPECT_EQ(book.At("B500").size, "11");  // below the totals: the default font
  EXPECT_EQ(book.At("A500").align, "-");
  EXPECT_EQ(book.last_row, 500);
}

TEST(SpreadsheetExport, SixHundredRowsAndEmptyTotalsAfterAReportLoad) {
  TempFolder folder;
  std::vector<DataFileEntry> rows;
  for (int i = 1; i <= 600; ++i) rows.push_back(Row(i, "/cdr/f" + std::to_string(i) + ".dat"));
  const auto path = folder.Path() / "big.xlsx";
  std::string error;
  ASSERT_TRUE(WriteWorkbookFile(path, rows, {}, &error)) << error;
  const Workbook book = ReadBack(path);
  EXPECT_EQ(book.At("A601").value, "f600.dat");
  EXPECT_EQ(book.At("B601").value, "600");
  EXPECT_EQ(book.At("B601").border, "1");
  EXPECT_EQ(book.At("B500").align, "center");
  EXPECT_EQ(book.At("F500").align, "right");
  EXPECT_EQ(book.At("B501").align, "-");
  EXPECT_EQ(book.At("F601").align, "-");
  EXPECT_EQ(book.At("A603").value, "TOTAL");
  EXPECT_EQ(book.At("A603").bold, "1");
  for (const char* c : {"B603", "F603", "G603"}) EXPECT_EQ(book.At(c).type, "-") << c;
  EXPECT_EQ(book.last_row, 603);
}

TEST(SpreadsheetExport, AFailedWriteSaysWhyAndLeavesNoFile) {
  TempFolder folder;
  const auto path = folder.Path() / "missing" / "out.xlsx";
  std::string error;
  EXPECT_FALSE(WriteWorkbookFile(path, {Row(1, "a")}, {}, &error));
  EXPECT_NE(error.find("out.xlsx"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(FileNameOf("D:\\cdr\\x.dat"), "x.dat");
  EXPECT_EQ(FileNameOf("x.dat"), "x.dat");
}

TEST(SpreadsheetExport, FailingDisksKeepEveryExistingFile) {
  TempFolder folder;
  const std::string data = folder.Write("a.dat", cdrgen::Bytes(100, 0x41));
  DataFileEntry row = Row(1, "a");
  row.binary_file = data;
  std::string error;
  // A workbook over one of its own data files would destroy the data.
  EXPECT_FALSE(WriteWorkbookFile(data, {row}, {}, &error));
  EXPECT_EQ(error, data + ": it is one of the data files in the list");
  EXPECT_EQ(std::filesystem::file_size(data), 100u);

  // A full disk, through a link so that no fault can replace the device.
  const auto full = folder.Path() / "full.xlsx";
  std::filesystem::create_symlink("/dev/full", full);
  error.clear();
  EXPECT_FALSE(WriteWorkbookFile(full, {row}, {}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(full));

  // A folder in the path that is a file fails for root as well.
  error.clear();
  EXPECT_FALSE(WriteWorkbookFile(std::filesystem::path(data) / "out.xlsx", {row}, {}, &error));
  EXPECT_NE(error.find("out.xlsx"), std::string::npos) << error;
  EXPECT_EQ(std::filesystem::file_size(data), 100u);
}

}  // namespace
}  // namespace lomtra
