// A plain host window has no border, so its window rectangle and its client area are the
// same; a framed one has a border and a sunken edge around a smaller client area.
#include "host_windows.h"

namespace {
const wchar_t kClassName[] = L"LvHostWindow";
const wchar_t kFragile[] = L"LvFragileHost";  // window property of a fragile host
}

HostWindows::HostWindows() : instance(GetModuleHandleW(nullptr)) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
}

HostWindows::~HostWindows() {
  windows.clear();  // the class can only go once no window of it is left
  UnregisterClassW(kClassName, instance);
}

HWND HostWindows::Create(int width, int height, int x, int y, bool fragile, bool framed) {
  HWND window = CreateWindowExW(framed ? WS_EX_CLIENTEDGE : 0, kClassName, L"Lumivex test host",
                                WS_POPUP | WS_VISIBLE | (framed ? WS_BORDER : 0), x, y, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (window != nullptr) windows.emplace(window, UniqueWindow(window));
  if (window != nullptr && fragile) SetPropW(window, kFragile, reinterpret_cast<HANDLE>(1));
  return window;
}

bool HostWindows::Destroy(HWND window) { return windows.erase(window) > 0; }

bool HostWindows::Resize(HWND window, int width, int height) {
  if (windows.count(window) == 0) return false;
  return SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

long HostWindows::Heard(HWND window) const {
  if (windows.count(window) == 0) return -1;
  return static_cast<long>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK HostWindows::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  static const UINT initMessage = RegisterWindowMessageW(L"LumivexInit");
  if (message == initMessage) {
    SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return 0;
  }
  // Sent from inside the child's CreateWindowEx, before it returns to the preview.
  if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_CREATE && GetPropW(window, kFragile)) {
    RemovePropW(window, kFragile);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_NCDESTROY) RemovePropW(window, kFragile);
  return DefWindowProcW(window, message, wParam, lParam);
}
