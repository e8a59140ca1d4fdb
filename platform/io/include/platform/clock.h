#pragma once
// The computer's clock behind an interface, so that tests can fix the date
// and the time of day.

namespace platform {

// A moment of the computer's local time.
struct ClockReading {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual ClockReading Now() const = 0;
  // When only the date is wanted: a test clock that hands out a run's
  // start and end times need not count this reading as one of them.
  virtual ClockReading Today() const { return Now(); }
};

// Local time of the computer.
class SystemClock : public Clock {
 public:
  ClockReading Now() const override;
};

// Always the same moment.
class FixedClock : public Clock {
 public:
  explicit FixedClock(const ClockReading& reading) : reading_(reading) {}
  ClockReading Now() const override { return reading_; }

 private:
  ClockReading reading_;
};

}  // namespace platform
