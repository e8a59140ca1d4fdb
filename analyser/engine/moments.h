#pragma once
// Moments of the list's time columns as numbers, for the checks and the
// coverage view that order and compare files by them.
#include <string>
#include <string_view>

#include "engine/findings.h"

namespace lomtra {

// The moment of a time column's text ("2005-02-03   14:05:09": date, three
// spaces, time); kNoMoment for a state text, an empty text, or a date or time
// that no clock shows (month 13, 25 o'clock, "unknown" for the date).
Moment MomentOfText(std::string_view text);

// "YYYY-MM-DD HH:MM:SS"; empty for kNoMoment.
std::string MomentClockText(Moment moment);

}  // namespace lomtra
