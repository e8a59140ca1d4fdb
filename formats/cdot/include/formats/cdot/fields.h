#pragma once
// The values of one C-DOT call record, and the decoders that make them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/cdot/layout.h"

namespace formats::cdot {

// Numbered as the extractor's output options; 9 only stands in for 6.
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

// Bytes up to the first FF as hexadecimal without leading zeros per byte,
// then A -> 0 and F dropped (A is the exchange's digit 0, F the filler).
void DecodeDigits(const std::uint8_t* bytes, std::size_t count, std::string& out);
std::string DecodeDigits(const std::uint8_t* bytes, std::size_t count);

// Big-endian unsigned; a first byte of FF means "no value" and gives 0.
inline std::uint64_t Value32(const std::uint8_t* bytes) {
  if (bytes[0] == 0xFF) return 0;
  return std::uint64_t{bytes[0]} << 24 | std::uint64_t{bytes[1]} << 16 |
         std::uint64_t{bytes[2]} << 8 | bytes[3];
}
inline std::uint32_t Value16(const std::uint8_t* bytes) {
  if (bytes[0] == 0xFF) return 0;
  return static_cast<std::uint32_t>(bytes[0] << 8 | bytes[1]);
}

// HH:MM:SS from three binary bytes.
void TimeText(const std::uint8_t* bytes, std::string& out);

// Milliseconds to whole seconds, halves to the even second.
inline std::uint64_t RoundedSeconds(std::uint64_t milliseconds) {
  std::uint64_t seconds = milliseconds / 1000;
  const std::uint64_t rest = milliseconds % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return seconds;
}

// Called number only: enough to see whether the position holds a section end.
void DecodeCalled(const std::uint8_t* record, CdotFields& fields);
bool IsSectionEnd(const CdotFields& fields);
// The same test on the called number's text.
bool IsSectionEnd(const char* called, std::size_t size);
// Every field but the date and the called number (DecodeCalled did that).
void DecodeRest(const std::uint8_t* record, CdotFields& fields);

}  // namespace formats::cdot
