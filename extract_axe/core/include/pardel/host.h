#pragma once
// What the extraction run needs from its surroundings: the window, the
// command line or a test.
#include <filesystem>
#include <string>

#include "platform/message.h"
#include "platform/run_host.h"

namespace pardel {

using Icon = platform::MessageIcon;
using Buttons = platform::MessageButtons;
using Answer = platform::MessageAnswer;
using platform::Message;

// SetProgress runs from 0 to 100; SetMessageFile gets the file about to be
// read, as the run was given it. StopRequested is asked after every block;
// windows take no input during a run, so they never stop, and use the call
// to keep drawing. The status line is the two panels of SetStatus.
class Host : public platform::RunHost {
 public:
  // Panel 1: files done out of files selected; panel 2: the file being read.
  virtual void SetStatus(const std::string& files_panel, const std::string& file_panel) = 0;
  // Shows the finished sample in the system's text viewer.
  virtual void OpenInTextViewer(const std::filesystem::path& path) = 0;
};

}  // namespace pardel
