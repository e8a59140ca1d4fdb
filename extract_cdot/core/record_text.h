#pragma once
// The texts of a record's fields written straight into a caller's buffer,
// from lookup tables: a line is made with no string per field. Every writer
// returns the end of what it wrote and may store a few spaces past it (room
// for that is in kWriteSlack): a fixed-width column, spaces already, stays
// as it is.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelvan {

// Bytes a writer may store past the end it returns (spaces).
constexpr std::size_t kWriteSlack = 32;
// Characters of a 10-byte number field at most (two a byte).
constexpr std::size_t kMaxDigits = 20;

// What one byte of a number field gives: up to two characters, A mapped to
// 0 and F (filler) dropped; a byte below 0x10 gives only its low digit.
struct DigitPair {
  char text[2];
  std::uint8_t size;
};

constexpr std::array<DigitPair, 256> MakeDigitPairs() {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::array<DigitPair, 256> table{};
  for (int b = 0; b < 256; ++b) {
    DigitPair pair{{' ', ' '}, 0};
    auto put = [&pair, &kHex](int nibble) {
      if (nibble == 0xF) return;
      pair.text[pair.size++] = nibble == 0xA ? '0' : kHex[nibble];
    };
    if (b >= 0x10) put(b >> 4);
    put(b & 0xF);
    table[static_cast<std::size_t>(b)] = pair;
  }
  return table;
}

inline constexpr std::array<DigitPair, 256> kDigitPairs = MakeDigitPairs();

// A time byte as written: two digits at least ("07"), three above 99.
struct ByteText {
  char text[3];
  std::uint8_t size;
};

constexpr std::array<ByteText, 256> MakeByteTexts() {
  std::array<ByteText, 256> table{};
  for (int b = 0; b < 256; ++b) {
    ByteText t{{'0', '0', ' '}, 2};
    if (b >= 100) {
      t = {{static_cast<char>('0' + b / 100), static_cast<char>('0' + b / 10 % 10),
            static_cast<char>('0' + b % 10)},
           3};
    } else {
      t.text[0] = static_cast<char>('0' + b / 10);
      t.text[1] = static_cast<char>('0' + b % 10);
    }
    table[static_cast<std::size_t>(b)] = t;
  }
  return table;
}

inline constexpr std::array<ByteText, 256> kByteTexts = MakeByteTexts();

constexpr std::array<char, 200> MakeTwoDigits() {
  std::array<char, 200> table{};
  for (int i = 0; i < 100; ++i) {
    table[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    table[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return table;
}

inline constexpr std::array<char, 200> kTwoDigits = MakeTwoDigits();

// The digits of a number field: bytes up to the first FF. Room: 2 x count.
inline char* PutDigits(const std::uint8_t* bytes, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    if (b == 0xFF) break;
    const DigitPair& pair = kDigitPairs[b];
    std::memcpy(out, pair.text, 2);
    out += pair.size;
  }
  return out;
}

// HH:MM:SS from three binary bytes.
inline char* PutTime(const std::uint8_t* bytes, char* out) {
  const ByteText& hour = kByteTexts[bytes[0]];
  std::memcpy(out, hour.text, 3);
  out += hour.size;
  *out++ = ':';
  const ByteText& minute = kByteTexts[bytes[1]];
  std::memcpy(out, minute.text, 3);
  out += minute.size;
  *out++ = ':';
  const ByteText& second = kByteTexts[bytes[2]];
  std::memcpy(out, second.text, 3);
  return out + second.size;
}

// Plain decimal, as std::to_chars writes it.
inline char* PutDecimal(std::uint64_t value, char* out) {
  if (value < 10) {
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  if (value < 100) {
    std::memcpy(out, &kTwoDigits[2 * value], 2);
    return out + 2;
  }
  std::size_t size = 3;
  for (std::uint64_t rest = value / 1000; rest != 0; rest /= 10) ++size;
  char* p = out + size;
  while (value >= 100) {
    const std::uint64_t pair = value % 100;
    value /= 100;
    p -= 2;
    std::memcpy(p, &kTwoDigits[2 * pair], 2);
  }
  if (value >= 10) {
    std::memcpy(p - 2, &kTwoDigits[2 * value], 2);
  } else {
    p[-1] = static_cast<char>('0' + value);
  }
  return out + size;
}

}  // namespace kelvan
