#pragma once
// What the core needs from whoever shows it to the user: the window, the
// command line or a test. The core never talks to the user any other way.
#include <array>
#include <string>

#include "platform/message.h"

namespace vantor {

inline constexpr const char* kProgramName = "Vantor";

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The ten analysis values: first record date, time, calling, called; the same
// for the last record; total records; file size.
using AnalysisLabels = std::array<std::string, 10>;

class Host {
 public:
  virtual ~Host() = default;
  virtual MessageAnswer ShowMessage(const Message& message) = 0;
  // The status line of a run (the window's lblCurFile), shown at once.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetRunProgress(int value) = 0;       // 0 to 100
  virtual void SetAnalysisProgress(int value) = 0;  // 0 to 300
  virtual void SetAnalysisLabels(const AnalysisLabels& labels) = 0;
  // Lets pending user input (a Cancel click) be handled between records.
  virtual void PumpEvents() = 0;
  // The file the next messages are about, and the system's reason where
  // there is one. A window shows the exact texts alone; a command line, where
  // several files may pass, puts the file before a text that names none.
  virtual void SetMessageFile(const std::string& path, const std::string& reason = "") {
    (void)path;
    (void)reason;
  }
};

}  // namespace vantor
