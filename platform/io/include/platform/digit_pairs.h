#pragma once
// Two characters for each value, so that formatters writing numbers in place
// copy them from a table instead of dividing for every digit.
#include <array>
#include <cstdint>
#include <cstring>

namespace platform {
namespace detail {

constexpr std::array<char, 512> MakeHexDigitPairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<char, 512> table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<std::size_t>(2 * i)] = kDigits[i >> 4];
    table[static_cast<std::size_t>(2 * i + 1)] = kDigits[i & 0x0F];
  }
  return table;
}

constexpr std::array<char, 200> MakeDecimalDigitPairs() {
  std::array<char, 200> table{};
  for (int i = 0; i < 100; ++i) {
    table[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    table[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return table;
}

}  // namespace detail

// "00".."FF": each byte value as two upper-case hexadecimal digits, high
// nibble first, at 2 x value.
inline constexpr std::array<char, 512> kHexDigitPairs = detail::MakeHexDigitPairs();
// "00".."99" at 2 x value.
inline constexpr std::array<char, 200> kDecimalDigitPairs = detail::MakeDecimalDigitPairs();

inline void PutHexDigits(char* at, std::uint8_t value) {
  std::memcpy(at, kHexDigitPairs.data() + 2 * value, 2);
}

// `value` below 100, with a leading zero.
inline void PutTwoDigits(char* at, unsigned value) {
  std::memcpy(at, kDecimalDigitPairs.data() + 2 * value, 2);
}

}  // namespace platform
