#pragma once
// The EWSD billing file (the exchange's IA.ICAMA file): records with filler
// between them, no file header, no trailer. Offsets are 0-based, numbers
// little-endian. The packages that follow a record's header are in
// packages.h; the digit and date texts in text.h.
#include <cstdint>

namespace formats::ewsd {

// --- Lead bytes: what the byte at the walk's offset says -------------------
// The first matching rule wins, so 0x80 and 0x81 are tested before the ranges.

// One filler byte.
inline constexpr std::uint8_t kFillerByte = 0x80;
// A filler block whose length stands after this byte (how much of it is read
// is a walk policy, see packages.h), counted from the 0x81 byte itself.
inline constexpr std::uint8_t kFillerBlock = 0x81;
inline constexpr int kFillerBlockLengthOffset = 1;
// 0x00 to 3: a 32-byte unit (empty, or one to skip).
inline constexpr std::uint8_t kLastShortUnitLead = 3;
inline constexpr int kShortUnitSize = 32;
// 122 to 124: a 64-byte unit to skip.
inline constexpr std::uint8_t kFirstLongUnitLead = 122;
inline constexpr std::uint8_t kLastLongUnitLead = 124;
inline constexpr int kLongUnitSize = 64;

constexpr bool IsShortUnit(std::uint8_t lead) {
  return lead <= kLastShortUnitLead;
}
constexpr bool IsLongUnit(std::uint8_t lead) {
  return lead >= kFirstLongUnitLead && lead <= kLastLongUnitLead;
}
// Any other lead byte starts a call record (its type is never checked).
constexpr bool IsRecordStart(std::uint8_t lead) {
  return lead != kFillerByte && lead != kFillerBlock && !IsShortUnit(lead) && !IsLongUnit(lead);
}

// --- Record header ---------------------------------------------------------

// The record type the exchange writes; the switch identification looks for it.
inline constexpr std::uint8_t kCallRecordType = 0x84;
// L, the record's whole length in bytes (1 to 255; 0 would never advance).
inline constexpr int kLengthOffset = 1;
inline constexpr int kLongestRecord = 255;
inline constexpr int kFlagsOffset = 3;
// Set: the record has no owner (calling) number and its packages start at 8.
inline constexpr std::uint8_t kNoOwnerFlag = 0x80;
inline constexpr int kOwnerOffset = 7;
inline constexpr int kPackagesWithoutOwner = 8;

constexpr bool HasOwner(std::uint8_t flags) {
  return (flags & kNoOwnerFlag) == 0;
}

// --- Digit strings (owner number, packages 101 and 168) --------------------
// A count byte, then packed digits two a byte, the high nibble first.

inline constexpr std::uint8_t kDigitCountMask = 0x1F;  // bits 5-7 are not part of it

constexpr int DigitCount(std::uint8_t count_byte) {
  return count_byte & kDigitCountMask;
}
constexpr int DigitBytes(int digits) {
  return (digits + 1) / 2;
}

}  // namespace formats::ewsd
