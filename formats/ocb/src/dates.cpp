#include "formats/ocb/dates.h"

#include <charconv>

#include "platform/calendar.h"

namespace formats::ocb {

namespace {

// A month or day: "0" before a value under 10, a damaged day with all its
// digits; written at `at` (room for 12), returns the end.
char* PutDatePart(char* at, int value) {
  if (value < 10) *at++ = '0';
  return std::to_chars(at, at + 11, value).ptr;
}

}  // namespace

char* PutDate(char* out, int year, int day_of_year, Reading::LongDay long_day) {
  // A header year 00 with a call from the year before can only mean 1999.
  const int full_year = year < 0 ? 1999 : 2000 + year;
  // The century is always 20, also for a damaged year byte read past 99
  // (A0 is 100): its February is that of its last two digits, 2000 for 2100.
  const platform::MonthDay md =
      platform::DateFromDayOfYear(day_of_year, year < 0 ? 1999 : 2000 + year % 100);
  const int month = md.month;
  int day = md.day;
  if (long_day == Reading::LongDay::kLastTwoDigits) day %= 100;
  char* end = std::to_chars(out, out + 12, full_year).ptr;
  *end++ = '-';
  end = PutDatePart(end, month);
  *end++ = '-';
  return PutDatePart(end, day);
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
