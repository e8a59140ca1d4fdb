#pragma once
// The computer's clock, injectable so that tests can fix the year (E10B
// dates, C-DOT file-name dates) and the report's title line.

namespace lomtra {

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
};

// Local time of the computer.
class SystemClock : public Clock {
 public:
  ClockReading Now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(const ClockReading& reading) : reading_(reading) {}
  ClockReading Now() const override { return reading_; }

 private:
  ClockReading reading_;
};

}  // namespace lomtra
