#include "platform/clock.h"

#include <ctime>

namespace platform {

ClockReading SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  ClockReading r;
  r.year = local.tm_year + 1900;
  r.month = local.tm_mon + 1;
  r.day = local.tm_mday;
  r.hour = local.tm_hour;
  r.minute = local.tm_min;
  r.second = local.tm_sec;
  return r;
}

}  // namespace platform
