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
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

#include "platform/digits.h"
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
  // The program's texts of this column never hold a byte that CSV quotes or
  // JSON escapes, nor one from 0x80 (digits, hex, dates, times): they are
  // copied without being looked at. An integer column so marked always holds
  // digits (or nothing).
  bool plain = false;
};

// The three columns every call row ends with: call_start, source_file (the
// input as the user named it) and record_no.
void AddCallKeyColumns(std::vector<Column>* columns);

// "O/G Trunk Group Name" -> "o_g_trunk_group_name": lower case, every run of
// characters other than letters and digits one "_", none at either end.
std::string SnakeCaseKey(std::string_view caption);

// True when no byte of `text` is quoted in CSV, escaped in JSON or from
// 0x80: a column whose texts are all such may be marked plain.
bool IsPlainText(std::string_view text);

// Length of an ISO 8601 moment "YYYY-MM-DDTHH:MM:SS".
inline constexpr std::size_t kIsoMomentLength = 19;

// The moment of a program's date text ("YYYY-MM-DD" or "YYYY/MM/DD") and time
// text ("HH:MM:SS") written at `out` (kIsoMomentLength bytes of room); returns
// the end, or `out` itself when the two do not make a real moment (blanks,
// letters, 31 February, hour 24): a damaged date is left missing, not guessed.
char* PutIsoMoment(char* out, std::string_view date, std::string_view time);

// PutIsoMoment for the calls of a file one after the other: the date, the
// same for many calls, is checked only when it changes.
class IsoMoments {
 public:
  char* Put(char* out, std::string_view date, std::string_view time) {
    if (date.size() != 10 || date.compare(0, 10, date_, 10) != 0)
      return PutNewDate(out, date, time);
    if (!date_valid_ || time.size() != 8 || time[2] != ':' || time[5] != ':') return out;
    const auto digit = [](char c) { return static_cast<unsigned>(c - '0'); };
    const unsigned hour = digit(time[0]) * 10 + digit(time[1]);
    if (digit(time[0]) > 9 || digit(time[1]) > 9 || hour > 23 || digit(time[3]) > 5 ||
        digit(time[4]) > 9 || digit(time[6]) > 5 || digit(time[7]) > 9)
      return out;
    std::memcpy(out, iso_date_, 10);
    out[10] = 'T';
    std::memcpy(out + 11, time.data(), 8);
    return out + kIsoMomentLength;
  }

 private:
  char* PutNewDate(char* out, std::string_view date, std::string_view time);

  char date_[10] = {};  // the last date text of 10 characters
  char iso_date_[10] = {};
  bool date_valid_ = false;
};

// True when the `size` bytes at `text` hold exactly `commas` commas and no
// other byte that CSV quotes, nor one from 0x80: a program's comma line of
// such bytes is already its CSV row's cells.
inline bool IsPlainCsvText(const char* text, std::size_t size, unsigned commas) {
  unsigned special = 0;
  unsigned found = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    special |= (byte >= 0x80) | (byte == '"') | (byte == '\r') | (byte == '\n');
    found += byte == ',';
  }
  return special == 0 && found == commas;
}

// IsPlainCsvText sixteen bytes at a time; `text` may be read up to `size`
// rounded up to 16.
inline bool IsPlainCsv(const char* text, std::size_t size, unsigned commas) {
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
  // Commas are counted per byte lane (a match is -1, subtracted): a lane
  // holds at most 255, so longer texts take the byte-wise way.
  if (size > 255 * 16) return IsPlainCsvText(text, size, commas);
  alignas(16) static constexpr signed char kInside[32] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                          -1, -1, -1, -1, -1, -1, -1, -1};
  __m128i counts = _mm_setzero_si128();
  __m128i special = _mm_setzero_si128();
  for (std::size_t at = 0; at < size; at += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    // Bytes past the end become zero, which is neither special nor a comma.
    if (size - at < 16)
      v = _mm_and_si128(
          v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kInside + 16 - (size - at))));
    special = _mm_or_si128(special,
                           _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                                     _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))),
                                        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), v)));
    counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, _mm_set1_epi8(',')));
  }
  const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
  const auto found =
      static_cast<unsigned>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  return _mm_movemask_epi8(special) == 0 && found == commas;
#else
  return IsPlainCsvText(text, size, commas);
#endif
}

// A CSV call row's end after the program's own cells, for programs that
// write those as one comma line: ",call_start,source_file,record_no" and
// CR LF. The file name's cell is made once a file and the date checked
// once a date, so that a row's end is one copy of a ready piece, the time
// and the number.
class CsvCallEnd {
 public:
  // The input's name as the user gave it (UTF-8), quoted as CSV needs.
  void SetFile(std::string_view source_file);
  // The most bytes Put writes, bytes written past its end included.
  std::size_t Room() const { return dated_.size() + 24; }
  // The end at `out`: call_start made from the program's date text
  // ("YYYY-MM-DD" or "YYYY/MM/DD") and time text ("HH:MM:SS") as
  // PutIsoMoment makes it (empty when they make no real moment). Returns
  // the end.
  [[gnu::always_inline]] char* Put(char* out, std::string_view date, std::string_view time,
                                   std::uint64_t record_no) {
    if (date.size() != 10 || std::memcmp(date.data(), date_, 10) != 0) NewDate(date);
    const auto digit = [](char c) { return static_cast<unsigned>(c - '0'); };
    const bool moment = date_valid_ && time.size() == 8 && time[2] == ':' && time[5] == ':' &&
                        digit(time[0]) <= 9 && digit(time[1]) <= 9 &&
                        digit(time[0]) * 10 + digit(time[1]) <= 23 && digit(time[3]) <= 5 &&
                        digit(time[4]) <= 9 && digit(time[6]) <= 5 && digit(time[7]) <= 9;
    const char* piece = moment ? dated_.data() : undated_.data();
    const std::size_t size = moment ? dated_size_ : undated_size_;
    for (std::size_t i = 0; i < size; i += 16) std::memcpy(out + i, piece + i, 16);
    if (moment) std::memcpy(out + 12, time.data(), 8);
    out = PutDecimal(out + size, record_no);
    out[0] = '\r';
    out[1] = '\n';
    return out + 2;
  }

 private:
  void NewDate(std::string_view date);

  // ",YYYY-MM-DDTHH:MM:SS,<file>," and ",,<file>,", padded to a multiple of
  // 16 bytes to be copied 16 at a time.
  std::string dated_;
  std::string undated_;
  std::size_t dated_size_ = 0;
  std::size_t undated_size_ = 0;
  char date_[10] = {};  // the last date text of 10 characters
  bool date_valid_ = false;
};

enum class TableFormat { kCsv, kJsonl };

class TableWriter {
 public:
  TableWriter(TableFormat format, std::vector<Column> columns);

  TableFormat Format() const { return format_; }
  const std::vector<Column>& Columns() const { return columns_; }

  // From now on every row's cell of `column` is `text`, whatever the cells
  // given to RowRoom and PutRow hold there: a file name is quoted or escaped
  // once a file, not once a row.
  void FixCell(std::size_t column, std::string_view text);

  // The header line (CSV: the captions; JSON Lines: none) written to
  // `writer`; false when writing failed.
  bool WriteHeader(TextWriter& writer) const;

  // The most bytes PutRow can write for `cells` (one per column).
  std::size_t RowRoom(const std::string_view* cells) const;
  // The same for any cells whose texts (fixed cells not counted) take at
  // most `cell_bytes` together: worked out once a run, not once a row.
  std::size_t RowRoom(std::size_t cell_bytes) const { return fixed_room_ + per_byte_ * cell_bytes; }
  // The row of `cells` (one per column) and its CR LF (CSV) or LF (JSON
  // Lines) written at `out`, which has RowRoom(cells) bytes; returns the end.
  // Bytes of that room past the end may be overwritten.
  char* PutRow(char* out, const std::string_view* cells) const;

  // The same row written piece by piece, for a program that writes its
  // cells in place (no copy of texts just made): for each column not fixed,
  // in order, PutLead then the cell, then PutEnd. A cell the program writes
  // itself must be what PutRow would write: a plain text, or the digits of
  // an integer column without leading zeros and never empty; others go
  // through PutCell. Each may overwrite bytes past its end, within the room.
  char* PutLead(char* out, std::size_t step) const {
    return PutPiece(out, pieces_.data() + steps_[step].piece_at, steps_[step].piece_size);
  }
  char* PutCell(char* out, std::size_t step, std::string_view cell) const;
  char* PutEnd(char* out) const {
    return PutPiece(out, pieces_.data() + end_.piece_at, end_.piece_size);
  }

 private:
  // How a cell is written; chosen once from its column and the format, so
  // that a row is a walk through steps without looking at types.
  enum class Way : unsigned char {
    kCopy,          // plain: as it stands
    kDigits,        // plain integer: leading zeros dropped
    kCsvText,       // quoted and UTF-8 where needed
    kCsvUtf8,       // quoted where needed
    kCsvInteger,    // digits without leading zeros, else as kCsvText
    kJsonBody,      // escaped, UTF-8 (the quotes are in the pieces)
    kJsonBodyUtf8,  // escaped
    kJsonMoment,    // null when empty, else a plain string
    kJsonNullText,  // null when empty, else an escaped string
    kJsonInteger,   // null when empty, digits without leading zeros, else a string
    kJsonDigits,    // null when empty, else digits without leading zeros
  };
  // The constant bytes before a cell (separator, key, opening quote, fixed
  // cells), then the cell.
  struct Step {
    std::uint32_t piece_at;
    std::uint32_t piece_size;
    std::uint32_t cell;
    Way way;
  };

  // A constant piece copied 16 bytes at a time: the pieces are stored with
  // room to be read so, and the row's room allows what is written past the
  // piece's end (the next bytes overwrite it).
  static char* PutPiece(char* out, const char* piece, std::size_t size) {
    for (std::size_t i = 0; i < size; i += 16) std::memcpy(out + i, piece + i, 16);
    return out + size;
  }
  Way WayOf(const Column& column) const;
  char* PutStepCell(char* out, const Step& step, std::string_view cell) const;
  // A cell written by the general rules of its column (fixed cells).
  char* PutColumnCell(char* out, std::size_t column, std::string_view text) const;
  void Compile();

  TableFormat format_;
  std::vector<Column> columns_;
  // "{\"key\":" for the first column, ",\"key\":" for the others.
  std::vector<std::string> json_prefixes_;
  std::vector<bool> fixed_;
  std::vector<std::string> fixed_texts_;
  std::vector<Step> steps_;
  Step end_{};          // the line end, with the fixed cells before it
  std::string pieces_;  // with room to be read in 16-byte chunks
  std::size_t per_byte_ = 1;
  std::size_t fixed_room_ = 0;  // room a row needs besides its cells' texts
};

}  // namespace platform
