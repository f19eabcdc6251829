// The DPI awareness a preview takes from its host; the DPI lookups themselves are base's.
#pragma once

#include <windows.h>

#include "base/dpi_lookup.h"

// While it lives, the windows this thread makes take the DPI awareness of `window` (a window of
// another process, such as a preview host), and so do the sizes and DPIs the thread reads; the
// thread's own awareness comes back when it ends. Does nothing where the system has no such calls
// or `window` is not a window.
class ThreadDpiAwarenessOf {
 public:
  explicit ThreadDpiAwarenessOf(HWND window);
  // The same with the awareness given directly.
  explicit ThreadDpiAwarenessOf(DPI_AWARENESS_CONTEXT context);
  ~ThreadDpiAwarenessOf();
  ThreadDpiAwarenessOf(const ThreadDpiAwarenessOf&) = delete;
  ThreadDpiAwarenessOf& operator=(const ThreadDpiAwarenessOf&) = delete;

  // True when the system has the calls and the window exists, but the thread could not take the
  // awareness: windows made now would not share the host's pixels.
  bool Refused() const { return refused_; }

 private:
  void Take(DPI_AWARENESS_CONTEXT context);

  DPI_AWARENESS_CONTEXT previous_ = nullptr;
  bool refused_ = false;
};

// Whether `window` has the DPI awareness and the DPI of `host`, as a preview must to draw in its
// host's pixels. True where the system has no per-window awareness to compare.
bool SharesDpiOf(HWND window, HWND host);
