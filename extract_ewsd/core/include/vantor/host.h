#pragma once
// What the core needs from whoever shows it to the user: the window, the
// command line or a test. The core never talks to the user any other way.
#include <array>
#include <string>

#include "platform/message.h"
#include "platform/run_host.h"

namespace vantor {

inline constexpr const char* kProgramName = "Vantor";

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The ten analysis values: first record date, time, calling, called; the same
// for the last record; total records; file size.
using AnalysisLabels = std::array<std::string, 10>;

// SetStatusText is the window's lblCurFile, shown at once; SetProgress the
// extraction's bar, 0 to 100; PumpEvents lets a Cancel click be handled.
class Host : public platform::RunHost {
 public:
  void SetStatusText(const std::string& text) override = 0;
  void PumpEvents() override = 0;
  virtual void SetAnalysisProgress(int value) = 0;  // 0 to 300
  virtual void SetAnalysisLabels(const AnalysisLabels& labels) = 0;
};

}  // namespace vantor
