#pragma once
// What the command lines of the programs share: whether stderr is a terminal,
// and a one-line progress display that only shows on one.
#include <cstdio>
#include <string>

#include "platform/message.h"

namespace platform {

bool StderrIsTerminal();

// Standard output takes the bytes as written, as on Linux: on Windows it
// would otherwise turn every LF into CR LF (and CR LF into CR CR LF).
void UseBinaryStandardOutput();

// A core's message in batch mode, one line on `err`: errors as
// "program: text", other messages as the text alone (not when quiet), and a
// question answered Yes (No with stop_on_error) with the answer after it.
MessageAnswer ShowOnConsole(std::FILE* err, const char* program, const Message& message, bool quiet,
                            bool stop_on_error);

class ConsoleProgress {
 public:
  explicit ConsoleProgress(bool enabled) : enabled_(enabled) {}
  ~ConsoleProgress() { Finish(); }
  // Redraws "label  NN%" on stderr when the percentage changed.
  void Show(const std::string& label, int percent);
  void Finish();  // clears the progress line

 private:
  bool enabled_;
  bool shown_ = false;
  int last_percent_ = -1;
  std::string last_label_;
};

}  // namespace platform
