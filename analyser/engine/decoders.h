#pragma once
// The small decoders that several detectors share.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lomtra {

// The decimal number a text begins with, blanks skipped ("0156" -> 156); a
// text that begins with no digit gives 0 ("F1", "+95", "-51231", ".5").
double ValueOf(std::string_view text);
// The same for the detectors' inner loops: plain digits, nearly every field
// they read, are read here without a call.
inline double FieldValue(std::string_view text) {
  if (text.empty() || text.size() > 15) return ValueOf(text);
  std::uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(c) - '0');
    if (digit > 9) return ValueOf(text);
    value = value * 10 + digit;
  }
  return static_cast<double>(value);
}

// Binary-coded decimal field read as a number: its hexadecimal text read by ValueOf.
double BcdValue(const std::uint8_t* bytes, std::size_t offset, std::size_t count);

// BcdValue as a whole number for dates. A damaged field can read as a huge
// number ("7E95" reads as 7 x 10^95); it is held at kLargestBcdNumber so that
// no date arithmetic overflows.
inline constexpr int kLargestBcdNumber = 99999999;
int BcdNumber(const std::uint8_t* bytes, std::size_t offset, std::size_t count);

// Unsigned number of `count` bytes (at most 8), most significant first.
std::uint64_t BigEndianValue(const std::uint8_t* bytes, std::size_t offset, std::size_t count);

// A number 0..99 as its tens and units digits ("05"); other values give the
// last two characters of "0" + the number, as the date parts are written.
std::string TwoDigits(int value);

// A moment: date text, three spaces, time text. Both empty give an empty moment.
std::string MomentText(std::string_view date, std::string_view time);

}  // namespace lomtra
