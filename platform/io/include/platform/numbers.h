#pragma once
// Rounding and number texts shared by every program.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);
std::int64_t RoundHalfEvenToInt(double value);

// The value rounded (halves to even) to at most `max_decimals` decimals and
// written in its shortest form: 1.5 not 1.50, 3 not 3.00, "-0" never.
std::string ShortestDecimal(double value, int max_decimals);

// The number a text begins with: blanks are skipped wherever they stand; an
// optional sign, digits with at most one decimal point and an optional
// exponent (E or D, then digits); reading stops at the first other character
// and a text with no digits gives 0. "0156" -> 156, "7-" -> 7, "F1" -> 0,
// "1E02" -> 100.
double LeadingNumber(std::string_view text);
// The same for readers that take no sign or leading decimal point: a text
// that, blanks skipped, begins with no digit gives 0 ("+95" -> 0, ".5" -> 0).
double DigitFirstNumber(std::string_view text);

}  // namespace platform
