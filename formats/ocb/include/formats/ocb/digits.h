#pragma once
// The small decoders of OCB-283 bytes: big-endian and BCD values, filler
// digits (hexadecimal text is platform::HexText).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ocb/layout.h"

namespace formats::ocb {

// Unsigned big-endian value of 1-3 bytes.
std::uint32_t ByteValue(const std::uint8_t* record, std::size_t offset, std::size_t length);

// The decimal number spelled by packed BCD digits, a damaged nibble above 9
// counted as its own value in its digit place, so it never fails
// (Reading::DamagedDigits::kNibbleValues).
std::uint32_t BcdValue(const std::uint8_t* bytes, std::size_t count);

// What a damaged field read by its leading number is held at, so that no
// date arithmetic overflows.
inline constexpr int kLargestNumber = 99999999;
int LeadingNumberOfDamaged(const std::uint8_t* bytes, std::size_t count);

// A BCD field of up to 4 bytes read as `reading` reads damaged digits. Clean
// digits, nearly every field, are read here without a call: the analyser's
// walk reads one day for every block of a file.
inline int BcdNumber(const std::uint8_t* bytes, std::size_t count, Reading::DamagedDigits damaged) {
  if (damaged == Reading::DamagedDigits::kNibbleValues)
    return static_cast<int>(BcdValue(bytes, count));
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int high = bytes[i] >> 4, low = bytes[i] & 0x0F;
    if (high > 9 || low > 9) return LeadingNumberOfDamaged(bytes, count);
    value = value * 100 + high * 10 + low;
  }
  return value;
}

// Removes every filler "F" of a number field's hex text.
std::string DropFillers(std::string_view text);
void DropFillersInPlace(std::string& text);

// How many digits the called number holds (its nibbles that are no filler).
std::size_t CalledNumberDigits(const std::uint8_t* record);
// A record of the last block is an unused slot, not a call, when its called
// number is empty (all filler) or holds all 18 digits (0x00 or 0x40 padding).
inline bool IsUnusedSlot(const std::uint8_t* record) {
  const std::size_t digits = CalledNumberDigits(record);
  return digits == 0 || digits == kCalledDigits;
}

}  // namespace formats::ocb
