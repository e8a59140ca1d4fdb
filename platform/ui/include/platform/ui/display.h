#pragma once
// Whether a window can be opened at all. Qt aborts the program when it
// cannot reach a display ("could not connect to display"), so every program
// asks first and, without one, says so and points to its commands.
#include <ostream>
#include <string>

namespace platform::ui {

// True when DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a
// platform that needs neither (offscreen, vnc, eglfs, ...). Always true
// where the desktop is not X11 or Wayland.
bool HasDisplay();

// Prints "<program>: no display is available; run a command instead
// (<program> --help)" and returns the exit status for it, 2.
int ReportNoDisplay(const std::string& program, std::ostream& err);

}  // namespace platform::ui
