#include "clock.h"

#include <ctime>

namespace kelvan {

namespace {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

}  // namespace

CalendarDate SystemClock::Today() const {
  const std::tm local = LocalNow();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

TimeOfDay SystemClock::Now() const {
  const std::tm local = LocalNow();
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

std::string StatusDateText(const CalendarDate& date) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = date.month >= 1 && date.month <= 12 ? date.month : 1;
  return std::to_string(date.day) + " " + kMonths[month - 1] + " " + std::to_string(date.year);
}

}  // namespace kelvan
