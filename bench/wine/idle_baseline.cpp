// idle_baseline.exe: the yardstick of the whole-saver benchmark, a window that only waits. One
// black, borderless, topmost window over the primary monitor with no cursor, and a loop that takes
// every queued message and, when the queue is empty, pauses 5 ms with the saver's own idle pause
// and looks again. That was the saver's loop with the rain taken away until the saver learnt to
// sleep until its next step; the yardstick stays as it was, so that figures of different builds
// and of different times compare. It runs until it is closed.
#include <windows.h>

#include "platform/idle_pause.h"

namespace {

const char kClassName[] = "LumivexIdleBaseline";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;  // as the saver window's class
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassA(&windowClass)) return 1;

  // Destroyed by the system when the process ends, like every window the process still has.
  HWND window = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "Lumivex idle baseline",
                                  WS_POPUP | WS_VISIBLE, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                                  ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance,
                                  nullptr);
  if (!window) return 1;

  MSG message{};
  for (;;) {
    if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    } else {
      ProcessIdlePause().Wait(5);
    }
  }
  return static_cast<int>(message.wParam);
}
