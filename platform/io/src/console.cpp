#include "platform/console.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#define SUITE_ISATTY _isatty
#define SUITE_FILENO _fileno
#else
#include <unistd.h>
#define SUITE_ISATTY isatty
#define SUITE_FILENO fileno
#endif
#if defined(_WIN32)
#include <shellapi.h>  // after windows.h, which it needs
#endif

namespace platform {

#if defined(_WIN32)
namespace {
std::atomic<unsigned> g_console_page{0};  // the page to put back, 0 for none
}  // namespace
#endif

void RestoreConsole() {
#if defined(_WIN32)
  const unsigned page = g_console_page.exchange(0);
  if (page != 0) SetConsoleOutputCP(page);
#endif
}

bool StderrIsTerminal() {
  return SUITE_ISATTY(SUITE_FILENO(stderr)) != 0;
}

std::vector<std::string> StartCommandLine(int argc, char** argv) {
#if defined(_WIN32)
  (void)argc;
  (void)argv;
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
  // The console's code page outlives the program: it is put back at exit,
  // and by the interrupt handler when a second Ctrl-C ends it at once.
  const UINT page = GetConsoleOutputCP();
  if (page != 0 && page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    g_console_page.store(page);
    std::atexit(RestoreConsole);
  }
  std::vector<std::string> words;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    const int length = static_cast<int>(std::wcslen(wide[i]));
    std::string word(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide[i], length,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], length, word.data(), static_cast<int>(word.size()),
                        nullptr, nullptr);
    words.push_back(std::move(word));
  }
  LocalFree(wide);
  return words;
#else
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
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
