#include "app/list_export.h"

#include <array>
#include <optional>

#include "app/utf8_text.h"
#include "platform/call_store.h"
#include "platform/file_replacer.h"
#include "platform/open_file.h"
#include "platform/sqlite_files.h"

namespace lomtra {
namespace {

using platform::ColumnType;
using platform::OutputFormat;

constexpr const char* kProgram = "lomtra";
constexpr std::size_t kColumnCount = 12;

std::string_view StateName(RowState state) {
  switch (state) {
    case RowState::kAnalysed:
      return "analysed";
    case RowState::kToBeAnalysed:
      return "to be analysed";
    case RowState::kStopped:
      return "stopped";
    case RowState::kInvalidFile:
      return "invalid file";
  }
  return {};
}

// "4 KB" -> "4"; any other text as it stands (then written as a text).
std::string KilobytesOf(const std::string& size) {
  const std::string unit = " KB";
  if (size.size() > unit.size() && size.compare(size.size() - unit.size(), unit.size(), unit) == 0)
    return size.substr(0, size.size() - unit.size());
  return size;
}

// The first and last call of an analysed row; empty otherwise.
std::string FirstCall(const DataFileEntry& row) {
  return row.state == RowState::kAnalysed ? IsoMomentOf(row.start_time) : std::string();
}
std::string LastCall(const DataFileEntry& row) {
  return row.state == RowState::kAnalysed ? IsoMomentOf(row.end_time) : std::string();
}

// Replacing a listed data file with the list would lose the data.
bool IsListedFile(const std::filesystem::path& target, const std::vector<DataFileEntry>& rows,
                  std::string* error) {
  for (const DataFileEntry& row : rows) {
    std::error_code same_error;
    if (std::filesystem::equivalent(target, platform::PathOf(row.binary_file), same_error)) {
      if (error) *error = target.string() + ": it is one of the data files in the list";
      return true;
    }
  }
  return false;
}

bool WriteTable(const std::filesystem::path& target, OutputFormat format,
                const std::vector<DataFileEntry>& rows, std::string* error) {
  const platform::TableWriter table(
      format == OutputFormat::kCsv ? platform::TableFormat::kCsv : platform::TableFormat::kJsonl,
      ListColumns());
  platform::FileReplacer replacer;
  if (!replacer.Begin(target)) {
    if (error) *error = replacer.Error();
    return false;
  }
  platform::TextWriter& writer = replacer.Writer();
  table.WriteHeader(writer);
  std::string line;
  for (const DataFileEntry& row : rows) {
    const platform::InputFile file = platform::DescribeInputFile(row.binary_file, "", kProgram);
    // One text per column of ListColumns(), in its order.
    const std::array<std::string, kColumnCount> texts = {
        AsUtf8(row.binary_file),
        row.no,
        AsUtf8(row.switch_name),
        AsUtf8(StartTimeText(row)),
        AsUtf8(EndTimeText(row)),
        row.records,
        KilobytesOf(row.size),
        std::string(StateName(row.state)),
        FirstCall(row),
        LastCall(row),
        file.modified.empty() ? std::string() : std::to_string(file.size),
        AsUtf8(file.path)};
    std::array<std::string_view, kColumnCount> cells;
    for (std::size_t i = 0; i < kColumnCount; ++i) cells[i] = texts[i];
    line.resize(table.RowRoom(cells.data()));
    line.resize(static_cast<std::size_t>(table.PutRow(line.data(), cells.data()) - line.data()));
    if (!writer.Write(line)) break;
  }
  if (!replacer.Commit()) {
    if (error) *error = replacer.Error();
    return false;
  }
  return true;
}

bool WriteDatabase(const std::filesystem::path& target, const std::vector<DataFileEntry>& rows,
                   std::string* error) {
  std::vector<platform::ListedFile> files;
  for (const DataFileEntry& row : rows) {
    platform::ListedFile listed;
    listed.file =
        platform::DescribeInputFile(AsUtf8(row.binary_file), AsUtf8(row.switch_name), kProgram);
    listed.size_known = !listed.file.modified.empty();
    // Only an analysis counts records: the "0" of a row not analysed is
    // no count.
    if (row.state == RowState::kAnalysed && !row.records.empty() && row.records.size() <= 18 &&
        row.records.find_first_not_of("0123456789") == std::string::npos)
      listed.records = std::stoll(row.records);
    listed.first_call = FirstCall(row);
    listed.last_call = LastCall(row);
    files.push_back(std::move(listed));
  }
  platform::SqliteFiles database;
  const bool ok = database.Open(target) && database.Write(files);
  database.Close();
  if (!ok && error) *error = database.Error();
  return ok;
}

}  // namespace

std::string IsoMomentOf(const std::string& text) {
  // Every detector writes "YYYY-MM-DD", three blanks and "HH:MM:SS".
  if (text.size() != 21 || text.compare(10, 3, "   ") != 0) return {};
  char iso[platform::kIsoMomentLength];
  const char* end = platform::PutIsoMoment(iso, std::string_view(text).substr(0, 10),
                                           std::string_view(text).substr(13, 8));
  return std::string(static_cast<const char*>(iso), end);
}

std::vector<platform::Column> ListColumns() {
  return {
      {"Binary File", "binary_file", ColumnType::kText, true},
      {"No", "no", ColumnType::kInteger},
      {"Switch", "switch", ColumnType::kText, true},
      {"Start Time", "start_time", ColumnType::kText, true},
      {"End Time", "end_time", ColumnType::kText, true},
      {"Records", "records", ColumnType::kInteger},
      {"Size (KB)", "size_kb", ColumnType::kInteger},
      {"State", "state", ColumnType::kText},
      {"First Call", "first_call", ColumnType::kMoment},
      {"Last Call", "last_call", ColumnType::kMoment},
      {"Size (bytes)", "size_bytes", ColumnType::kInteger},
      {"Path", "path", ColumnType::kText, true},
  };
}

bool CheckListDatabase(const std::filesystem::path& target, std::string* error) {
  platform::SqliteFiles database;
  const bool ok = database.Open(target);
  database.Close();
  if (!ok && error) *error = database.Error();
  return ok;
}

bool ExportList(const std::filesystem::path& target, OutputFormat format,
                const std::vector<DataFileEntry>& rows, std::string* error) {
  if (target != "-" && IsListedFile(target, rows, error)) return false;
  if (format == OutputFormat::kSqlite) return WriteDatabase(target, rows, error);
  return WriteTable(target, format, rows, error);
}

std::string ExportedText(const std::string& target, OutputFormat format, std::size_t files) {
  const std::string list = "List of " + std::to_string(files) + (files == 1 ? " file " : " files ");
  if (format == OutputFormat::kSqlite) return list + "loaded into " + target;
  return list + "written to " + (target == "-" ? std::string("standard output") : target);
}

}  // namespace lomtra
