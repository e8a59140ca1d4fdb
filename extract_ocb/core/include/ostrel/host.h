#pragma once
// How the core reaches the user: the window, the command line and the tests
// each implement this; the core never shows anything itself.
#include <string>

#include "platform/message.h"
#include "platform/run_host.h"

namespace ostrel {

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The title of every message box that names no title of its own.
inline constexpr const char* kProgramTitle = "Ostrel";

// SetProgress is the bar of the current file, 0-100; SetStatusText the
// "Processing ..." label; StopRequested true once the user confirmed Stop.
class Host : public platform::RunHost {
 public:
  void SetStatusText(const std::string& text) override = 0;
  void PumpEvents() override = 0;
  bool StopRequested() override = 0;
  virtual void SetBusy(bool busy) = 0;
};

}  // namespace ostrel
