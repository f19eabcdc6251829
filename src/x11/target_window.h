// The window the rain draws into: the one the options name (the daemon's, a preview's, the
// root window) or, with no option, a window of the program's own. The program only draws into
// it and listens to it: it never grabs input or changes another program's window.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>

#include "linux/options.h"
#include "x11/pixel_format.h"
#include "x11/x_handles.h"

class TargetWindow {
 public:
  // Finds or makes the window and starts listening to its exposures, size changes and
  // destruction. Throws Exception when a named window does not exist or cannot be drawn into.
  TargetWindow(Display* display, const LinuxOptions& options);

  Window Id() const { return format->window; }
  const WindowFormat& Format() const { return *format; }
  std::int32_t Width() const { return width; }
  std::int32_t Height() const { return height; }
  // The window manager asks to close the program's own window.
  bool IsCloseRequest(const XEvent& event) const;

  static constexpr unsigned kOwnWidth = 800;
  static constexpr unsigned kOwnHeight = 600;

 private:
  Window CreateOwnWindow(Display* display);

  WindowHandle own;
  Atom deleteWindow = None;
  std::optional<WindowFormat> format;
  std::int32_t width = 0;
  std::int32_t height = 0;
};
