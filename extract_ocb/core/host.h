#pragma once
// How the core reaches the user: the window, the command line and the tests
// each implement this; the core never shows anything itself.
#include <string>

#include "platform/message.h"

namespace ostrel {

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The title of every message box that names no title of its own.
inline constexpr const char* kProgramTitle = "Ostrel";

class Host {
 public:
  virtual ~Host() = default;
  virtual MessageAnswer Show(const Message& message) = 0;
  // Progress bar of the current file, 0-100.
  virtual void SetProgress(int percent) = 0;
  // The "Processing ..." label; empty clears it.
  virtual void SetProcessingText(const std::string& text) = 0;
  virtual void SetBusy(bool busy) = 0;
  // Lets pending input be handled (the Stop button) during a run.
  virtual void PumpEvents() = 0;
  // True once the user confirmed Stop; the run then ends at the next block.
  virtual bool StopRequested() = 0;
};

}  // namespace ostrel
