#pragma once
// What the run needs from whoever shows it (the window, the command line, a
// test): messages with an answer, the progress bar and the status text.
#include <string>

#include "platform/message.h"

namespace kelvan {

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

class Host {
 public:
  virtual ~Host() = default;
  virtual MessageAnswer ShowMessage(const Message& message) = 0;
  // Progress bar value, 0 to kProgressMaximum.
  virtual void SetProgress(int value) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // Asked between files and every so many records: true ends the run there,
  // keeping the lines written so far (Ctrl-C in batch). The window takes no
  // input during a run, so it never stops; it uses the call to keep drawing.
  virtual bool StopRequested() { return false; }
};

constexpr int kProgressMaximum = 300;

}  // namespace kelvan
