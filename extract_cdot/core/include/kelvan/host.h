#pragma once
// What the run needs from whoever shows it (the window, the command line, a
// test): messages with an answer, the progress bar and the status text.
#include <string>

#include "platform/message.h"
#include "platform/run_host.h"

namespace kelvan {

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// SetProgress runs from 0 to kProgressMaximum. StopRequested is asked
// between files and every so many records; the window takes no input during
// a run, so it never stops, and uses the call to keep drawing.
class Host : public platform::RunHost {
 public:
  void SetStatusText(const std::string& text) override = 0;
};

constexpr int kProgressMaximum = 300;

}  // namespace kelvan
