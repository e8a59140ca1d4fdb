// The workbook of a build without the xlsx writer library (Windows): --xlsx
// says it is missing and what to use instead.
#include "app/spreadsheet_export.h"

namespace lomtra {

bool WriteWorkbook(const std::filesystem::path&, const std::vector<DataFileEntry>&,
                   const SpreadsheetTotals&, std::string* error) {
  if (error) *error = "--xlsx is not in this build; use --csv";
  return false;
}

bool WriteWorkbookFile(const std::filesystem::path& target, const std::vector<DataFileEntry>& rows,
                       const SpreadsheetTotals& totals, std::string* error) {
  return WriteWorkbook(target, rows, totals, error);
}

}  // namespace lomtra
