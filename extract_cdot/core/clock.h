#pragma once
// The computer's clock behind an interface, so tests can fix today and the
// time of day.
#include <string>

#include "elapsed_time.h"

namespace kelvan {

struct CalendarDate {
  int year = 2000, month = 1, day = 1;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual CalendarDate Today() const = 0;
  virtual TimeOfDay Now() const = 0;
};

class SystemClock : public Clock {
 public:
  CalendarDate Today() const override;
  TimeOfDay Now() const override;
};

// Day, the month's first three letters and the year: "6 Dec 2026".
std::string StatusDateText(const CalendarDate& date);

}  // namespace kelvan
