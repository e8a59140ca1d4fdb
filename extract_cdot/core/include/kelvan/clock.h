#pragma once
// kelvan reads the computer's clock through platform's, so that tests can
// fix today and the time of day.
#include <string>

#include "kelvan/elapsed_time.h"
#include "platform/clock.h"

namespace kelvan {

using platform::Clock;
using platform::ClockReading;
using platform::SystemClock;

// The time of day of a clock reading.
inline TimeOfDay TimeOf(const ClockReading& reading) {
  return {reading.hour, reading.minute, reading.second};
}

// Day, the month's first three letters and the year: "6 Dec 2026".
std::string StatusDateText(const ClockReading& date);

}  // namespace kelvan
