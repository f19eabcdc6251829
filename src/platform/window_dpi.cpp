// GetWindowDpiAwarenessContext and SetThreadDpiAwarenessContext come from Windows 10 1607 on.
#include "platform/window_dpi.h"

namespace {

template <typename Proc>
Proc User32Entry(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

ThreadDpiAwarenessOf::ThreadDpiAwarenessOf(HWND window) {
  static const auto windowContext =
      User32Entry<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
  static const auto setThreadContext =
      User32Entry<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>("SetThreadDpiAwarenessContext");
  if (!windowContext || !setThreadContext || !::IsWindow(window)) return;
  const DPI_AWARENESS_CONTEXT context = windowContext(window);
  if (context) previous_ = setThreadContext(context);  // null when the context was refused
}

ThreadDpiAwarenessOf::~ThreadDpiAwarenessOf() {
  static const auto setThreadContext =
      User32Entry<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>("SetThreadDpiAwarenessContext");
  if (previous_ && setThreadContext) setThreadContext(previous_);
}
