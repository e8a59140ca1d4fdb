#pragma once
// Ready-made texts of byte values, so that the per-record formatting copies a
// few bytes from a table instead of dividing or building strings.
#include <cstdint>

#include "formats/ocb/layout.h"
#include "platform/digits.h"

namespace ostrel {

namespace detail {

constexpr char kHexDigit[] = "0123456789ABCDEF";

// Hex digits of a byte with the filler nibble F left out: 0x2F is "2".
constexpr platform::ByteTexts MakeNumberBytes() {
  platform::ByteTexts texts{};
  for (int v = 0; v < 256; ++v) {
    platform::ByteText& t = texts[static_cast<std::size_t>(v)];
    t = {{' ', ' ', ' ', ' '}, 0};
    for (int nibble : {v >> 4, v & 15}) {
      if (nibble != static_cast<int>(formats::ocb::kFillerNibble))
        t.text[t.size++] = kHexDigit[nibble];
    }
  }
  return texts;
}

}  // namespace detail

// "0" .. "255".
inline constexpr platform::ByteTexts kDecimalBytes = platform::MakeDecimalByteTexts(1);
// The digits of a packed number byte without its F fillers.
inline constexpr platform::ByteTexts kNumberBytes = detail::MakeNumberBytes();

}  // namespace ostrel
