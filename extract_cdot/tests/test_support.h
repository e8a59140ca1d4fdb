#pragma once
// What the core tests share: a host that records everything, a clock that
// says what the test wants, and a temporary folder removed afterwards.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "kelvan/clock.h"
#include "kelvan/host.h"

namespace kelvan::testing {

class RecordingHost : public Host {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    messages.push_back(message);
    return message.buttons == MessageButtons::kOk ? MessageAnswer::kOk : answer;
  }
  void SetProgress(int value) override {
    progress.push_back(value);
    if (value > max_progress) max_progress = value;
  }
  void SetStatusText(const std::string& text) override { status.push_back(text); }
  bool StopRequested() override { return ++stop_questions == stop_at; }

  std::vector<Message> messages;
  std::vector<int> progress;
  std::vector<std::string> status;
  int max_progress = 0;
  int stop_questions = 0;
  int stop_at = -1;                            // the question to answer "stop" (Ctrl-C in batch)
  MessageAnswer answer = MessageAnswer::kYes;  // to every Yes/No question
};

// Each call of Now() gives `today` at the next time of `times` (the last
// one repeats); Today() leaves the times alone.
class FixedClock : public Clock {
 public:
  ClockReading Today() const override { return today; }
  ClockReading Now() const override {
    const TimeOfDay t = times[std::min(next, times.size() - 1)];
    ++next;
    return {today.year, today.month, today.day, t.hour, t.minute, t.second};
  }
  ClockReading today{2026, 12, 6};
  std::vector<TimeOfDay> times{{10, 59, 30}, {11, 0, 35}};
  mutable std::size_t next = 0;
};

class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ =
        std::filesystem::temp_directory_path() /
        ("kelvan-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kelvan::testing
