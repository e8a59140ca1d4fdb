#pragma once
// The digit writers every program formats numbers with, in place: tables of
// two characters per value so that a number costs a copy or two instead of a
// division per digit. Every writer takes where to write first and returns
// the end of what it wrote.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace platform {

inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

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

constexpr std::array<char, 512> MakeDecimalDigitPairs() {
  std::array<char, 512> table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10 % 10);
    table[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return table;
}

}  // namespace detail

// "00".."FF": each byte value as two upper-case hexadecimal digits, high
// nibble first, at 2 x value.
inline constexpr std::array<char, 512> kHexDigitPairs = detail::MakeHexDigitPairs();
// The right two decimal digits of each byte value at 2 x value: 7 -> "07",
// 112 -> "12" (a damaged date byte keeps its two places).
inline constexpr std::array<char, 512> kDecimalDigitPairs = detail::MakeDecimalDigitPairs();

inline char* PutHexDigits(char* out, std::uint8_t value) {
  std::memcpy(out, kHexDigitPairs.data() + 2 * value, 2);
  return out + 2;
}

// Two upper-case hexadecimal digits per byte, appended (05 3A -> "053A").
inline void AppendHexText(std::string& out, const std::uint8_t* bytes, std::size_t count) {
  const std::size_t at = out.size();
  out.resize(at + 2 * count);
  char* digits = out.data() + at;
  for (std::size_t i = 0; i < count; ++i) digits = PutHexDigits(digits, bytes[i]);
}
inline std::string HexText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  AppendHexText(text, bytes, count);
  return text;
}

// The right two decimal digits of `value` (below 256), with a leading zero.
inline char* PutTwoDigits(char* out, unsigned value) {
  std::memcpy(out, kDecimalDigitPairs.data() + 2 * value, 2);
  return out + 2;
}

// The text of a byte value from a table: up to three characters, padded with
// spaces to four so that one 4-byte copy stores it.
struct ByteText {
  char text[4];
  std::uint8_t size;
};
using ByteTexts = std::array<ByteText, 256>;

// "0".."255", or with `min_digits` 2 "00".."255" (a time's parts).
constexpr ByteTexts MakeDecimalByteTexts(int min_digits) {
  ByteTexts table{};
  for (int v = 0; v < 256; ++v) {
    ByteText t{{' ', ' ', ' ', ' '}, 0};
    const int digits[3] = {v / 100, v / 10 % 10, v % 10};
    const int first = v >= 100 ? 0 : v >= 10 || min_digits >= 2 ? 1 : 2;
    for (int i = first; i < 3; ++i) t.text[t.size++] = static_cast<char>('0' + digits[i]);
    table[static_cast<std::size_t>(v)] = t;
  }
  return table;
}

// "0".."999": most counters of a record are small, and a table saves the
// arithmetic on them.
constexpr std::array<ByteText, 1000> MakeSmallDecimals() {
  std::array<ByteText, 1000> table{};
  for (int v = 0; v < 1000; ++v) {
    ByteText t{{' ', ' ', ' ', ' '}, 0};
    const int digits[3] = {v / 100, v / 10 % 10, v % 10};
    const int first = v >= 100 ? 0 : v >= 10 ? 1 : 2;
    for (int i = first; i < 3; ++i) t.text[t.size++] = static_cast<char>('0' + digits[i]);
    table[static_cast<std::size_t>(v)] = t;
  }
  return table;
}
inline constexpr std::array<ByteText, 1000> kSmallDecimals = MakeSmallDecimals();

// Stores the four characters of `text` and returns the end of its own.
inline char* PutByteText(char* out, const ByteText& text) {
  std::memcpy(out, text.text, 4);
  return out + text.size;
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
inline int DigitCount(std::uint64_t value) {
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

namespace detail {

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

// The eight digits without leading zeros (one digit for 0), followed by
// spaces up to eight bytes.
inline char* PutUpToEightDigits(char* out, std::uint32_t value) {
  const std::uint64_t digits = EightDigitBytes(value);
  // Leading zero digits are the low zero bytes; the last digit always counts.
  const int skipped = std::countr_zero(digits | 1ull << 56) / 8;
  const std::uint64_t spaces = ~(~0ull >> (8 * skipped)) & 0x2020202020202020ull;
  const std::uint64_t text = (digits + 0x3030303030303030ull) >> (8 * skipped) | spaces;
  std::memcpy(out, &text, 8);
  return out + 8 - skipped;
}

inline void PutEightDigits(char* out, std::uint32_t value) {
  const std::uint64_t text = EightDigitBytes(value) + 0x3030303030303030ull;
  std::memcpy(out, &text, 8);
}

}  // namespace detail

// `value` in decimal, as std::to_chars writes it. Up to 20 bytes at `out`
// may be stored whatever the length; those past the end are spaces, so a
// fixed-width column laid down as spaces stays as it is.
inline char* PutDecimal(char* out, std::uint64_t value) {
  if (value < 1000) return PutByteText(out, kSmallDecimals[value]);
  if (kLittleEndian && value < 100000000) {
    return detail::PutUpToEightDigits(out, static_cast<std::uint32_t>(value));
  }
  if (kLittleEndian && value < 10000000000000000ull) {
    out = detail::PutUpToEightDigits(out, static_cast<std::uint32_t>(value / 100000000));
    detail::PutEightDigits(out, static_cast<std::uint32_t>(value % 100000000));
    return out + 8;
  }
  char* const end = out + DigitCount(value);
  char* at = end;
  while (value >= 100) {
    at -= 2;
    PutTwoDigits(at, static_cast<unsigned>(value % 100));
    value /= 100;
  }
  if (value >= 10) {
    PutTwoDigits(at - 2, static_cast<unsigned>(value));
  } else {
    at[-1] = static_cast<char>('0' + value);
  }
  return end;
}

}  // namespace platform
