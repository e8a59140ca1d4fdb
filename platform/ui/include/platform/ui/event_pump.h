#pragma once
// Keeps a window drawing while a long loop holds its thread. The loop calls
// Tick() as often as it likes (every record is fine) or as seldom (once a
// stretch of a file): a clock thread marks when the interval has passed, so
// a tick costs one flag read and pending events are processed at most once
// an interval.
//
// Runs that let the user act while they work (a Stop button) take input;
// runs that do not still repaint their progress and status, while clicks
// and keys given meanwhile are dropped instead of being acted on later.
#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

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
    if (due_.load(std::memory_order_relaxed)) Pump();
  }
  // Processes pending events now.
  void Pump();
  std::int64_t Pumps() const { return pumps_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Input input_;
  std::chrono::milliseconds interval_;
  std::int64_t pumps_ = 0;
  std::atomic<bool> due_{false};
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread clock_;
};

}  // namespace platform::ui
