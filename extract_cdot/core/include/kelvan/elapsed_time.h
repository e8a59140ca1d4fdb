#pragma once
// How long a run took, as told in its closing message.
#include <cstdint>
#include <string>

namespace kelvan {

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

std::int64_t SecondsOfDay(const TimeOfDay& time);

// Seconds from start to end; a run that went past midnight adds a day
// rather than going negative.
std::int64_t ElapsedSeconds(const TimeOfDay& start, const TimeOfDay& end);

// "M Minutes and S Seconds".
std::string ElapsedText(std::int64_t seconds);

}  // namespace kelvan
