#pragma once
// Character tables and digit writers for formatting fields in place: two
// characters per byte from one lookup, no allocation, no division loops.
#include <array>
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

// Number of decimal digits of `value` (1 for 0).
inline int DecimalDigitCount(std::uint64_t value) {
  int count = 1;
  for (;;) {
    if (value < 10) return count;
    if (value < 100) return count + 1;
    if (value < 1000) return count + 2;
    if (value < 10000) return count + 3;
    value /= 10000;
    count += 4;
  }
}

// Writes `value` in decimal (as std::to_string does) at `out`; returns the end.
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
