#include "engine/moments.h"

#include <cstdio>

#include "platform/calendar.h"

namespace lomtra {
namespace {

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

}  // namespace

Moment MomentOfText(std::string_view text) {
  // YYYY-MM-DD, three spaces, HH:MM:SS
  constexpr std::string_view kShape = "0000-00-00   00:00:00";
  if (text.size() != kShape.size()) return kNoMoment;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return kNoMoment;
  }
  auto number = [&](std::size_t at, std::size_t size) {
    int value = 0;
    for (std::size_t i = at; i < at + size; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4);
  const int month = number(5, 2);
  const int day = number(8, 2);
  const int hour = number(13, 2);
  const int minute = number(16, 2);
  const int second = number(19, 2);
  if (month < 1 || month > 12 || day < 1 || day > platform::DaysInMonth(month, year) || hour > 23 ||
      minute > 59 || second > 59) {
    return kNoMoment;
  }
  return platform::DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string MomentClockText(Moment moment) {
  if (moment == kNoMoment) return {};
  const std::int64_t days = (moment >= 0 ? moment : moment - 86399) / 86400;
  const std::int64_t seconds = moment - days * 86400;
  const CivilDate date = CivilFromDays(days);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d",
                static_cast<long long>(date.year), date.month, date.day,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

}  // namespace lomtra
