#pragma once
// The host of the command line: messages one line each on the error stream,
// questions answered from a flag (or from the terminal when asked to), and a
// progress line only when the error stream is a terminal.
#include <iosfwd>
#include <string>

#include "ostrel/host.h"
#include "platform/console.h"
#include "platform/interrupt.h"

namespace ostrel {

struct ConsoleOptions {
  bool quiet = false;
  bool stop_on_error = false;  // questions answered No instead of Yes
  bool ask_terminal = false;   // questions read from `in` as y/n
  bool progress = false;
};

class ConsoleHost : public Host {
 public:
  ConsoleHost(const ConsoleOptions& options, std::ostream& err, std::istream& in)
      : options_(options), err_(err), in_(in), progress_(options.progress && !options.quiet) {}

  MessageAnswer ShowMessage(const Message& message) override;
  void SetProgress(int percent) override;
  void SetStatusText(const std::string& text) override { label_ = text; }
  void SetBusy(bool) override {}
  void PumpEvents() override {}
  // Ctrl-C is the batch user's Stop answered Yes.
  bool StopRequested() override { return platform::InterruptRequested(); }

  bool SawError() const { return saw_error_; }

 private:
  ConsoleOptions options_;
  std::ostream& err_;
  std::istream& in_;
  platform::ConsoleProgress progress_;
  std::string label_;
  bool saw_error_ = false;
};

}  // namespace ostrel
