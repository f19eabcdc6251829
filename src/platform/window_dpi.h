// The DPI a window or a monitor is shown at, and the DPI awareness a preview takes from its host.
// The per-window and per-monitor calls are newer than the oldest systems the saver runs on, so
// each is looked up at run time and falls back to the next: the window's own DPI, its monitor's,
// the system DPI, and 96.
#pragma once

#include <windows.h>

// The DPI of the system as this process sees it (96 where nothing better is known).
int SystemDpi();
// The DPI of the monitor, as the system scales it (the system DPI where no per-monitor call exists).
int MonitorDpi(HMONITOR monitor);
// The DPI the window is drawn at: under per-monitor awareness that of the monitor it is on, for a
// window of an unaware program 96.
int WindowDpi(HWND window);

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
