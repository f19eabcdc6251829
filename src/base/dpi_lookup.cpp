// GetDpiForWindow, GetDpiForSystem, GetSystemMetricsForDpi and AdjustWindowRectExForDpi come from
// Windows 10 1607 on; GetDpiForMonitor (shcore.dll) from Windows 8.1. shcore is loaded from the
// system folder only.
#include "base/dpi_lookup.h"

#include "base/win_handles.h"

namespace {

template <typename Proc>
Proc User32Entry(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

constexpr int kMonitorEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

int SystemDpi() {
  static const auto getDpi = User32Entry<UINT(WINAPI*)()>("GetDpiForSystem");
  int dpi = getDpi ? static_cast<int>(getDpi()) : 0;
  if (dpi <= 0) dpi = ::GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

int MonitorDpi(HMONITOR monitor) {
  using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  UniqueLibrary shcore(::LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (shcore && monitor) {
    const auto getDpi = reinterpret_cast<GetDpiForMonitorProc>(
        reinterpret_cast<void*>(::GetProcAddress(shcore.Get(), "GetDpiForMonitor")));
    UINT x = 0, y = 0;
    if (getDpi && SUCCEEDED(getDpi(monitor, kMonitorEffectiveDpi, &x, &y)) && x > 0) return static_cast<int>(x);
  }
  return SystemDpi();
}

int WindowDpi(HWND window) {
  static const auto getDpi = User32Entry<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpi) {
    const int dpi = static_cast<int>(getDpi(window));
    if (dpi > 0) return dpi;
  }
  return MonitorDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto forDpi = User32Entry<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return forDpi && dpi > 0 ? forDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}

void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi = User32Entry<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (forDpi && dpi > 0) {
    forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
}
