// Host windows of the helper: visible top-level windows that stand in for the preview pane of
// the system's screen-saver settings, borderless or framed (a border around a smaller client
// area). Each counts the "LumivexInit" messages
// it receives, so a test can see a second preview's broadcast arrive. A fragile host destroys
// itself as soon as a child window has been created in it, while the preview process is still
// inside its window creation.
#pragma once

#include "base/win_handles.h"

#include <map>

class HostWindows {
 public:
  HostWindows();
  ~HostWindows();
  HostWindows(const HostWindows&) = delete;
  HostWindows& operator=(const HostWindows&) = delete;

  HWND Create(int width, int height, int x, int y, bool fragile = false, bool framed = false);
  // Changes a host's window size; false when it is not ours.
  bool Resize(HWND window, int width, int height);
  bool Destroy(HWND window);
  // Number of "LumivexInit" messages the window has received; -1 when it is not ours.
  long Heard(HWND window) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance;
  std::map<HWND, UniqueWindow> windows;
};
