#include "formats/ocb/dates.h"

#include <charconv>

namespace formats::ocb {

namespace {

bool IsLeapYear(int year) {
  return year % 4 == 0;
}

// "0" before a value under 10, written at `at` (room for 12); returns the end.
char* PutTwoDigits(char* at, int value) {
  if (value < 10) *at++ = '0';
  return std::to_chars(at, at + 11, value).ptr;
}

}  // namespace

char* PutDate(char* out, int year, int day_of_year, Reading::LongDay long_day) {
  // A header year 00 with a call from the year before can only mean 1999.
  const int full_year = year < 0 ? 1999 : 2000 + year;
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int day = day_of_year;
  int month = 1;
  while (month < 12) {
    const int length = month == 2 && IsLeapYear(full_year) ? 29 : kMonthDays[month - 1];
    if (day <= length) break;
    day -= length;
    ++month;
  }
  if (long_day == Reading::LongDay::kLastTwoDigits) day %= 100;
  char* end = std::to_chars(out, out + 12, full_year).ptr;
  *end++ = '-';
  end = PutTwoDigits(end, month);
  *end++ = '-';
  return PutTwoDigits(end, day);
}

void CallDateInto(int record_day, const std::uint8_t* time_bytes, int header_year, int header_day,
                  std::string& date, std::string& time) {
  // Made on the stack and assigned once: this runs for every record.
  char text[kMaxDateText];
  date.assign(text, PutCallDate(text, record_day, header_year, header_day));
  char clock[8];
  time.assign(clock, PutCallTime(clock, time_bytes));
}

CallMoment CallDate(int record_day, const std::uint8_t* time_bytes, int header_year,
                    int header_day) {
  CallMoment moment;
  CallDateInto(record_day, time_bytes, header_year, header_day, moment.date, moment.time);
  return moment;
}

}  // namespace formats::ocb
