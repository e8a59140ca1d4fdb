#pragma once
// One 48-byte C-DOT call record and the values decoded from it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvan {

constexpr std::size_t kRecordSize = 48;

// Field numbers 1-8 are the output options; 9 only stands in for 6.
struct CdotFields {
  std::string date;                  // 1 YYYY/MM/DD
  std::string time;                  // 2 HH:MM:SS
  std::string calling;               // 3
  std::string called;                // 4
  std::uint64_t duration = 0;        // 5 whole seconds
  std::uint64_t units = 0;           // 6 (the copy when the first is 0)
  std::uint32_t outgoing_group = 0;  // 7, 0 = empty
  std::uint32_t incoming_group = 0;  // 8, 0 = empty
  std::uint64_t units_copy = 0;      // 9
};

constexpr int kFirstField = 1;
constexpr int kLastOutputField = 8;
constexpr int kLastField = 9;

// Bytes up to the first FF as hexadecimal without leading zeros per byte,
// then A -> 0 and F dropped (A is the exchange's digit 0, F the filler).
void DecodeDigits(const std::uint8_t* bytes, std::size_t count, std::string& out);
std::string DecodeDigits(const std::uint8_t* bytes, std::size_t count);

// Big-endian unsigned; a first byte of FF means "no value" and gives 0.
std::uint64_t Value32(const std::uint8_t* bytes);
std::uint32_t Value16(const std::uint8_t* bytes);

// HH:MM:SS from three binary bytes.
void TimeText(const std::uint8_t* bytes, std::string& out);

// Milliseconds to whole seconds, halves to the even second.
std::uint64_t RoundedSeconds(std::uint64_t milliseconds);

// Called number only: enough to see whether the position holds a section end.
void DecodeCalled(const std::uint8_t* record, CdotFields& fields);
bool IsSectionEnd(const CdotFields& fields);
// Every field but the date and the called number (DecodeCalled did that).
void DecodeRest(const std::uint8_t* record, CdotFields& fields);

// Text of field 1-9 into `out` (replaced): numbers in decimal, trunk group 0
// as empty text.
void FieldText(const CdotFields& fields, int field, std::string& out);

}  // namespace kelvan
