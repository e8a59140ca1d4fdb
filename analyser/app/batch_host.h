#pragma once
// The host of a batch run: messages on stderr, one line each; questions
// answered Yes (No with --stop-on-error); a progress line only on a terminal.
#include <ostream>
#include <string>

#include "engine/engine_state.h"
#include "engine/host.h"
#include "platform/console.h"

namespace lomtra {

class BatchHost : public Host {
 public:
  BatchHost(std::ostream& err, bool quiet, bool stop_on_error, bool show_progress)
      : err_(err),
        quiet_(quiet),
        stop_on_error_(stop_on_error),
        progress_(show_progress && !quiet) {}

  MessageAnswer ShowMessage(const Message& message) override;
  int ProgressValue() const override { return progress_value_; }
  void SetProgress(int value) override;
  void SetStatusPanel(StatusPanel panel, const std::string& text) override;
  // Ctrl-C is Stop answered Yes: the run ends after the file being read.
  void PumpEvents() override;
  bool AskStop() override;
  void WatchInterrupt(EngineState* state) { state_ = state; }

  // Prints an error line whatever --quiet says.
  void Error(const std::string& text);
  void Note(const std::string& text);  // silenced by --quiet
  int ErrorCount() const { return errors_; }

 private:
  void Line(const std::string& text);

  std::ostream& err_;
  bool quiet_;
  bool stop_on_error_;
  platform::ConsoleProgress progress_;
  int progress_value_ = 0;
  std::string status_;
  int errors_ = 0;
  EngineState* state_ = nullptr;
};

// The message text on one line: its line breaks become single blanks.
std::string OneLine(const std::string& text);

}  // namespace lomtra
