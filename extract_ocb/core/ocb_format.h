#pragma once
// The OCB-283 data file: blocks of a 32-byte header and 48 call records of
// 42 bytes, either from offset 0 (Plain) or behind a 924-byte prefix with a
// 4-byte prefix before every block (Prefixed). Numbers are big-endian, BCD
// digits two a byte, high nibble first.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

enum class OcbLayout { kPlain, kPrefixed };

inline constexpr std::size_t kBlockSize = 2048;
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kRecordSize = 42;
inline constexpr int kRecordsPerBlock = 48;
inline constexpr std::uint64_t kPrefixedFirstHeader = 928;
inline constexpr std::uint64_t kPrefixedStride = 2052;
inline constexpr std::uint32_t kSequenceModulus = 1000000;
inline constexpr std::uint8_t kMarker0 = 0xC6;
inline constexpr std::uint8_t kMarker1 = 0xC4;

// Offset of the header of block `block` (0-based).
std::uint64_t HeaderOffset(OcbLayout layout, std::uint64_t block);
// Offset of record `record` (0-47) of block `block`.
std::uint64_t RecordOffset(OcbLayout layout, std::uint64_t block, int record);

// The first 11 bytes of a block header, decoded.
struct OcbBlockHeader {
  bool has_marker = false;
  std::uint32_t sequence = 0;          // 0-999999 (more only for damaged digits)
  int year = 0;                        // within the century, 0-99
  int day = 0;                         // day of the year, 1-366
  std::array<std::uint8_t, 3> time{};  // BCD HHMMSS
};
OcbBlockHeader ParseBlockHeader(const std::uint8_t* bytes);

// Upper-case two-digit hexadecimal text of the bytes ("C6C4").
std::string HexText(const std::uint8_t* bytes, std::size_t count);
void AppendHexText(std::string& out, const std::uint8_t* bytes, std::size_t count);
// Unsigned big-endian value of 1-3 bytes.
std::uint32_t ByteValue(const std::uint8_t* record, std::size_t offset, std::size_t length);
// The decimal number spelled by packed BCD digits. A damaged nibble above 9
// counts as its own value in its digit place, so it never fails.
std::uint32_t BcdValue(const std::uint8_t* bytes, std::size_t count);
// Removes every filler "F" of a number field's hex text.
std::string DropFillers(std::string_view text);
void DropFillersInPlace(std::string& text);

struct CallMoment {
  std::string date;  // YYYY-MM-DD
  std::string time;  // HH:MM:SS
};
// Dates a record against the year and day of the file's first block header:
// a record day later than the header day belongs to the year before.
CallMoment CallDate(int record_day, const std::uint8_t* time_bytes, int header_year,
                    int header_day);
void CallDateInto(int record_day, const std::uint8_t* time_bytes, int header_year, int header_day,
                  std::string& date, std::string& time);
// The same texts written at `out`, which has room for kMaxDateText or 8
// characters; each returns the end.
inline constexpr std::size_t kMaxDateText = 40;
char* PutCallDate(char* out, int record_day, int header_year, int header_day);
char* PutCallTime(char* out, const std::uint8_t* time_bytes);

}  // namespace ostrel
