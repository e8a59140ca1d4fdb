// pardel's command line alone, for builds without the window (Windows).
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif
#if defined(_WIN32)
#include <shellapi.h>  // after windows.h, which it needs
#endif

#include "command_line.h"
#include "platform/console.h"
#include "platform/open_file.h"

namespace {

// --open hands the sample to the program the desktop opens text files with.
bool OpenWithDesktop(const std::string& path) {
#if defined(_WIN32)
  const std::wstring file = platform::PathOf(path).native();
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
#else
  (void)path;
  return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  return pardel::RunCommandLine(platform::StartCommandLine(argc, argv), OpenWithDesktop);
}
