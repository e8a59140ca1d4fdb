#include "kelvan/elapsed_time.h"

namespace kelvan {

namespace {
constexpr std::int64_t kSecondsPerDay = 24 * 3600;
}

std::int64_t SecondsOfDay(const TimeOfDay& time) {
  return std::int64_t{time.hour} * 3600 + time.minute * 60 + time.second;
}

std::int64_t ElapsedSeconds(const TimeOfDay& start, const TimeOfDay& end) {
  std::int64_t seconds = SecondsOfDay(end) - SecondsOfDay(start);
  if (seconds < 0) seconds += kSecondsPerDay;
  return seconds;
}

std::string ElapsedText(std::int64_t seconds) {
  return std::to_string(seconds / 60) + " Minutes and " + std::to_string(seconds % 60) + " Seconds";
}

}  // namespace kelvan
