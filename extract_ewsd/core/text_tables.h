#pragma once
// Character tables and digit writers for formatting fields in place: two
// characters per byte from one lookup, no allocation, no division loops.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/digit_pairs.h"

namespace vantor {

inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Two characters for each byte value.
using PairTable = std::array<char, 512>;

// The right two decimal digits of a byte value: 7 -> "07", 112 -> "12".
constexpr PairTable MakeDecimalPairs() {
  PairTable table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10 % 10);
    table[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return table;
}

// "00".."FF" at 2 x value.
inline constexpr const auto& kHexPairs = platform::kHexDigitPairs;
inline constexpr PairTable kDecimalPairs = MakeDecimalPairs();

inline void PutHexPair(char* at, std::uint8_t value) {
  platform::PutHexDigits(at, value);
}

inline void PutDecimalPair(char* at, std::uint8_t value) {
  std::memcpy(at, kDecimalPairs.data() + 2 * value, 2);
}

// Four bytes (the first in the lowest bits) as eight hexadecimal digits, the
// first digit in the lowest byte: one word's worth of table look-ups at once.
inline std::uint64_t HexDigitsOfFour(std::uint32_t bytes) {
  std::uint64_t spread = bytes;
  spread = (spread | spread << 16) & 0x0000FFFF0000FFFFull;
  spread = (spread | spread << 8) & 0x00FF00FF00FF00FFull;
  const std::uint64_t nibbles =
      (spread >> 4 & 0x000F000F000F000Full) | (spread & 0x000F000F000F000Full) << 8;
  // 1 in each byte whose nibble is 10 or more: those take 'A'-'F'.
  const std::uint64_t letters = (nibbles + 0x0606060606060606ull) >> 4 & 0x0101010101010101ull;
  return nibbles + 0x3030303030303030ull + letters * 7;
}

// Number of decimal digits of `value` (1 for 0), without a branch per digit.
inline int DecimalDigitCount(std::uint64_t value) {
  static constexpr std::uint64_t kPowers[20] = {1ull,
                                                10ull,
                                                100ull,
                                                1000ull,
                                                10000ull,
                                                100000ull,
                                                1000000ull,
                                                10000000ull,
                                                100000000ull,
                                                1000000000ull,
                                                10000000000ull,
                                                100000000000ull,
                                                1000000000000ull,
                                                10000000000000ull,
                                                100000000000000ull,
                                                1000000000000000ull,
                                                10000000000000000ull,
                                                100000000000000000ull,
                                                1000000000000000000ull,
                                                10000000000000000000ull};
  // log10 from the bit length (1233 / 4096 ~ log10 2), one short at most.
  // 0 counts as 1, which it does as a single digit.
  const std::uint64_t odd = value | 1;
  const int guess = (64 - std::countl_zero(odd)) * 1233 >> 12;
  return guess + (odd >= kPowers[guess] ? 1 : 0);
}

// The eight decimal digits of `value` (below 100000000, leading zeros
// included) as byte values 0-9, the first digit in the lowest byte: all eight
// worked out at once in one 64-bit word instead of one division per digit.
inline std::uint64_t EightDigitBytes(std::uint32_t value) {
  const std::uint64_t halves = value / 10000 | static_cast<std::uint64_t>(value % 10000) << 32;
  // Each 32-bit half split into hundreds and the rest (x * 10486 >> 20 is
  // x / 100 below 10000).
  const std::uint64_t hundreds = (halves * 10486 >> 20) & 0x0000007F0000007Full;
  const std::uint64_t pairs = (halves - 100 * hundreds) << 16 | hundreds;
  // Each 16-bit pair split into tens and ones (x * 103 >> 10 is x / 10 below 100).
  const std::uint64_t tens = (pairs * 103 >> 10) & 0x000F000F000F000Full;
  return (pairs - 10 * tens) << 8 | tens;
}

// Writes the eight digits without leading zeros (one digit for 0). Eight
// bytes at `out` are written whatever the length.
inline char* PutUpToEightDigits(char* out, std::uint32_t value) {
  const std::uint64_t digits = EightDigitBytes(value);
  // Leading zero digits are the low zero bytes; the last digit always counts.
  const int skipped = std::countr_zero(digits | 1ull << 56) / 8;
  const std::uint64_t text = (digits + 0x3030303030303030ull) >> (8 * skipped);
  std::memcpy(out, &text, 8);
  return out + 8 - skipped;
}

inline void PutEightDigits(char* out, std::uint32_t value) {
  const std::uint64_t text = EightDigitBytes(value) + 0x3030303030303030ull;
  std::memcpy(out, &text, 8);
}

// Writes `value` in decimal (as std::to_string does) at `out`; returns the
// end. Up to 20 bytes at `out` may be written whatever the length.
inline char* PutDecimal(char* out, std::uint64_t value) {
  if (kLittleEndian && value < 100000000) {
    return PutUpToEightDigits(out, static_cast<std::uint32_t>(value));
  }
  if (kLittleEndian && value < 10000000000000000ull) {
    out = PutUpToEightDigits(out, static_cast<std::uint32_t>(value / 100000000));
    PutEightDigits(out, static_cast<std::uint32_t>(value % 100000000));
    return out + 8;
  }
  char* const end = out + DecimalDigitCount(value);
  char* at = end;
  while (value >= 100) {
    at -= 2;
    PutDecimalPair(at, static_cast<std::uint8_t>(value % 100));
    value /= 100;
  }
  if (value >= 10) {
    PutDecimalPair(at - 2, static_cast<std::uint8_t>(value));
  } else {
    at[-1] = static_cast<char>('0' + value);
  }
  return end;
}

}  // namespace vantor
