#include "platform/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace platform {

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor_value = std::floor(value);
  const double diff = value - floor_value;
  if (diff < 0.5) return floor_value;
  if (diff > 0.5) return floor_value + 1.0;
  return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

std::int64_t RoundHalfEvenToInt(double value) {
  const double r = RoundHalfEven(value);
  if (!(r == r)) return 0;
  if (r >= 9.2e18) return INT64_MAX;
  if (r <= -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}

std::string ShortestDecimal(double value, int max_decimals) {
  if (!std::isfinite(value)) return "0";
  if (max_decimals < 0) max_decimals = 0;
  if (max_decimals > 15) max_decimals = 15;
  double scale = 1.0;
  for (int i = 0; i < max_decimals; ++i) scale *= 10.0;
  const double scaled = value * scale;
  double rounded = RoundHalfEven(scaled);
  if (std::fabs(rounded) >= 9e18) {
    // Up to 309 digits: the largest double written out in full.
    char big[400];
    auto r =
        std::to_chars(big, big + sizeof big, RoundHalfEven(value), std::chars_format::fixed, 0);
    if (r.ec != std::errc()) return "0";
    return std::string(big, r.ptr);
  }
  std::int64_t whole = static_cast<std::int64_t>(rounded);
  const bool negative = whole < 0;
  std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-(whole + 1)) + 1 : static_cast<std::uint64_t>(whole);
  std::uint64_t divisor = 1;
  for (int i = 0; i < max_decimals; ++i) divisor *= 10;
  std::uint64_t integer_part = magnitude / divisor;
  std::uint64_t fraction = magnitude % divisor;
  std::string out;
  if (negative && magnitude != 0) out.push_back('-');
  out += std::to_string(integer_part);
  if (fraction != 0) {
    std::string frac = std::to_string(fraction);
    frac.insert(0, static_cast<std::size_t>(max_decimals) - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    out += '.';
    out += frac;
  }
  return out;
}

double LeadingNumber(std::string_view text) {
  std::string number;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
      ++i;
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number.push_back(text[i]);
    ++i;
  }
  bool any_digit = false;
  bool seen_point = false;
  for (;; ++i) {
    skip_blanks();
    if (i >= text.size()) break;
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      number.push_back(c);
      any_digit = true;
    } else if (c == '.' && !seen_point) {
      number.push_back(c);
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return 0.0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    auto skip = [&] {
      while (j < text.size() &&
             (text[j] == ' ' || text[j] == '\t' || text[j] == '\n' || text[j] == '\r'))
        ++j;
    };
    skip();
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent.push_back(text[j++]);
    bool exp_digit = false;
    for (;; ++j) {
      skip();
      if (j >= text.size() || text[j] < '0' || text[j] > '9') break;
      exponent.push_back(text[j]);
      exp_digit = true;
    }
    if (exp_digit) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

double DigitFirstNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
    ++i;
  if (i == text.size() || text[i] < '0' || text[i] > '9') return 0.0;
  return LeadingNumber(text.substr(i));
}

}  // namespace platform
