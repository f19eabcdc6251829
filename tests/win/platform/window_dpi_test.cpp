// A window's DPI and the awareness a preview borrows from its host, against Wine's real windows:
// the DPI calls agree with the screen's DPI, and while the scope lives the thread (and so every
// window it makes) has the host's awareness, whatever its own, which comes back when the scope
// ends; an awareness the system refuses is told, and a window of another awareness than its
// host's is told apart. (Within one process a child takes its parent's awareness anyway; what the
// scope is for, a host of another process, cannot be made here.) The system's sizes at a DPI are
// those of that DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/win_handles.h"
#include "platform/window_dpi.h"

namespace {

HWND MakeWindow(HWND parent) {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TestDpiWindow";
    return ::RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
  return ::CreateWindowExA(0, "TestDpiWindow", "", parent ? WS_CHILD : WS_POPUP, 0, 0, 100, 80, parent, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
}

TEST(WindowDpi, AgreesWithTheScreen) {
  const int screen = ::GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX);
  HWND window = MakeWindow(nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SystemDpi(), screen);
  EXPECT_EQ(WindowDpi(window), screen);
  EXPECT_EQ(MonitorDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)), screen);
  ::DestroyWindow(window);
}

DPI_AWARENESS AwarenessOf(DPI_AWARENESS_CONTEXT context) { return ::GetAwarenessFromDpiAwarenessContext(context); }

// The host's awareness for each awareness the thread may have of its own. (Wine 8 refuses the
// per-monitor V2 context for a thread, so per-monitor here is the first version.)
TEST(ThreadDpiAwarenessOf, TheThreadTakesTheHostsAwarenessForTheScope) {
  const DPI_AWARENESS_CONTEXT contexts[] = {DPI_AWARENESS_CONTEXT_UNAWARE, DPI_AWARENESS_CONTEXT_SYSTEM_AWARE,
                                            DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE};
  for (const DPI_AWARENESS_CONTEXT hostContext : contexts) {
    for (const DPI_AWARENESS_CONTEXT ownContext : contexts) {
      SCOPED_TRACE(testing::Message() << "host " << reinterpret_cast<INT_PTR>(hostContext) << ", own "
                                      << reinterpret_cast<INT_PTR>(ownContext));
      // The host is made in its awareness, as another program would make it.
      const DPI_AWARENESS_CONTEXT original = ::SetThreadDpiAwarenessContext(hostContext);
      ASSERT_NE(original, nullptr);
      HWND host = MakeWindow(nullptr);
      ASSERT_NE(::SetThreadDpiAwarenessContext(ownContext), nullptr);
      {
        ThreadDpiAwarenessOf borrowed(host);
        EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), AwarenessOf(hostContext));
      }
      EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), AwarenessOf(ownContext))
          << "the thread's own awareness is back";
      ::DestroyWindow(host);
      ::SetThreadDpiAwarenessContext(original);
    }
  }
}

TEST(ThreadDpiAwarenessOf, ANonWindowChangesNothing) {
  const DPI_AWARENESS_CONTEXT before = ::GetThreadDpiAwarenessContext();
  {
    ThreadDpiAwarenessOf none(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ffe)));
    EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), AwarenessOf(before));
  }
  EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), AwarenessOf(before));
}

// Wine 8 refuses the per-monitor V2 context for a thread: the scope says so and leaves the
// thread's own awareness as it was.
TEST(ThreadDpiAwarenessOf, AnAwarenessTheSystemRefusesIsTold) {
  const DPI_AWARENESS before = AwarenessOf(::GetThreadDpiAwarenessContext());
  const DPI_AWARENESS_CONTEXT refused = DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2;
  {
    const DPI_AWARENESS_CONTEXT previous = ::SetThreadDpiAwarenessContext(refused);
    if (previous) ::SetThreadDpiAwarenessContext(previous);
    ASSERT_EQ(previous, nullptr) << "this system takes per-monitor V2: nothing refused to test with";
    ThreadDpiAwarenessOf scope(refused);
    EXPECT_TRUE(scope.Refused());
    EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), before);
  }
  {
    ThreadDpiAwarenessOf scope(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    EXPECT_FALSE(scope.Refused());
  }
  EXPECT_EQ(AwarenessOf(::GetThreadDpiAwarenessContext()), before);
}

// A window made in another awareness than its host's does not share the host's pixels.
TEST(SharesDpiOf, TellsAWindowOfAnotherAwarenessFromTheHosts) {
  const DPI_AWARENESS_CONTEXT contexts[] = {DPI_AWARENESS_CONTEXT_UNAWARE, DPI_AWARENESS_CONTEXT_SYSTEM_AWARE,
                                            DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE};
  const DPI_AWARENESS_CONTEXT original = ::GetThreadDpiAwarenessContext();
  for (const DPI_AWARENESS_CONTEXT hostContext : contexts) {
    for (const DPI_AWARENESS_CONTEXT windowContext : contexts) {
      SCOPED_TRACE(testing::Message() << "host " << reinterpret_cast<INT_PTR>(hostContext) << ", window "
                                      << reinterpret_cast<INT_PTR>(windowContext));
      ASSERT_NE(::SetThreadDpiAwarenessContext(hostContext), nullptr);
      HWND host = MakeWindow(nullptr);
      ASSERT_NE(::SetThreadDpiAwarenessContext(windowContext), nullptr);
      HWND window = MakeWindow(nullptr);
      EXPECT_EQ(SharesDpiOf(window, host), hostContext == windowContext);
      ::DestroyWindow(window);
      ::DestroyWindow(host);
    }
  }
  ::SetThreadDpiAwarenessContext(original);
}

// The system's metrics at a DPI are those of that DPI, not of the system's own: a dialog laid out
// at 200 % measures its edges at 200 %.
TEST(SystemMetricForDpi, GivesTheMetricAtTheDpiAsked) {
  for (const int dpi : {96, 120, 144, 192, 288}) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(SystemMetricForDpi(SM_CXEDGE, dpi), ::GetSystemMetricsForDpi(SM_CXEDGE, dpi));
    EXPECT_EQ(SystemMetricForDpi(SM_CYCAPTION, dpi), ::GetSystemMetricsForDpi(SM_CYCAPTION, dpi));
  }
  EXPECT_GT(SystemMetricForDpi(SM_CYCAPTION, 288), SystemMetricForDpi(SM_CYCAPTION, 96));
}

}  // namespace
