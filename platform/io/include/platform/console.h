#pragma once
// What the command lines of the programs share: whether stderr is a terminal,
// and a one-line progress display that only shows on one.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/message.h"

namespace platform {

bool StderrIsTerminal();

// The words after the program's name, with the console made to behave as on
// Linux. On Windows the words come as UTF-8 from the wide command line (the C
// library's argv is in the ANSI code page, which cannot hold every file
// name), the console shows UTF-8, and standard output takes the bytes as
// written instead of turning every LF into CR LF.
std::vector<std::string> StartCommandLine(int argc, char** argv);
// Puts back the console's code page that StartCommandLine changed (Windows;
// at exit, and by the interrupt handler before it ends the program at once).
void RestoreConsole();

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
