#pragma once
// The digits and times of a record written straight into a caller's buffer,
// from lookup tables: no string per field. Every writer returns the end of
// what it wrote and may store spaces past it (up to kMaxDigits bytes in all
// for a number field): a fixed-width column, spaces already, stays as it is.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "platform/digits.h"

namespace formats::cdot {

// Characters of a 10-byte number field at most (two a byte).
constexpr std::size_t kMaxDigits = 20;

// What one byte of a number field gives: up to two characters, A mapped to
// 0 and F (filler) dropped; a byte below 0x10 gives only its low digit.
struct DigitPair {
  char text[2];
  std::uint8_t size;
};

constexpr std::array<DigitPair, 256> MakeDigitPairs() {
  std::array<DigitPair, 256> table{};
  for (int b = 0; b < 256; ++b) {
    DigitPair pair{{' ', ' '}, 0};
    auto put = [&pair](int nibble) {
      if (nibble == 0xF) return;
      pair.text[pair.size++] = nibble == 0xA ? '0' : "0123456789ABCDEF"[nibble];
    };
    if (b >= 0x10) put(b >> 4);
    put(b & 0xF);
    table[static_cast<std::size_t>(b)] = pair;
  }
  return table;
}

inline constexpr std::array<DigitPair, 256> kDigitPairs = MakeDigitPairs();

// A time byte as written: two digits at least ("07"), three above 99.
inline constexpr platform::ByteTexts kByteTexts = platform::MakeDecimalByteTexts(2);

// The digits of a number field: bytes up to the first FF. Room: 2 x count.
inline char* PutDigits(char* out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    if (b == 0xFF) break;
    const DigitPair& pair = kDigitPairs[b];
    std::memcpy(out, pair.text, 2);
    out += pair.size;
  }
  return out;
}

// How many of a 10-byte number field's bytes come before its first FF.
inline std::size_t BytesBeforeFf(const std::uint8_t* bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t first8;
    std::memcpy(&first8, bytes, 8);
    // A byte of ~first8 is 0 where the field has FF; the lowest flagged byte
    // is exactly the first such (borrows only run upwards).
    const std::uint64_t inverted = ~first8;
    const std::uint64_t flags = (inverted - 0x0101010101010101u) & ~inverted & 0x8080808080808080u;
    if (flags != 0) return static_cast<std::size_t>(std::countr_zero(flags) / 8);
    return bytes[8] == 0xFF ? 8 : bytes[9] == 0xFF ? 9 : 10;
  } else {
    std::size_t n = 0;
    while (n < 10 && bytes[n] != 0xFF) ++n;
    return n;
  }
}

// PutDigits of a 10-byte field (stores up to 20 bytes). With SSE2, numbers of up
// to 16 plain digits (0 coded as A, an odd count ended by F) are turned into
// text all at once: where the digits stop varies from record to record, and
// a branch per byte would be guessed wrong half the time.
inline char* PutNumberField(char* out, const std::uint8_t* bytes) {
  const std::size_t used = BytesBeforeFf(bytes);
#if defined(__SSE2__) || defined(_M_X64)
  if (used > 0 && used <= 8) {
    // An odd count of digits ends in the filler F: one character less.
    const int size =
        static_cast<int>(2 * used - (static_cast<std::size_t>(bytes[used - 1] & 0xF) + 1) / 16);
    const __m128i raw = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
    const __m128i low_nibbles = _mm_set1_epi8(0x0F);
    // Sixteen nibbles, one a byte, high nibble first: the text's order.
    const __m128i nibbles = _mm_unpacklo_epi8(_mm_and_si128(_mm_srli_epi16(raw, 4), low_nibbles),
                                              _mm_and_si128(raw, low_nibbles));
    const __m128i ten = _mm_set1_epi8(10);
    // Plain digits only: 0-9 or A, and no high nibble 0 (such a byte gives
    // one digit).
    const __m128i high_places = _mm_set1_epi16(0x00FF);
    const __m128i odd =
        _mm_or_si128(_mm_cmpgt_epi8(nibbles, ten),
                     _mm_and_si128(_mm_cmpeq_epi8(nibbles, _mm_setzero_si128()), high_places));
    if ((_mm_movemask_epi8(odd) & ((1 << size) - 1)) == 0) {
      const __m128i digits =
          _mm_add_epi8(_mm_andnot_si128(_mm_cmpeq_epi8(nibbles, ten), nibbles), _mm_set1_epi8('0'));
      const __m128i places = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
      const __m128i keep = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(size)), places);
      const __m128i text =
          _mm_or_si128(_mm_and_si128(keep, digits), _mm_andnot_si128(keep, _mm_set1_epi8(' ')));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), text);
      return out + size;
    }
  }
#endif
  for (std::size_t i = 0; i < 10; ++i) {
    // From the first FF on every byte counts as FF: no digits, spaces stored.
    const DigitPair& pair = kDigitPairs[i < used ? bytes[i] : 0xFF];
    std::memcpy(out, pair.text, 2);
    out += pair.size;
  }
  return out;
}

// HH:MM:SS from three binary bytes.
inline char* PutTime(char* out, const std::uint8_t* bytes) {
  out = platform::PutByteText(out, kByteTexts[bytes[0]]);
  *out++ = ':';
  out = platform::PutByteText(out, kByteTexts[bytes[1]]);
  *out++ = ':';
  return platform::PutByteText(out, kByteTexts[bytes[2]]);
}

}  // namespace formats::cdot
