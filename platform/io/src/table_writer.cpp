#include "platform/table_writer.h"

#include <cstring>
#include <utility>

#include "platform/calendar.h"

namespace platform {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAlphanumeric(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The value of `count` digits at `text`, or -1 when one is no digit.
int DigitsValue(const char* text, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// A byte of a record as UTF-8: Latin-1 bytes from 0x80 take two.
inline char* PutUtf8(char* out, unsigned char byte) {
  if (byte < 0x80) {
    *out++ = static_cast<char>(byte);
  } else {
    *out++ = static_cast<char>(0xC0 | byte >> 6);
    *out++ = static_cast<char>(0x80 | (byte & 0x3F));
  }
  return out;
}

// Leading zeros dropped ("007" -> "7", "000" -> "0"). Returns false when the
// text is not all digits: such a value is written as a text instead, so that
// a damaged field never makes the row unreadable.
bool PlainNumber(std::string_view text, std::string_view* number) {
  for (const char c : text)
    if (!IsDigit(c)) return false;
  std::size_t first = 0;
  while (first + 1 < text.size() && text[first] == '0') ++first;
  *number = text.substr(first);
  return true;
}

// What a byte needs in a cell: bit 1 quoting in CSV, bit 2 escaping in a
// JSON string, bit 4 two bytes in UTF-8. Most cells are digits and need
// nothing: they are found by one look-up a byte and copied whole.
struct ByteNeeds {
  unsigned char of[256] = {};
  constexpr ByteNeeds() {
    for (int c = 0; c < 0x20; ++c) of[c] = 2;
    of[static_cast<unsigned char>(',')] = 1;
    of[static_cast<unsigned char>('\r')] = 3;
    of[static_cast<unsigned char>('\n')] = 3;
    of[static_cast<unsigned char>('"')] = 3;
    of[static_cast<unsigned char>('\\')] = 2;
    for (int c = 0x80; c < 0x100; ++c) of[c] = 4;
  }
};
constexpr ByteNeeds kNeeds;

unsigned Needs(std::string_view text) {
  unsigned needs = 0;
  for (const char c : text) needs |= kNeeds.of[static_cast<unsigned char>(c)];
  return needs;
}

char* PutCsvText(char* out, std::string_view text, bool utf8 = false) {
  const unsigned needs = Needs(text) & (utf8 ? 1u : 5u);
  if (needs == 0) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }
  const bool quoted = (needs & 1u) != 0;
  if (quoted) *out++ = '"';
  for (const char c : text) {
    if (c == '"') *out++ = '"';
    if (utf8)
      *out++ = c;
    else
      out = PutUtf8(out, static_cast<unsigned char>(c));
  }
  if (quoted) *out++ = '"';
  return out;
}

char* PutJsonString(char* out, std::string_view text, bool utf8 = false) {
  static constexpr char kHex[] = "0123456789abcdef";
  *out++ = '"';
  if ((Needs(text) & (utf8 ? 2u : 6u)) == 0) {
    std::memcpy(out, text.data(), text.size());
    out += text.size();
    *out++ = '"';
    return out;
  }
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      *out++ = '\\';
      *out++ = c;
    } else if (byte < 0x20) {
      std::memcpy(out, "\\u00", 4);
      out[4] = kHex[byte >> 4];
      out[5] = kHex[byte & 0x0F];
      out += 6;
    } else if (utf8) {
      *out++ = c;
    } else {
      out = PutUtf8(out, byte);
    }
  }
  *out++ = '"';
  return out;
}

char* PutBytes(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace

void AddCallKeyColumns(std::vector<Column>* columns) {
  columns->push_back({"call_start", "call_start", ColumnType::kMoment});
  columns->push_back({"source_file", "source_file", ColumnType::kText, true});
  columns->push_back({"record_no", "record_no", ColumnType::kInteger});
}

std::string SnakeCaseKey(std::string_view caption) {
  std::string key;
  bool gap = false;
  for (const char c : caption) {
    if (!IsAlphanumeric(c)) {
      gap = !key.empty();
      continue;
    }
    if (gap) key += '_';
    gap = false;
    key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

char* PutIsoMoment(char* out, std::string_view date, std::string_view time) {
  if (date.size() != 10 || time.size() != 8) return out;
  const char separator = date[4];
  if ((separator != '-' && separator != '/') || date[7] != separator) return out;
  if (time[2] != ':' || time[5] != ':') return out;
  const int year = DigitsValue(date.data(), 4);
  const int month = DigitsValue(date.data() + 5, 2);
  const int day = DigitsValue(date.data() + 8, 2);
  const int hour = DigitsValue(time.data(), 2);
  const int minute = DigitsValue(time.data() + 3, 2);
  const int second = DigitsValue(time.data() + 6, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, year)) return out;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return out;
  std::memcpy(out, date.data(), 10);
  out[4] = out[7] = '-';
  out[10] = 'T';
  std::memcpy(out + 11, time.data(), 8);
  return out + kIsoMomentLength;
}

TableWriter::TableWriter(TableFormat format, std::vector<Column> columns)
    : format_(format), columns_(std::move(columns)) {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    if (column.key.empty()) column.key = SnakeCaseKey(column.caption);
    // Keys are ours (snake_case), but escaped all the same.
    std::string prefix(i == 0 ? "{" : ",");
    prefix.resize(prefix.size() + 6 * column.key.size() + 2);
    char* end = PutJsonString(prefix.data() + 1, column.key);
    prefix.resize(static_cast<std::size_t>(end - prefix.data()));
    prefix += ':';
    fixed_room_ += prefix.size();
    json_prefixes_.push_back(std::move(prefix));
  }
  // Separators, quotes, "null" and the line end, whichever format.
  fixed_room_ += 8 * columns_.size() + 4;
}

bool TableWriter::WriteHeader(TextWriter& writer) const {
  if (format_ != TableFormat::kCsv) return writer.Ok();
  std::string line;
  for (const Column& column : columns_) {
    if (!line.empty()) line += ',';
    std::string cell(2 * column.caption.size() + 2, '\0');
    cell.resize(static_cast<std::size_t>(PutCsvText(cell.data(), column.caption) - cell.data()));
    line += cell;
  }
  return writer.WriteLine(line);
}

std::size_t TableWriter::RowRoom(const std::string_view* cells) const {
  // A byte takes at most two in CSV (a doubled quote, a Latin-1 letter) and
  // six in JSON (\u00XX).
  const std::size_t per_byte = format_ == TableFormat::kCsv ? 2 : 6;
  std::size_t room = fixed_room_;
  for (std::size_t i = 0; i < columns_.size(); ++i) room += per_byte * cells[i].size();
  return room;
}

char* TableWriter::PutRow(char* out, const std::string_view* cells) const {
  return format_ == TableFormat::kCsv ? PutCsvRow(out, cells) : PutJsonRow(out, cells);
}

char* TableWriter::PutCsvRow(char* out, const std::string_view* cells) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (i != 0) *out++ = ',';
    std::string_view number;
    if (columns_[i].type == ColumnType::kInteger && PlainNumber(cells[i], &number))
      out = PutBytes(out, number);
    else
      out = PutCsvText(out, cells[i], columns_[i].utf8);
  }
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

char* TableWriter::PutJsonRow(char* out, const std::string_view* cells) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    out = PutBytes(out, json_prefixes_[i]);
    std::string_view number;
    const ColumnType type = columns_[i].type;
    if (type != ColumnType::kText && cells[i].empty())
      out = PutBytes(out, "null");
    else if (type != ColumnType::kInteger)
      out = PutJsonString(out, cells[i], columns_[i].utf8);
    else if (PlainNumber(cells[i], &number))
      out = PutBytes(out, number);
    else
      out = PutJsonString(out, cells[i]);
  }
  if (columns_.empty()) *out++ = '{';
  out[0] = '}';
  out[1] = '\n';
  return out + 2;
}

}  // namespace platform
