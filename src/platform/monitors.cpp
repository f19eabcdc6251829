#include "platform/monitors.h"

#include "base/win_handles.h"
#include "platform/window_dpi.h"

namespace {
using EnumDisplayMonitorsProc = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
}

TMonitors::TMonitors(const char* library, const char* entryPoint) : library_(library), entryPoint_(entryPoint) {
  Enumerate();
}

void TMonitors::Rebuild() {
  List.clear();
  if (!Source) {
    Enumerate();
    return;
  }
  for (const RECT& rect : Source()) {
    auto monitor = std::make_unique<TMonitor>();
    monitor->Rect = rect;
    if (DpiSource) monitor->Dpi = DpiSource(rect);
    if (RefreshSource) monitor->RefreshHz = RefreshSource(rect);
    List.push_back(std::move(monitor));
  }
}

void TMonitors::Enumerate() {
  EnumDisplayMonitorsProc enumerate = nullptr;
  {
    // The process imports USER32 itself, so the address outlives this handle.
    UniqueLibrary user32(::LoadLibraryA(library_.c_str()));
    if (user32) {
      enumerate = reinterpret_cast<EnumDisplayMonitorsProc>(
          reinterpret_cast<void*>(::GetProcAddress(user32.Get(), entryPoint_.c_str())));
    }
  }
  if (enumerate) {
    enumerate(nullptr, nullptr, &TMonitors::AddMonitor, reinterpret_cast<LPARAM>(this));
    return;
  }
  WindowDc screen(nullptr);
  auto whole = std::make_unique<TMonitor>();
  ::GetClipBox(screen.Get(), &whole->Rect);
  List.push_back(std::move(whole));
}

BOOL CALLBACK TMonitors::AddMonitor(HMONITOR handle, HDC, LPRECT rect, LPARAM self) {
  auto monitor = std::make_unique<TMonitor>();
  monitor->Rect = *rect;
  monitor->Dpi = MonitorDpi(handle);
  monitor->RefreshHz = MonitorRefreshHz(handle);
  reinterpret_cast<TMonitors*>(self)->List.push_back(std::move(monitor));
  return TRUE;
}

int TMonitors::RefreshAt(const RECT& rect) const {
  for (const auto& monitor : List) {
    if (::EqualRect(&monitor->Rect, &rect)) return monitor->RefreshHz;
  }
  return 0;
}

int MonitorRefreshHz(HMONITOR monitor) {
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(monitor, &info)) return 0;
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!::EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) return 0;
  return static_cast<int>(mode.dmDisplayFrequency);
}

// Built by the start-up code before the entry runs, freed by the exit code after it returns.
TMonitors Monitors;

RECT VirtualScreenRect() {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

int MonitorDpiAt(POINT point) {
  for (const auto& monitor : Monitors.List) {
    if (monitor->Dpi > 0 && ::PtInRect(&monitor->Rect, point)) return monitor->Dpi;
  }
  return MonitorDpi(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}
