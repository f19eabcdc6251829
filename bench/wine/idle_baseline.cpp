// idle_baseline.exe: what lumivex.scr /s costs with the rain taken away. One black, borderless,
// topmost window over the primary monitor with no cursor, and the saver's loop: take every queued
// message, and when the queue is empty pause 5 ms with the saver's own idle pause and look again.
// It runs until it is closed.
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
