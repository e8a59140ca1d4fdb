#pragma once
// What a program's run needs from whoever shows it to the user: the window,
// the command line or a test. A run never talks to the user any other way.
// Each program's Host derives from this one and adds only what is its own.
#include <string>

#include "platform/message.h"

namespace platform {

class RunHost {
 public:
  virtual ~RunHost() = default;

  // A message box in a window, a line on stderr in batch; a question comes
  // back answered.
  virtual MessageAnswer ShowMessage(const Message& message) = 0;

  // The run's status line ("Processing ..."); empty clears it.
  virtual void SetStatusText(const std::string& text) { (void)text; }

  // The run's progress bar; each program says its own scale.
  virtual void SetProgress(int value) = 0;

  // Lets the window draw and handle pending input (a Stop click) between
  // records.
  virtual void PumpEvents() {}

  // True once the user asked the run to stop (Stop confirmed, Ctrl-C); the
  // run then ends at the next record or block, keeping what it wrote.
  virtual bool StopRequested() { return false; }

  // The file the next messages are about, and the system's reason where there
  // is one. A window shows the exact texts alone; a command line, where
  // several files may pass, puts the file before a text that names none.
  virtual void SetMessageFile(const std::string& path, const std::string& reason = "") {
    (void)path;
    (void)reason;
  }
};

}  // namespace platform
