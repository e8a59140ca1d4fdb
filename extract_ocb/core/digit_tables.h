#pragma once
// Ready-made texts of byte values, so that the per-record formatting copies a
// few bytes from a table instead of dividing or building strings.
#include <array>
#include <cstdint>

#include "formats/ocb/layout.h"

namespace ostrel {

// The text of one byte and how many of its characters count.
struct ByteText {
  std::array<char, 3> chars;
  std::uint8_t length;
};

namespace detail {

constexpr char kHexDigit[] = "0123456789ABCDEF";

constexpr std::array<ByteText, 256> MakeDecimalBytes() {
  std::array<ByteText, 256> texts{};
  for (int v = 0; v < 256; ++v) {
    ByteText& t = texts[static_cast<std::size_t>(v)];
    if (v >= 100) {
      t = {{static_cast<char>('0' + v / 100), static_cast<char>('0' + v / 10 % 10),
            static_cast<char>('0' + v % 10)},
           3};
    } else if (v >= 10) {
      t = {{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10), ' '}, 2};
    } else {
      t = {{static_cast<char>('0' + v), ' ', ' '}, 1};
    }
  }
  return texts;
}

// Hex digits of a byte with the filler nibble F left out: 0x2F is "2".
constexpr std::array<ByteText, 256> MakeNumberBytes() {
  std::array<ByteText, 256> texts{};
  for (int v = 0; v < 256; ++v) {
    ByteText& t = texts[static_cast<std::size_t>(v)];
    t = {{' ', ' ', ' '}, 0};
    for (int nibble : {v >> 4, v & 15}) {
      if (nibble != static_cast<int>(formats::ocb::kFillerNibble))
        t.chars[t.length++] = kHexDigit[nibble];
    }
  }
  return texts;
}

}  // namespace detail

// "0" .. "255".
inline constexpr std::array<ByteText, 256> kDecimalBytes = detail::MakeDecimalBytes();
// The digits of a packed number byte without its F fillers.
inline constexpr std::array<ByteText, 256> kNumberBytes = detail::MakeNumberBytes();

}  // namespace ostrel
