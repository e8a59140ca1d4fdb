#pragma once
// Character tables and digit writers for formatting fields in place: two
// characters per byte from one lookup, no allocation, no division loops.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vantor {

// Two characters for each byte value.
using PairTable = std::array<char, 512>;

// "00".."FF": a byte as two hexadecimal digits, high nibble first.
constexpr PairTable MakeHexPairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  PairTable table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<std::size_t>(2 * i)] = kDigits[i >> 4];
    table[static_cast<std::size_t>(2 * i + 1)] = kDigits[i & 0x0F];
  }
  return table;
}

// The right two decimal digits of a byte value: 7 -> "07", 112 -> "12".
constexpr PairTable MakeDecimalPairs() {
  PairTable table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10 % 10);
    table[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return table;
}

inline constexpr PairTable kHexPairs = MakeHexPairs();
inline constexpr PairTable kDecimalPairs = MakeDecimalPairs();

inline void PutHexPair(char* at, std::uint8_t value) {
  std::memcpy(at, kHexPairs.data() + 2 * value, 2);
}

inline void PutDecimalPair(char* at, std::uint8_t value) {
  std::memcpy(at, kDecimalPairs.data() + 2 * value, 2);
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

// The ten digits of a 32-bit value with leading zeros, into out[0..9].
inline void PutTenDigits(char* out, std::uint32_t value) {
  const std::uint32_t high = value / 100000;
  std::uint32_t low = value - high * 100000;
  std::uint32_t top = high;
  out[4] = static_cast<char>('0' + top % 10);
  top /= 10;
  PutDecimalPair(out + 2, static_cast<std::uint8_t>(top % 100));
  PutDecimalPair(out, static_cast<std::uint8_t>(top / 100));
  out[9] = static_cast<char>('0' + low % 10);
  low /= 10;
  PutDecimalPair(out + 7, static_cast<std::uint8_t>(low % 100));
  PutDecimalPair(out + 5, static_cast<std::uint8_t>(low / 100));
}

// Writes `value` in decimal (as std::to_string does) at `out`; returns the
// end. Ten bytes at `out` are written whatever the length.
inline char* PutDecimal(char* out, std::uint32_t value) {
  char digits[20];
  PutTenDigits(digits, value);
  // A 32-bit value has at most ten digits (said again for the compiler).
  const std::size_t count =
      std::min<std::size_t>(static_cast<std::size_t>(DecimalDigitCount(value)), 10);
  std::memcpy(out, digits + 10 - count, 10);
  return out + count;
}

// The same for 64-bit values (all their digits may be written).
inline char* PutDecimal(char* out, std::uint64_t value) {
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
