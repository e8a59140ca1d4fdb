#pragma once
// The only way the engine reaches the user: the window implements it with
// message boxes, the progress bar and the status bar; the command line with
// stderr; tests with a scripted host.
#include <cstddef>
#include <string>

#include "platform/message.h"
#include "platform/run_host.h"

namespace lomtra {

using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The program's default message title.
inline constexpr const char* kProgramTitle = "Lomtra";

// Status-bar panels of the main window (panel 1 never holds text).
enum class StatusPanel { kValidFiles = 2, kValidSize = 3, kRecords = 4, kStatusText = 5 };

// SetProgress runs from 0 to ProgressMaximum(); PumpEvents lets Stop be
// clicked. Stop itself is the run's flag in EngineState, confirmed with
// AskStop, so StopRequested is not used here.
class Host : public platform::RunHost {
 public:
  virtual int ProgressValue() const = 0;
  virtual int ProgressMaximum() const { return 100; }

  virtual void SetStatusPanel(StatusPanel panel, const std::string& text) = 0;
  // The status text is panel 5.
  void SetStatusText(const std::string& text) final {
    SetStatusPanel(StatusPanel::kStatusText, text);
  }
  // Clears panels 2 to 5.
  void ResetSB();

  // A run is about to analyse list row `row`, the k-th of the n rows due;
  // then that row's texts have changed. The window updates that row alone.
  virtual void RowStarted(std::size_t /*row*/, std::size_t /*k*/, std::size_t /*n*/) {}
  virtual void RowChanged(std::size_t /*row*/) {}

  // The list's results mark.
  virtual void SetResultsMark(bool /*on*/) {}

  // "Do you want to Stop the Analyser" with Yes and No; true on Yes.
  virtual bool AskStop();
};

}  // namespace lomtra
