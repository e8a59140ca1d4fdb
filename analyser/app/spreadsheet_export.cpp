#include "app/spreadsheet_export.h"

#include <xlsxwriter.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/utf8_text.h"
#include "platform/file_replacer.h"

namespace lomtra {
namespace {

constexpr const char* kHeadings[] = {"BINARY FILE", "NO",      "SWITCH", "START TIME",
                                     "END TIME",    "RECORDS", "SIZE"};
constexpr double kWidths[] = {20, 6, 8, 15, 15, 10, 10};
constexpr int kColumns = 7;
constexpr lxw_color_t kHeaderFill = 0x68C1FF;  // red 104, green 193, blue 255

enum Align { kAlignNone = 0, kAlignCentre = 1, kAlignRight = 2 };

// What one cell's format is made of; cells share a format per combination.
struct CellStyle {
  bool border = false;
  int align = kAlignNone;
  bool bold = false;
  bool fill = false;
  bool small = false;  // font size 8
  int Key() const {
    return (border ? 1 : 0) | align << 1 | (bold ? 8 : 0) | (fill ? 16 : 0) | (small ? 32 : 0);
  }
  bool Empty() const { return Key() == 0; }
};

class Formats {
 public:
  explicit Formats(lxw_workbook* workbook) : workbook_(workbook) {}
  lxw_format* For(const CellStyle& style) {
    auto found = cache_.find(style.Key());
    if (found != cache_.end()) return found->second;
    lxw_format* f = workbook_add_format(workbook_);
    if (style.border) {
      format_set_border(f, LXW_BORDER_THIN);
      format_set_border_color(f, LXW_COLOR_BLACK);
    }
    if (style.align == kAlignCentre) format_set_align(f, LXW_ALIGN_CENTER);
    if (style.align == kAlignRight) format_set_align(f, LXW_ALIGN_RIGHT);
    if (style.bold) format_set_bold(f);
    if (style.fill) {
      format_set_pattern(f, LXW_PATTERN_SOLID);
      format_set_bg_color(f, kHeaderFill);
    }
    if (style.small) format_set_font_size(f, 8);
    cache_[style.Key()] = f;
    return f;
  }

 private:
  lxw_workbook* workbook_;
  std::map<int, lxw_format*> cache_;
};

// Keeps the library from writing to the terminal by itself (it prints its
// errors to stderr); ours name the file and the reason instead.
class QuietStderr {
 public:
  QuietStderr() {
#ifndef _WIN32
    std::fflush(stderr);
    saved_ = dup(2);
    const int null = open("/dev/null", O_WRONLY);
    if (saved_ >= 0 && null >= 0) dup2(null, 2);
    if (null >= 0) close(null);
#endif
  }
  ~QuietStderr() {
#ifndef _WIN32
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, 2);
      close(saved_);
    }
#endif
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

// A plain value is taken as a number when all of it reads as one, as the
// spreadsheet would do with a typed-in value.
bool PlainNumber(const std::string& text, double* value) {
  if (text.empty() || text.find_first_of(" \t") != std::string::npos) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(*value) &&
         text.find_first_of("xXnNiI") == std::string::npos;
}

CellStyle StyleOf(int row, int column, int rows) {
  CellStyle s;
  s.border = row <= rows;
  s.bold = row == 0 || row == rows + 1 || row == rows + 2;
  s.fill = row == 0;
  s.small = row <= rows + 2;
  if (row < kAlignedRows && column >= 1) s.align = column <= 4 ? kAlignCentre : kAlignRight;
  if (row == 0 && column >= 1) s.align = kAlignCentre;
  return s;
}

std::string RowText(const DataFileEntry& entry, int column) {
  switch (column) {
    case 0:
      return FileNameOf(entry.binary_file);
    case 1:
      return entry.no;
    case 2:
      return entry.switch_name;
    case 3:
      return StartTimeText(entry);
    case 4:
      return EndTimeText(entry);
    case 5:
      return entry.records;
    default:
      return entry.size;
  }
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteWorkbook(const std::filesystem::path& path, const std::vector<DataFileEntry>& rows,
                   const SpreadsheetTotals& totals, std::string* error) {
  const QuietStderr quiet;  // the library prints its own "[ERROR] ..." lines otherwise
  lxw_workbook* workbook = workbook_new(path.string().c_str());
  if (workbook == nullptr) {
    if (error) *error = path.string() + ": the workbook cannot be created";
    return false;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Lomtra");
  Formats formats(workbook);
  const int n = static_cast<int>(rows.size());
  const int last_row = std::max(n + 2, kAlignedRows - 1);
  const int totals_row = n + 2;

  for (int r = 0; r <= last_row; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const CellStyle style = StyleOf(r, c, n);
      lxw_format* format = style.Empty() ? nullptr : formats.For(style);
      const auto row = static_cast<lxw_row_t>(r);
      const auto col = static_cast<lxw_col_t>(c);
      std::string text;
      bool plain = false;  // written as the spreadsheet would read a typed value
      if (r == 0) {
        text = kHeadings[c];
      } else if (r <= n) {
        text = RowText(rows[static_cast<std::size_t>(r - 1)], c);
        plain = c == 0;
      } else if (r == totals_row) {
        plain = true;
        if (c == 0) text = "TOTAL";
        if (c == 1) text = totals.valid_files;
        if (c == 5) text = totals.records;
        if (c == 6) text = totals.size;
      }
      double number = 0;
      if (text.empty()) {
        if (format != nullptr) worksheet_write_blank(sheet, row, col, format);
      } else if (plain && PlainNumber(text, &number)) {
        worksheet_write_number(sheet, row, col, number, format);
      } else {
        worksheet_write_string(sheet, row, col, AsUtf8(text).c_str(), format);
      }
    }
  }
  for (int c = 0; c < kColumns; ++c) {
    worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), kWidths[c],
                         nullptr);
  }
  const lxw_error result = workbook_close(workbook);
  if (result != LXW_NO_ERROR) {
    if (error) *error = path.string() + ": " + lxw_strerror(result);
    return false;
  }
  return true;
}

bool WriteWorkbookFile(const std::filesystem::path& target, const std::vector<DataFileEntry>& rows,
                       const SpreadsheetTotals& totals, std::string* error) {
  // Replacing a listed data file with the workbook would lose the data.
  for (const DataFileEntry& row : rows) {
    std::error_code same_error;
    if (std::filesystem::equivalent(target, row.binary_file, same_error)) {
      if (error) *error = target.string() + ": it is one of the data files in the list";
      return false;
    }
  }
  // The replacer makes the temporary file beside the target (or writes a
  // device in place) and removes it again on any failure; the library
  // writes its zip into that file.
  platform::FileReplacer replacer;
  if (!replacer.Begin(target)) {
    if (error) *error = replacer.Error();
    return false;
  }
  if (!WriteWorkbook(replacer.TemporaryPath(), rows, totals, error)) {
    if (error) *error = target.string() + " was not written (" + *error + ")";
    return false;
  }
  if (!replacer.Commit()) {
    if (error) *error = replacer.Error();
    return false;
  }
  return true;
}

}  // namespace lomtra
