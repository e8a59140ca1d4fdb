#include "platform/ui/display.h"

#include <cstdlib>
#include <string_view>

namespace platform::ui {
namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool HasDisplay() {
#if defined(__linux__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
  const bool x11 = IsSet("DISPLAY");
  const bool wayland = IsSet("WAYLAND_DISPLAY");
  if (IsSet("QT_QPA_PLATFORM")) {
    // "xcb" and "wayland" (with options after ":" or fallbacks after ";")
    // still need their server; any other platform draws without one.
    const std::string_view platform = std::getenv("QT_QPA_PLATFORM");
    if (platform.rfind("xcb", 0) == 0) return x11;
    if (platform.rfind("wayland", 0) == 0) return wayland;
    return true;
  }
  return x11 || wayland;
#else
  return true;
#endif
}

int ReportNoDisplay(const std::string& program, std::ostream& err) {
  err << program << ": no display is available; run a command instead (" << program << " --help)\n";
  err.flush();
  return 2;
}

}  // namespace platform::ui
