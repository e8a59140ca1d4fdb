#include "platform/table_writer.h"

#include <cstdint>
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
inline bool PlainNumber(std::string_view text, std::string_view* number) {
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

// A short text copied by overlapping loads and stores of its own length,
// which read nothing past its end: no call to memcpy for a cell of a few
// bytes.
[[gnu::always_inline]] inline char* PutShort(char* out, std::string_view text) {
  const char* from = text.data();
  const std::size_t size = text.size();
  if (size >= 8) {
    if (size <= 16) {
      std::uint64_t head;
      std::uint64_t tail;
      std::memcpy(&head, from, 8);
      std::memcpy(&tail, from + size - 8, 8);
      std::memcpy(out, &head, 8);
      std::memcpy(out + size - 8, &tail, 8);
    } else if (size <= 32) {
      char head[16];
      char tail[16];
      std::memcpy(head, from, 16);
      std::memcpy(tail, from + size - 16, 16);
      std::memcpy(out, head, 16);
      std::memcpy(out + size - 16, tail, 16);
    } else {
      std::memcpy(out, from, size);
    }
  } else if (size >= 4) {
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + size - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + size - 4, &tail, 4);
  } else if (size > 0) {
    out[0] = from[0];
    out[size / 2] = from[size / 2];
    out[size - 1] = from[size - 1];
  }
  return out + size;
}

inline std::string_view WithoutLeadingZeros(std::string_view digits) {
  std::size_t first = 0;
  while (first + 1 < digits.size() && digits[first] == '0') ++first;
  return digits.substr(first);
}

// Eight bytes looked at together: a flag (0x80) in each byte of the word
// for which (v - 1) & ~v shows a zero byte of `v`.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = 0x8080808080808080u;

inline std::uint64_t ZeroBytes(std::uint64_t v) {
  return (v - kOnes) & ~v & kHighs;
}

// Nonzero when a byte of `word` needs what `mask` asks about (as Needs).
[[gnu::always_inline]] inline std::uint64_t NeedFlags(std::uint64_t word, unsigned mask) {
  std::uint64_t flags = 0;
  if ((mask & 1u) != 0)
    flags |= ZeroBytes(word ^ (kOnes * ',')) | ZeroBytes(word ^ (kOnes * '"')) |
             ZeroBytes(word ^ (kOnes * '\r')) | ZeroBytes(word ^ (kOnes * '\n'));
  if ((mask & 2u) != 0)
    flags |= ((word - kOnes * 0x20) & ~word & kHighs) | ZeroBytes(word ^ (kOnes * '"')) |
             ZeroBytes(word ^ (kOnes * '\\'));
  if ((mask & 4u) != 0) flags |= word & kHighs;
  return flags;
}

// Needs(text) & mask == 0, eight bytes at a time: cells are short, and a
// look-up a byte cost more than writing them. Loads overlap rather than
// read past the text.
[[gnu::always_inline]] inline bool NeedsNothing(std::string_view text, unsigned mask) {
  const char* at = text.data();
  const std::size_t size = text.size();
  std::uint64_t word;
  if (size >= 8) {
    std::uint64_t flags = 0;
    for (std::size_t i = 0; i + 8 < size; i += 8) {
      std::memcpy(&word, at + i, 8);
      flags |= NeedFlags(word, mask);
    }
    std::memcpy(&word, at + size - 8, 8);
    return (flags | NeedFlags(word, mask)) == 0;
  }
  if (size >= 4) {
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, at, 4);
    std::memcpy(&tail, at + size - 4, 4);
    word = head | static_cast<std::uint64_t>(tail) << 32;
  } else if (size > 0) {
    // The bytes not filled are 'a', which needs nothing.
    word = (kOnes * 'a') & ~std::uint64_t{0xFFFFFF};
    word |= static_cast<unsigned char>(at[0]) |
            static_cast<std::uint64_t>(static_cast<unsigned char>(at[size / 2])) << 8 |
            static_cast<std::uint64_t>(static_cast<unsigned char>(at[size - 1])) << 16;
  } else {
    return true;
  }
  return NeedFlags(word, mask) == 0;
}

// The cell's bytes quoted, doubled and made UTF-8 as they need.
[[gnu::noinline]] char* PutCsvQuoted(char* out, std::string_view text, bool utf8) {
  const unsigned needs = Needs(text) & (utf8 ? 1u : 5u);
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

[[gnu::always_inline]] inline char* PutCsvText(char* out, std::string_view text,
                                               bool utf8 = false) {
  if (NeedsNothing(text, utf8 ? 1u : 5u)) return PutShort(out, text);
  return PutCsvQuoted(out, text, utf8);
}

// A JSON string's characters escaped and made UTF-8 as they need.
[[gnu::noinline]] char* PutJsonEscaped(char* out, std::string_view text, bool utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
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
  return out;
}

// A JSON string's characters, without its quotes.
[[gnu::always_inline]] inline char* PutJsonBody(char* out, std::string_view text,
                                                bool utf8 = false) {
  if (NeedsNothing(text, utf8 ? 2u : 6u)) return PutShort(out, text);
  return PutJsonEscaped(out, text, utf8);
}

char* PutJsonString(char* out, std::string_view text, bool utf8 = false) {
  *out++ = '"';
  out = PutJsonBody(out, text, utf8);
  *out++ = '"';
  return out;
}

char* PutBytes(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace

void AddCallKeyColumns(std::vector<Column>* columns) {
  // The moment is PutIsoMoment's and the number the program's counter:
  // neither needs a look.
  columns->push_back({"call_start", "call_start", ColumnType::kMoment, false, true});
  columns->push_back({"source_file", "source_file", ColumnType::kText, true});
  columns->push_back({"record_no", "record_no", ColumnType::kInteger, false, true});
}

bool IsPlainText(std::string_view text) {
  return Needs(text) == 0;
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

char* IsoMoments::PutNewDate(char* out, std::string_view date, std::string_view time) {
  char* const end = PutIsoMoment(out, date, time);
  if (date.size() != 10) return end;
  std::memcpy(date_, date.data(), 10);
  // A real date is known by a real moment at midnight.
  char midnight[kIsoMomentLength];
  date_valid_ = PutIsoMoment(midnight, date, "00:00:00") != midnight;
  if (date_valid_) std::memcpy(iso_date_, midnight, 10);
  return end;
}

void CsvCallEnd::SetFile(std::string_view source_file) {
  std::string cell(2 * source_file.size() + 2, '\0');
  cell.resize(static_cast<std::size_t>(PutCsvText(cell.data(), source_file, true) - cell.data()));
  undated_ = ",," + cell + ",";
  dated_ = ",0000-00-00T00:00:00," + cell + ",";
  if (date_valid_) std::memcpy(dated_.data() + 1, date_, 10);
  // The date's separators are the moment's, whatever the program's are.
  dated_[5] = dated_[8] = '-';
  undated_size_ = undated_.size();
  dated_size_ = dated_.size();
  undated_.resize((undated_size_ + 15) / 16 * 16, '\0');
  dated_.resize((dated_size_ + 15) / 16 * 16, '\0');
}

void CsvCallEnd::NewDate(std::string_view date) {
  char midnight[kIsoMomentLength];
  // A real date is known by a real moment at midnight.
  date_valid_ = PutIsoMoment(midnight, date, "00:00:00") != midnight;
  if (date.size() == 10)
    std::memcpy(date_, date.data(), 10);
  else
    std::memset(date_, 0, sizeof date_);  // matches no text that makes a date
  if (date_valid_ && !dated_.empty()) std::memcpy(dated_.data() + 1, midnight, 10);
}

TableWriter::TableWriter(TableFormat format, std::vector<Column> columns)
    : format_(format),
      columns_(std::move(columns)),
      fixed_(columns_.size(), false),
      fixed_texts_(columns_.size()) {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    if (column.key.empty()) column.key = SnakeCaseKey(column.caption);
    // Keys are ours (snake_case), but escaped all the same.
    std::string prefix(i == 0 ? "{" : ",");
    prefix.resize(prefix.size() + 6 * column.key.size() + 2);
    char* end = PutJsonString(prefix.data() + 1, column.key);
    prefix.resize(static_cast<std::size_t>(end - prefix.data()));
    prefix += ':';
    json_prefixes_.push_back(std::move(prefix));
  }
  // A byte takes at most two in CSV (a doubled quote, a Latin-1 letter) and
  // six in JSON (\u00XX).
  per_byte_ = format_ == TableFormat::kCsv ? 2 : 6;
  Compile();
}

void TableWriter::FixCell(std::size_t column, std::string_view text) {
  fixed_[column] = true;
  fixed_texts_[column] = std::string(text);
  Compile();
}

TableWriter::Way TableWriter::WayOf(const Column& column) const {
  if (format_ == TableFormat::kCsv) {
    if (column.plain) return column.type == ColumnType::kInteger ? Way::kDigits : Way::kCopy;
    if (column.type == ColumnType::kInteger) return Way::kCsvInteger;
    return column.utf8 ? Way::kCsvUtf8 : Way::kCsvText;
  }
  switch (column.type) {
    case ColumnType::kText:
      if (column.plain) return Way::kCopy;
      return column.utf8 ? Way::kJsonBodyUtf8 : Way::kJsonBody;
    case ColumnType::kInteger:
      return column.plain ? Way::kJsonDigits : Way::kJsonInteger;
    case ColumnType::kMoment:
      break;
  }
  return column.plain ? Way::kJsonMoment : Way::kJsonNullText;
}

char* TableWriter::PutColumnCell(char* out, std::size_t column, std::string_view text) const {
  const Column& of = columns_[column];
  std::string_view number;
  if (format_ == TableFormat::kCsv) {
    if (of.type == ColumnType::kInteger && PlainNumber(text, &number)) return PutBytes(out, number);
    return PutCsvText(out, text, of.utf8);
  }
  if (of.type != ColumnType::kText && text.empty()) return PutBytes(out, "null");
  if (of.type != ColumnType::kInteger) return PutJsonString(out, text, of.utf8);
  if (PlainNumber(text, &number)) return PutBytes(out, number);
  return PutJsonString(out, text);
}

void TableWriter::Compile() {
  const bool csv = format_ == TableFormat::kCsv;
  steps_.clear();
  pieces_.clear();
  fixed_room_ = 0;
  std::string piece;
  const auto close = [&](Step& step) {
    step.piece_at = static_cast<std::uint32_t>(pieces_.size());
    step.piece_size = static_cast<std::uint32_t>(piece.size());
    pieces_ += piece;
    piece.clear();
  };
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!csv)
      piece += json_prefixes_[i];
    else if (i != 0)
      piece += ',';
    if (fixed_[i]) {
      const std::string& text = fixed_texts_[i];
      std::string cell(6 * text.size() + 8, '\0');
      cell.resize(static_cast<std::size_t>(PutColumnCell(cell.data(), i, text) - cell.data()));
      piece += cell;
      continue;
    }
    // JSON strings of text columns have their quotes in the pieces.
    const bool quoted = !csv && columns_[i].type == ColumnType::kText;
    if (quoted) piece += '"';
    Step step{0, 0, static_cast<std::uint32_t>(i), WayOf(columns_[i])};
    close(step);
    steps_.push_back(step);
    fixed_room_ += 4;  // CSV's quotes, JSON's null
    if (quoted) piece += '"';
  }
  if (!csv && columns_.empty()) piece += '{';
  piece += csv ? "\r\n" : "}\n";
  close(end_);
  fixed_room_ += pieces_.size() + 16;  // what PutPiece writes past the end
  pieces_.append(16, '\0');
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
  std::size_t room = fixed_room_;
  for (const Step& step : steps_) room += per_byte_ * cells[step.cell].size();
  return room;
}

[[gnu::always_inline]] inline char* TableWriter::PutStepCell(char* out, const Step& at,
                                                             std::string_view cell) const {
  std::string_view number;
  switch (at.way) {
    case Way::kCopy:
      out = PutShort(out, cell);
      break;
    case Way::kDigits:
      out = PutShort(out, WithoutLeadingZeros(cell));
      break;
    case Way::kCsvText:
      out = PutCsvText(out, cell);
      break;
    case Way::kCsvUtf8:
      out = PutCsvText(out, cell, true);
      break;
    case Way::kCsvInteger:
      if (PlainNumber(cell, &number))
        out = PutShort(out, number);
      else
        out = PutCsvText(out, cell, columns_[at.cell].utf8);
      break;
    case Way::kJsonBody:
      out = PutJsonBody(out, cell);
      break;
    case Way::kJsonBodyUtf8:
      out = PutJsonBody(out, cell, true);
      break;
    case Way::kJsonMoment:
      if (cell.empty()) {
        out = PutBytes(out, "null");
      } else {
        *out++ = '"';
        out = PutShort(out, cell);
        *out++ = '"';
      }
      break;
    case Way::kJsonNullText:
      if (cell.empty())
        out = PutBytes(out, "null");
      else
        out = PutJsonString(out, cell, columns_[at.cell].utf8);
      break;
    case Way::kJsonInteger:
      if (cell.empty())
        out = PutBytes(out, "null");
      else if (PlainNumber(cell, &number))
        out = PutShort(out, number);
      else
        out = PutJsonString(out, cell);
      break;
    case Way::kJsonDigits:
      if (cell.empty())
        out = PutBytes(out, "null");
      else
        out = PutShort(out, WithoutLeadingZeros(cell));
      break;
  }
  return out;
}

char* TableWriter::PutRow(char* out, const std::string_view* cells) const {
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    out = PutLead(out, i);
    out = PutStepCell(out, steps_[i], cells[steps_[i].cell]);
  }
  return PutEnd(out);
}

char* TableWriter::PutCell(char* out, std::size_t step, std::string_view cell) const {
  return PutStepCell(out, steps_[step], cell);
}

}  // namespace platform
