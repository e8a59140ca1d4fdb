#pragma once
// What the command lines of the programs share: whether stderr is a terminal,
// and a one-line progress display that only shows on one.
#include <string>

namespace platform {

bool StderrIsTerminal();

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
