#pragma once
// What the extraction run needs from its surroundings: the window, the
// command line or a test.
#include <filesystem>
#include <string>

namespace pardel {

enum class Icon { kNone, kInformation, kQuestion, kWarning, kError };
enum class Buttons { kOk, kYesNo };
enum class Answer { kOk, kYes, kNo };

struct Message {
  std::string text;
  std::string title;  // empty: the program's own name
  Icon icon = Icon::kNone;
  Buttons buttons = Buttons::kOk;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual Answer ShowMessage(const Message& message) = 0;
  // Panel 1: files done out of files selected; panel 2: the file being read.
  virtual void SetStatus(const std::string& files_panel, const std::string& file_panel) = 0;
  virtual void SetProgress(int value) = 0;  // 0..100
  // Shows the finished sample in the system's text viewer.
  virtual void OpenInTextViewer(const std::filesystem::path& path) = 0;
};

}  // namespace pardel
