// A plain top-level window of the test process: visible, borderless, on top, black, with a DC
// of its own, as the saver window is. It stands in for the system's preview host and for a
// surface to draw on, and for a window that covers another for a while.
#pragma once

#include <windows.h>

class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height);
  ~TestWindow() { Destroy(); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return handle_; }
  void Destroy();

 private:
  HWND handle_ = nullptr;
};
