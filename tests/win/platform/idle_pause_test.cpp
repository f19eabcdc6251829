// The idle loop's pause on Wine's real timers: it lasts at least its time when nothing comes,
// ends as soon as a message arrives, and takes the raised timer resolution when the system
// refuses the high-resolution timer, as Windows before 10 1803 does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <thread>

#include "platform/idle_pause.h"
#include "platform/precise_clock.h"

namespace {

// CreateWaitableTimerExW as an older system answers it: the high-resolution flag is error 87.
HANDLE RefuseHighResolution(DWORD flags) {
  if (flags & 0x2 /* CREATE_WAITABLE_TIMER_HIGH_RESOLUTION */) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return IdlePause::MakeWaitableTimer(flags);
}

double MillisecondsSince(std::int64_t start100ns) { return (PreciseTime100ns() - start100ns) / 10000.0; }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void DrainQueue() {
  MSG stale;
  while (::PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
  }
}

struct Case {
  const char* name;
  IdlePause::TimerMaker maker;
  IdlePause::Kind kind;
};
const Case kCases[] = {
    {"high-resolution timer", &IdlePause::MakeWaitableTimer, IdlePause::Kind::HighResolutionTimer},
    {"high-resolution timer refused", &RefuseHighResolution, IdlePause::Kind::TimerPeriod},
};

TEST(IdlePauseTest, LastsItsTimeWhenNothingArrives) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    IdlePause pause(c.maker);
    EXPECT_EQ(pause.WaitsWith(), c.kind);
    DrainQueue();
    double shortest = 1e9;
    for (int i = 0; i < 50; ++i) {
      const std::int64_t start = PreciseTime100ns();
      EXPECT_FALSE(pause.Wait(5));
      shortest = std::min(shortest, MillisecondsSince(start));
    }
    EXPECT_GE(shortest, 5.0);
  }
}

TEST(IdlePauseTest, EndsAsSoonAsAMessageArrives) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    IdlePause pause(c.maker);
    DrainQueue();
    // A message already waiting ends the pause before it starts.
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_USER, 0, 0);
    EXPECT_TRUE(pause.Wait(5));
    DrainQueue();
    // A message posted while the pause runs ends it: a pause of a minute is over long before.
    const DWORD thread = ::GetCurrentThreadId();
    const std::int64_t start = PreciseTime100ns();
    std::thread poster([thread] {
      ::Sleep(50);  // let the pause begin; the assertion below does not depend on this time
      ::PostThreadMessageA(thread, WM_USER, 0, 0);
    });
    EXPECT_TRUE(pause.Wait(60000));
    poster.join();
    EXPECT_LT(MillisecondsSince(start), 30000.0);
    DrainQueue();
    // A pause cut short leaves no stale timer behind: the next one lasts its full time.
    const std::int64_t again = PreciseTime100ns();
    EXPECT_FALSE(pause.Wait(5));
    EXPECT_GE(MillisecondsSince(again), 5.0);
  }
}

TEST(IdlePauseTest, RefusedTimerRaisesTheResolutionWithWinmmFromTheSystemFolder) {
  IdlePause pause(&RefuseHighResolution);
  ASSERT_EQ(pause.WaitsWith(), IdlePause::Kind::TimerPeriod);
  HMODULE winmm = ::GetModuleHandleA("winmm.dll");
  ASSERT_NE(winmm, nullptr);
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(winmm, path, sizeof path);
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(Lower(path), Lower(std::string(system) + "\\winmm.dll"));
}

}  // namespace
