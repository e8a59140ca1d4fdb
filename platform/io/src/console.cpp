#include "platform/console.h"

#include <cstdio>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#define SUITE_ISATTY _isatty
#define SUITE_FILENO _fileno
#else
#include <unistd.h>
#define SUITE_ISATTY isatty
#define SUITE_FILENO fileno
#endif

namespace platform {

bool StderrIsTerminal() {
  return SUITE_ISATTY(SUITE_FILENO(stderr)) != 0;
}

void UseBinaryStandardOutput() {
#if defined(_WIN32)
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

MessageAnswer ShowOnConsole(std::FILE* err, const char* program, const Message& message, bool quiet,
                            bool stop_on_error) {
  if (message.buttons == MessageButtons::kYesNo) {
    const MessageAnswer answer = stop_on_error ? MessageAnswer::kNo : MessageAnswer::kYes;
    std::fprintf(err, "%s: %s %s\n", program, message.text.c_str(),
                 answer == MessageAnswer::kYes ? "Yes" : "No");
    std::fflush(err);
    return answer;
  }
  if (message.icon == MessageIcon::kError) {
    std::fprintf(err, "%s: %s\n", program, message.text.c_str());
  } else if (!quiet) {
    std::fprintf(err, "%s\n", message.text.c_str());
  }
  std::fflush(err);
  return MessageAnswer::kOk;
}

void ConsoleProgress::Show(const std::string& label, int percent) {
  if (!enabled_) return;
  if (percent == last_percent_ && label == last_label_) return;
  last_percent_ = percent;
  last_label_ = label;
  std::fprintf(stderr, "\r\033[K%s  %3d%%", label.c_str(), percent);
  std::fflush(stderr);
  shown_ = true;
}

void ConsoleProgress::Finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
  last_percent_ = -1;
}

}  // namespace platform
