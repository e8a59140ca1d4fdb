#pragma once
// The file list for other tools: csv or jsonl rows, or the `files` table of
// the database the extractors load calls into, so that the analysed files can
// be joined with their calls. The report and the workbook stay as they are.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/data_file_entry.h"
#include "platform/output_format.h"
#include "platform/table_writer.h"

namespace lomtra {

// The moment of a time column's text ("2006-11-30   23:59:09") in ISO 8601
// ("2006-11-30T23:59:09"); empty for a state text or a damaged moment.
std::string IsoMomentOf(const std::string& text);

// The columns of the csv and jsonl rows: the list's own as the window
// captions them (the times and records as shown, the size as a number of
// KB), then the row's state, the first and last call in ISO 8601, the size
// in bytes and the absolute path.
std::vector<platform::Column> ListColumns();

// The list in `format` (csv or jsonl: through a temporary file renamed over
// `target` at the end, "-" for standard output; sqlite: `target` is the
// database, whose `files` rows are replaced by path in one transaction).
// False with "<file>: <reason>" in *error; the target is then as it was.
bool ExportList(const std::filesystem::path& target, platform::OutputFormat format,
                const std::vector<DataFileEntry>& rows, std::string* error);

// The database checks of an sqlite export, made before a long run so that a
// refused database is said at once; nothing in it changes.
bool CheckListDatabase(const std::filesystem::path& target, std::string* error);

// The closing text of an export: "List of 3 files written to june.csv".
std::string ExportedText(const std::string& target, platform::OutputFormat format,
                         std::size_t files);

}  // namespace lomtra
