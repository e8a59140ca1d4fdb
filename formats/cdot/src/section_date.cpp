#include "formats/cdot/section_date.h"

#include <cstdio>

#include "formats/cdot/layout.h"
#include "platform/calendar.h"

namespace formats::cdot {

namespace {

bool ParseNumber(std::string_view text, int& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

}  // namespace

std::string SectionDate(std::string_view ddmmyy) {
  // A short text gives what it has.
  auto part = [&](std::size_t at) {
    return at < ddmmyy.size() ? ddmmyy.substr(at, 2) : std::string_view();
  };
  std::string out = "20";
  out.append(part(4)).append("/").append(part(2)).append("/").append(part(0));
  return out;
}

std::string NameDigits(std::string_view file_name) {
  return file_name.size() > kNameDateOffset
             ? std::string(file_name.substr(kNameDateOffset, kDateDigits))
             : std::string();
}

bool IsRealDate(std::string_view ddmmyy) {
  int day = 0, month = 0, year = 0;
  if (ddmmyy.size() != kDateDigits || !ParseNumber(ddmmyy.substr(0, 2), day) ||
      !ParseNumber(ddmmyy.substr(2, 2), month) || !ParseNumber(ddmmyy.substr(4, 2), year)) {
    return false;
  }
  return month >= 1 && month <= 12 && day >= 1 && day <= platform::DaysInMonth(month, 2000 + year);
}

std::string DayBefore(std::string_view date) {
  int year = 0, month = 0, day = 0;
  if (date.size() != 10 || date[4] != '/' || date[7] != '/' ||
      !ParseNumber(date.substr(0, 4), year) || !ParseNumber(date.substr(5, 2), month) ||
      !ParseNumber(date.substr(8, 2), day) || month < 1 || month > 12 || day < 1 ||
      day > platform::DaysInMonth(month, year)) {
    return std::string(date);
  }
  if (--day == 0) {
    if (--month == 0) {
      month = 12;
      --year;
    }
    day = platform::DaysInMonth(month, year);
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", year, month, day);
  return buffer;
}

void SectionDating::Start(std::string_view ddmmyy) {
  date_ = SectionDate(ddmmyy);
  day_before_ = DayBefore(date_);
  evening_seen_ = false;
}

void SectionDating::StartUndated() {
  date_.clear();
  day_before_.clear();
  evening_seen_ = false;
}

const std::string& SectionDating::DateOf(std::string_view time_text) {
  if (time_text.substr(0, 2) == "19") evening_seen_ = true;
  if (!time_text.empty() && time_text[0] == '2' && !evening_seen_) return day_before_;
  return date_;
}

}  // namespace formats::cdot
