#pragma once
// The date rules of the format: every call of a file is dated against the
// year and day of its first block header, and the century is always 20.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/ocb/layout.h"
#include "platform/digits.h"

namespace formats::ocb {

// The year within the century of a call made on `record_day`: a record day
// later than the header day belongs to the year before (-1 before year 00).
constexpr int CallYear(int record_day, int header_year, int header_day) {
  return header_day < record_day ? header_year - 1 : header_year;
}

// Room for the longest date text, damaged days included.
inline constexpr std::size_t kMaxDateText = 40;

// YYYY-MM-DD of day `day_of_year` of the year 20YY (1999 for YY = -1),
// written at `out` (room for kMaxDateText); returns the end. February has
// 29 days in leap years. A damaged day beyond the year's end
// stays in December rather than running past it, written as `long_day` says.
char* PutDate(char* out, int year, int day_of_year,
              Reading::LongDay long_day = Reading::LongDay::kWhole);
// The date of a call on `record_day` (CallYear, then PutDate).
inline char* PutCallDate(char* out, int record_day, int header_year, int header_day,
                         Reading::LongDay long_day = Reading::LongDay::kWhole) {
  return PutDate(out, CallYear(record_day, header_year, header_day), record_day, long_day);
}
// HH:MM:SS of the three BCD time bytes, digits as they stand; 8 characters.
// Inline: the extraction writes one for every call.
inline char* PutCallTime(char* out, const std::uint8_t* time_bytes) {
  platform::PutHexDigits(out, time_bytes[0]);
  out[2] = ':';
  platform::PutHexDigits(out + 3, time_bytes[1]);
  out[5] = ':';
  platform::PutHexDigits(out + 6, time_bytes[2]);
  return out + 8;
}

struct CallMoment {
  std::string date;  // YYYY-MM-DD
  std::string time;  // HH:MM:SS
};
CallMoment CallDate(int record_day, const std::uint8_t* time_bytes, int header_year,
                    int header_day);
void CallDateInto(int record_day, const std::uint8_t* time_bytes, int header_year, int header_day,
                  std::string& date, std::string& time);

}  // namespace formats::ocb
