#pragma once
// A silent host, a fixed clock and fresh state for one analyser input: no
// memory carries from one input to the next, so a finding replays alone.
#include <string>

#include "engine/clock.h"
#include "engine/engine_state.h"
#include "engine/host.h"

namespace fuzz {

class SilentHost : public lomtra::Host {
 public:
  lomtra::MessageAnswer ShowMessage(const lomtra::Message& message) override {
    return message.buttons == lomtra::MessageButtons::kOk ? lomtra::MessageAnswer::kOk
                                                          : lomtra::MessageAnswer::kYes;
  }
  int ProgressValue() const override { return progress_; }
  void SetProgress(int value) override {
    if (value < 0 || value > ProgressMaximum()) __builtin_trap();  // the bar would throw
    progress_ = value;
  }
  void SetStatusPanel(lomtra::StatusPanel, const std::string&) override {}

 private:
  int progress_ = 0;
};

inline lomtra::ClockReading FuzzNow() {
  lomtra::ClockReading now;
  now.year = 2006;
  now.month = 6;
  now.day = 15;
  return now;
}

struct AnalyserRig {
  SilentHost host;
  lomtra::FixedClock clock{FuzzNow()};
  lomtra::EngineState state;
  lomtra::AnalyserContext Context() { return lomtra::AnalyserContext{host, clock, state}; }
};

}  // namespace fuzz
