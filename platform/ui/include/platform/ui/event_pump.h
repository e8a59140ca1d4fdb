#pragma once
// Keeps a window drawing while a long loop holds its thread. The loop calls
// Tick() as often as it likes (every record is fine): the clock is looked at
// only every few calls, and pending events are processed only when the
// interval has passed, so the cost is no more than a counter per call.
//
// Runs that let the user act while they work (a Stop button) take input;
// runs that do not still repaint their progress and status, while clicks
// and keys given meanwhile are dropped instead of being acted on later.
#include <QObject>
#include <chrono>
#include <cstdint>

namespace platform::ui {

class EventPump : public QObject {
 public:
  enum class Input { kTake, kDrop };
  explicit EventPump(Input input,
                     std::chrono::milliseconds interval = std::chrono::milliseconds(50));
  // Drops the input still queued, for a pump that takes none.
  ~EventPump() override;
  EventPump(const EventPump&) = delete;
  EventPump& operator=(const EventPump&) = delete;

  void Tick() {
    if (++calls_ < kCallsPerClockLook) return;
    calls_ = 0;
    if (std::chrono::steady_clock::now() >= next_) Pump();
  }
  // Processes pending events now.
  void Pump();
  std::int64_t Pumps() const { return pumps_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kCallsPerClockLook = 64;
  Input input_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point next_;
  int calls_ = 0;
  std::int64_t pumps_ = 0;
};

}  // namespace platform::ui
