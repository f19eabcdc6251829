// The list of monitor rectangles the full-screen saver covers, one window per entry, in the
// system's enumeration order. Built at start-up, before the entry runs; the full-screen saver
// rebuilds it when the system reports that the displays changed.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TMonitor {
  RECT Rect{};
  std::string Name;  // always empty; kept for the record's shape
  // The monitor's DPI as the system scales it; 0 when not known, and a window on it asks its own.
  int Dpi = 0;
  // How often the monitor refreshes a second, as its display mode says; 0 or 1 when the mode
  // names none (the hardware's default rate).
  int RefreshHz = 0;
};

class TMonitors {
 public:
  // Enumerates with the named entry point of the named library, looked up at run time;
  // when either is missing, one rectangle: the screen's clip box. Tests name a missing
  // entry point to take that road.
  explicit TMonitors(const char* library = "USER32.DLL", const char* entryPoint = "EnumDisplayMonitors");

  // Reads the monitors again, from `Source` when one is set, else as the constructor did.
  void Rebuild();

  std::vector<std::unique_ptr<TMonitor>> List;
  // Where Rebuild reads the rectangles instead of the system: tests hand in changing lists.
  std::function<std::vector<RECT>()> Source;
  // With Source, where Rebuild reads each rectangle's DPI (none: not known).
  std::function<int(const RECT&)> DpiSource;
  // With Source, where Rebuild reads each rectangle's refresh rate (none: not known).
  std::function<int(const RECT&)> RefreshSource;

  // The refresh rate of the monitor at `rect`; 0 when no monitor of the list is there.
  int RefreshAt(const RECT& rect) const;

 private:
  void Enumerate();
  static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM self);

  std::string library_;
  std::string entryPoint_;
};

extern TMonitors Monitors;

// The DPI of the monitor that `point` (screen pixels) lies on: from `Monitors` where it knows
// it, else as the system scales the monitor nearest the point.
int MonitorDpiAt(POINT point);

// The refresh rate of the display mode the monitor runs in (dmDisplayFrequency); 0 when the
// system does not say.
int MonitorRefreshHz(HMONITOR monitor);

// The bounds of the whole desktop, every monitor included.
RECT VirtualScreenRect();
