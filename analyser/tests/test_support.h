#pragma once
// Shared pieces of the analyser's tests: a temporary folder, a recording
// host with scripted answers, and a fixed clock.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cdrgen/bytes.h"
#include "engine/analysis_run.h"
#include "engine/clock.h"
#include "engine/engine_state.h"
#include "engine/host.h"

namespace lomtra::testing {

// A detector's result as its row shows it: start, end and records joined by
// ",", so that one expected text says it all.
inline std::string ResultText(const DetectorResult& result) {
  DataFileEntry row;
  WriteResult(result, row);
  return StartTimeText(row) + "," + EndTimeText(row) + "," + row.records;
}
inline constexpr const char* kStoppedResult = "To be Analysed,To be Analysed,0";

class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("lomtra_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, const cdrgen::Bytes& bytes) const {
    const auto path = path_ / name;
    cdrgen::WriteFile(path, bytes);
    return path.string();
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class RecordingHost : public Host {
 public:
  MessageAnswer ShowMessage(const Message& message) override {
    messages.push_back(message);
    if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (answers.empty()) return MessageAnswer::kYes;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  int ProgressValue() const override { return progress; }
  void SetProgress(int value) override {
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
    progress = value;
    progress_history.push_back(value);
  }
  void SetStatusPanel(StatusPanel panel, const std::string& text) override {
    panels[static_cast<int>(panel)] = text;
    if (panel == StatusPanel::kStatusText) status_history.push_back(text);
  }
  void PumpEvents() override {
    ++pumps;
    if (pumps == stop_at_pump && state) state->stop_requested = true;
    if (during_pump) during_pump(pumps);
  }
  void SetResultsMark(bool on) override { results_mark = on; }

  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;
  int progress = 0;
  std::vector<int> progress_history;
  std::map<int, std::string> panels;
  std::vector<std::string> status_history;
  int pumps = 0;
  int stop_at_pump = -1;                 // the Stop command "clicked" during this pump
  std::function<void(int)> during_pump;  // what else happens then (by pump number)
  EngineState* state = nullptr;
  bool results_mark = false;
};

inline ClockReading Reading(int year, int month = 6, int day = 15) {
  ClockReading r;
  r.year = year;
  r.month = month;
  r.day = day;
  r.hour = 9;
  r.minute = 8;
  r.second = 7;
  return r;
}

// Host, clock and state wired together for one test.
struct Rig {
  explicit Rig(int year = 2006) : clock(Reading(year)) { host.state = &state; }
  RecordingHost host;
  FixedClock clock;
  EngineState state;
  AnalyserContext Context() { return AnalyserContext{host, clock, state}; }
};

}  // namespace lomtra::testing
