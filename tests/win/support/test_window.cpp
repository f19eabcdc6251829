#include "support/test_window.h"

namespace {

constexpr char kClassName[] = "LumivexTestWindow";

void RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
}

}  // namespace

TestWindow::TestWindow(int x, int y, int width, int height) {
  RegisterOnce();
  handle_ = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                              height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  // The first erase happens now, not in the middle of what the test looks at.
  ::UpdateWindow(handle_);
  MSG message;
  while (::PeekMessageA(&message, handle_, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
}

void TestWindow::Destroy() {
  if (handle_) ::DestroyWindow(handle_);
  handle_ = nullptr;
}
