#pragma once
// Calls as rows of a table for the tools people load them into: CSV
// (RFC 4180, CR LF, a header row of captions) and JSON Lines (one object a
// row, keys in snake_case). A row is a list of cell texts, one per column, as
// the program decoded them; the writer only quotes, escapes and types them.
// Rows are made in place, like the text lines: ask RowRoom, PutRow into a
// LineBatch's room, Add the end.
//
// Record bytes are single-byte characters (Latin-1): bytes from 0x80 are
// written as their two-byte UTF-8 form, so the files are valid UTF-8.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_writer.h"

namespace platform {

enum class ColumnType {
  kText,     // written as it stands (quoted or escaped where needed)
  kInteger,  // decimal digits, written without leading zeros; empty = missing
  kMoment,   // an ISO 8601 moment (PutIsoMoment); empty = missing
};

struct Column {
  std::string caption;  // the CSV header: the window's caption as it stands
  std::string key;      // the JSON key: SnakeCaseKey(caption) unless given
  ColumnType type = ColumnType::kText;
  // The text comes from the system (a file name), already UTF-8: its bytes
  // are written as they are, not read as Latin-1 record bytes.
  bool utf8 = false;
};

// The three columns every call row ends with: call_start, source_file (the
// input as the user named it) and record_no.
void AddCallKeyColumns(std::vector<Column>* columns);

// "O/G Trunk Group Name" -> "o_g_trunk_group_name": lower case, every run of
// characters other than letters and digits one "_", none at either end.
std::string SnakeCaseKey(std::string_view caption);

// Length of an ISO 8601 moment "YYYY-MM-DDTHH:MM:SS".
inline constexpr std::size_t kIsoMomentLength = 19;

// The moment of a program's date text ("YYYY-MM-DD" or "YYYY/MM/DD") and time
// text ("HH:MM:SS") written at `out` (kIsoMomentLength bytes of room); returns
// the end, or `out` itself when the two do not make a real moment (blanks,
// letters, 31 February, hour 24): a damaged date is left missing, not guessed.
char* PutIsoMoment(char* out, std::string_view date, std::string_view time);

enum class TableFormat { kCsv, kJsonl };

class TableWriter {
 public:
  TableWriter(TableFormat format, std::vector<Column> columns);

  TableFormat Format() const { return format_; }
  const std::vector<Column>& Columns() const { return columns_; }

  // The header line (CSV: the captions; JSON Lines: none) written to
  // `writer`; false when writing failed.
  bool WriteHeader(TextWriter& writer) const;

  // The most bytes PutRow can write for `cells` (one per column).
  std::size_t RowRoom(const std::string_view* cells) const;
  // The row of `cells` (one per column) and its CR LF (CSV) or LF (JSON
  // Lines) written at `out`, which has RowRoom(cells) bytes; returns the end.
  char* PutRow(char* out, const std::string_view* cells) const;

 private:
  char* PutCsvRow(char* out, const std::string_view* cells) const;
  char* PutJsonRow(char* out, const std::string_view* cells) const;

  TableFormat format_;
  std::vector<Column> columns_;
  // "{\"key\":" for the first column, ",\"key\":" for the others.
  std::vector<std::string> json_prefixes_;
  std::size_t fixed_room_ = 0;  // room a row needs besides its cells' texts
};

}  // namespace platform
