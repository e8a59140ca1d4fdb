#pragma once
// The spreadsheet copy of the file list: an .xlsx workbook with one sheet
// "Lomtra" holding the header row, one row per list row and the totals of
// the status bar, with the borders, fill, alignment, widths and bold rows
// that users know from the report they used to get.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/data_file_entry.h"

namespace lomtra {

// The status-bar texts copied into the totals row, as they stand (empty after
// a report load).
struct SpreadsheetTotals {
  std::string valid_files;  // panel 2, column B
  std::string size;         // panel 3, column G
  std::string records;      // panel 4, column F
};

// Alignment is set down to this row whatever the number of rows.
inline constexpr int kAlignedRows = 500;

// The part of a path after its last "\" or "/" (the whole text without one).
std::string FileNameOf(const std::string& path);

// Writes the workbook to `path` directly. False with the reason in *error.
bool WriteWorkbook(const std::filesystem::path& path, const std::vector<DataFileEntry>& rows,
                   const SpreadsheetTotals& totals, std::string* error);

// Writes it to a temporary file beside `target` and renames that over the
// target when complete, so a failure leaves nothing half written.
bool WriteWorkbookFile(const std::filesystem::path& target, const std::vector<DataFileEntry>& rows,
                       const SpreadsheetTotals& totals, std::string* error);

}  // namespace lomtra
