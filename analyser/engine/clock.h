#pragma once
// lomtra reads the computer's clock through platform's, so that tests can fix
// the year of E10B calls and the report's title line.
#include "platform/clock.h"

namespace lomtra {

using platform::Clock;
using platform::ClockReading;
using platform::FixedClock;
using platform::SystemClock;

}  // namespace lomtra
