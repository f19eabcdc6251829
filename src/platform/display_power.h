// The display's power state as the system reports it to a window that registered for it: a
// saver stops drawing while the monitor is off, so that it costs nothing but the system's own
// work. It never asks the system to keep the display on: the monitor's own power-off goes on.
#pragma once

#include <windows.h>

#include <optional>

#include "base/win_handles.h"

// The values of GUID_SESSION_DISPLAY_STATUS. "Dimmed" may come without an "off" after it.
enum class DisplayState { Off = 0, On = 1, Dimmed = 2 };

// The display state a WM_POWERBROADCAST message carries; nothing for every other broadcast.
std::optional<DisplayState> DisplayStateOf(WPARAM wParam, LPARAM lParam);

// Display-state notifications for one window, from registration until this object goes.
class DisplayStateWatch {
 public:
  explicit DisplayStateWatch(HWND window);

 private:
  UniquePowerNotify registration_;
};
