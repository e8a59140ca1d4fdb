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

#include "formats/cdot/digits.h"
#include "platform/digit_pairs.h"

namespace kelvan {

// The record's digits and times are the format's own writers.
using formats::cdot::kMaxDigits;
using formats::cdot::PutDigits;
using formats::cdot::PutNumberField;
using formats::cdot::PutTime;

// Bytes a writer may store past the end it returns (spaces).
constexpr std::size_t kWriteSlack = 32;

// Numbers below 1000 as text, padded with spaces: most counters of a
// record are small, and a table saves the branches on their length.
struct SmallNumber {
  char text[4];  // the fourth always a space, so four bytes go in one store
  std::uint8_t size;
};

constexpr std::array<SmallNumber, 1000> MakeSmallNumbers() {
  std::array<SmallNumber, 1000> table{};
  for (int n = 0; n < 1000; ++n) {
    SmallNumber t{{' ', ' ', ' ', ' '}, 0};
    const int digits[3] = {n / 100, n / 10 % 10, n % 10};
    const int first = n >= 100 ? 0 : n >= 10 ? 1 : 2;
    for (int i = first; i < 3; ++i) t.text[t.size++] = static_cast<char>('0' + digits[i]);
    table[static_cast<std::size_t>(n)] = t;
  }
  return table;
}

inline constexpr std::array<SmallNumber, 1000> kSmallNumbers = MakeSmallNumbers();

// Plain decimal, as std::to_chars writes it.
inline char* PutDecimal(std::uint64_t value, char* out) {
  if (value < 1000) {
    const SmallNumber& small = kSmallNumbers[value];
    std::memcpy(out, small.text, 4);
    return out + small.size;
  }
  std::size_t size = 4;
  for (std::uint64_t rest = value / 10000; rest != 0; rest /= 10) ++size;
  char* p = out + size;
  while (value >= 100) {
    const std::uint64_t pair = value % 100;
    value /= 100;
    p -= 2;
    platform::PutTwoDigits(p, static_cast<unsigned>(pair));
  }
  if (value >= 10) {
    platform::PutTwoDigits(p - 2, static_cast<unsigned>(value));
  } else {
    p[-1] = static_cast<char>('0' + value);
  }
  return out + size;
}

}  // namespace kelvan
