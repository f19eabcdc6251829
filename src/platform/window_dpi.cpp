// GetWindowDpiAwarenessContext and SetThreadDpiAwarenessContext come from Windows 10 1607 on.
#include "platform/window_dpi.h"

namespace {

template <typename Proc>
Proc User32Entry(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

using WindowContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
using SetThreadContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

ThreadDpiAwarenessOf::ThreadDpiAwarenessOf(HWND window) {
  static const auto windowContext = User32Entry<WindowContextProc>("GetWindowDpiAwarenessContext");
  if (!windowContext || !::IsWindow(window)) return;
  // No context for a window that exists: it went just now, or the system will not say.
  const DPI_AWARENESS_CONTEXT context = windowContext(window);
  if (!context) {
    refused_ = true;
    return;
  }
  Take(context);
}

ThreadDpiAwarenessOf::ThreadDpiAwarenessOf(DPI_AWARENESS_CONTEXT context) { Take(context); }

void ThreadDpiAwarenessOf::Take(DPI_AWARENESS_CONTEXT context) {
  static const auto setThreadContext = User32Entry<SetThreadContextProc>("SetThreadDpiAwarenessContext");
  if (!setThreadContext) return;
  previous_ = setThreadContext(context);  // null when the context was refused
  refused_ = previous_ == nullptr;
}

ThreadDpiAwarenessOf::~ThreadDpiAwarenessOf() {
  static const auto setThreadContext = User32Entry<SetThreadContextProc>("SetThreadDpiAwarenessContext");
  if (previous_ && setThreadContext) setThreadContext(previous_);
}

bool SharesDpiOf(HWND window, HWND host) {
  static const auto windowContext = User32Entry<WindowContextProc>("GetWindowDpiAwarenessContext");
  static const auto sameContexts =
      User32Entry<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>("AreDpiAwarenessContextsEqual");
  if (!windowContext || !sameContexts) return true;
  return sameContexts(windowContext(window), windowContext(host)) && WindowDpi(window) == WindowDpi(host);
}
