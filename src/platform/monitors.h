// The list of monitor rectangles the full-screen saver covers, one window per entry, in the
// system's enumeration order. Built once at start-up, before the entry runs, never rebuilt.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct TMonitor {
  RECT Rect{};
  std::string Name;  // always empty; kept for the record's shape
};

class TMonitors {
 public:
  // Enumerates with the named entry point of the named library, looked up at run time;
  // when either is missing, one rectangle: the screen's clip box. Tests name a missing
  // entry point to take that road.
  explicit TMonitors(const char* library = "USER32.DLL", const char* entryPoint = "EnumDisplayMonitors");

  std::vector<std::unique_ptr<TMonitor>> List;

 private:
  static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM self);
};

extern TMonitors Monitors;
