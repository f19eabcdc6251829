// Which of the two backends a command line runs: X11 or Wayland. An option that names one wins;
// without one, a Wayland session without X (no DISPLAY) gets the overlay, and everything else
// X11, so a bare `lumivex` in a desktop with XWayland still opens its window for trying it out.
#pragma once

#include "linux/options.h"

enum class Backend { kX11, kWayland };

// The variables that decide, each null when not set.
struct DisplayEnvironment {
  const char* display;         // DISPLAY
  const char* waylandDisplay;  // WAYLAND_DISPLAY
  const char* waylandSocket;   // WAYLAND_SOCKET
};

Backend ChooseBackend(const LinuxOptions& options, const DisplayEnvironment& environment);

// The process's own environment.
DisplayEnvironment ProcessDisplayEnvironment();
