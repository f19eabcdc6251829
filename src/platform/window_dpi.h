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
  ~ThreadDpiAwarenessOf();
  ThreadDpiAwarenessOf(const ThreadDpiAwarenessOf&) = delete;
  ThreadDpiAwarenessOf& operator=(const ThreadDpiAwarenessOf&) = delete;

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};
