#pragma once
// The C-DOT TGCBR file layout, every size, offset and marker in one place.
// A file is a sequence of sections (a 91-byte ASCII header, then 48-byte
// call records) or one run of records from offset 0 with no header. All
// numbers are big-endian and unsigned.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace formats::cdot {

// One call record.
constexpr std::size_t kRecordSize = 48;
constexpr std::size_t kCalledOffset = 0;     // 10 bytes of packed digits
constexpr std::size_t kCallingOffset = 10;   // 10 bytes of packed digits
constexpr std::size_t kNumberSize = 10;      // either number field
constexpr std::size_t kDurationOffset = 20;  // 4 bytes, milliseconds
constexpr std::size_t kTimeOffset = 24;      // hour, minute, second: a byte each
constexpr std::size_t kTimeSize = 3;
constexpr std::size_t kCheckByteOffset = 27;  // at most kCheckByteMaximum in a record
constexpr std::size_t kIncomingOffset = 28;   // 2 bytes, incoming trunk group
constexpr std::size_t kUnitsOffset = 34;      // 4 bytes, meter pulses
constexpr std::size_t kOutgoingOffset = 38;   // 2 bytes, outgoing trunk group
constexpr std::size_t kUnitsCopyOffset = 44;  // 4 bytes, the pulses again

// The section header: ASCII text with the section's date as DDMMYY digits.
constexpr std::size_t kHeaderSize = 91;
constexpr std::size_t kHeaderDateOffset = 80;
constexpr std::size_t kDateDigits = 6;  // DDMMYY

// A header begins with the ASCII text 0707; read at a record position its
// called number decodes to this text, which ends the section before it.
constexpr std::string_view kSectionEndDigits = "30373037";
// A section end this close to the end of the file finishes the file: what
// follows is no whole section.
constexpr std::uint64_t kTrailingBytes = 500;

// The record test of identification: the check byte of each of the first
// twenty records is at most 2.
constexpr std::uint8_t kCheckByteMaximum = 2;
constexpr std::size_t kTestedRecords = 20;

// A header-less file is dated from characters 5-10 of its name (the first
// four, "TGCB", are skipped) as DDMMYY.
constexpr std::size_t kNameDateOffset = 4;

}  // namespace formats::cdot
