#pragma once
// What the extraction run needs from its surroundings: the window, the
// command line or a test.
#include <filesystem>
#include <string>

#include "platform/message.h"

namespace pardel {

using Icon = platform::MessageIcon;
using Buttons = platform::MessageButtons;
using Answer = platform::MessageAnswer;
using platform::Message;

class Host {
 public:
  virtual ~Host() = default;
  virtual Answer ShowMessage(const Message& message) = 0;
  // Panel 1: files done out of files selected; panel 2: the file being read.
  virtual void SetStatus(const std::string& files_panel, const std::string& file_panel) = 0;
  virtual void SetProgress(int value) = 0;  // 0..100
  // Shows the finished sample in the system's text viewer.
  virtual void OpenInTextViewer(const std::filesystem::path& path) = 0;
  // The file about to be read, as the run was given it: the command line
  // names it in messages whose text has no file of its own.
  virtual void SetFile(const std::filesystem::path&) {}
  // Asked after every block: true ends the run there, keeping the lines
  // written so far (Ctrl-C in batch). Windows take no input during a run,
  // so they never stop; they use the call to keep drawing.
  virtual bool StopRequested() { return false; }
};

}  // namespace pardel
