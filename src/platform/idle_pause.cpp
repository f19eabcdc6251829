#include "platform/idle_pause.h"

#include "platform/precise_clock.h"

namespace {

// Windows 10 1803 and later; older headers do not name it.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

constexpr LONGLONG k100nsPerMs = 10'000;
// A timer that has not ended its wait this long after it was due is not trusted: the wait gives
// up and the pause looks at the clock again.
constexpr DWORD kTimerGraceMs = 50;

}  // namespace

HANDLE IdlePause::MakeWaitableTimer(DWORD flags) {
  return ::CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_MODIFY_STATE | SYNCHRONIZE);
}

IdlePause::IdlePause(TimerMaker makeTimer) {
  timer_.Reset(makeTimer(CREATE_WAITABLE_TIMER_HIGH_RESOLUTION));
  if (timer_) {
    kind_ = Kind::HighResolutionTimer;
    return;
  }
  // Older systems refuse the flag (error 87). Raise the resolution instead; every refusal takes
  // this road, since a plain timer with the resolution raised is what is left to do.
  RaiseTimerResolution();
  timer_.Reset(makeTimer(0));
  kind_ = timer_ && timeEndPeriod_ ? Kind::TimerPeriod : Kind::Tick;
}

IdlePause::~IdlePause() {
  if (timeEndPeriod_) timeEndPeriod_(1);
}

void IdlePause::RaiseTimerResolution() {
  // winmm.dll is not one of the system's known DLLs: load it from the system folder only, at
  // run time, so that no copy beside the program can stand in for it.
  UniqueLibrary winmm(::LoadLibraryExA("winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!winmm) return;
  using TimePeriodProc = UINT(WINAPI*)(UINT);
  const auto begin = reinterpret_cast<TimePeriodProc>(
      reinterpret_cast<void*>(::GetProcAddress(winmm.Get(), "timeBeginPeriod")));
  const auto end = reinterpret_cast<TimePeriodProc>(
      reinterpret_cast<void*>(::GetProcAddress(winmm.Get(), "timeEndPeriod")));
  if (!begin || !end || begin(1) != 0 /* TIMERR_NOERROR */) return;
  winmm_ = std::move(winmm);
  timeEndPeriod_ = end;
}

bool IdlePause::Wait(int milliseconds) {
  const LONGLONG deadline = PreciseTime100ns() + milliseconds * k100nsPerMs;
  // Timers may end a little early (Wine's do, by up to a few ms): wait again for what is left.
  for (;;) {
    const LONGLONG remaining = deadline - PreciseTime100ns();
    if (remaining <= 0) return false;
    if (WaitOnTimer(remaining)) return true;
  }
}

bool IdlePause::WaitOnTimer(LONGLONG remaining100ns) {
  const DWORD remainingMs = static_cast<DWORD>((remaining100ns + k100nsPerMs - 1) / k100nsPerMs);
  HANDLE timer = timer_.Get();
  DWORD count = 0;
  DWORD timeoutMs = remainingMs;
  if (timer) {
    // A wait cut short by a message leaves the timer to fire later, and a fired timer stays
    // signalled (Wine keeps that even across SetWaitableTimer): clear it before arming again.
    // After a wait the timer ended there is nothing to clear, and the two calls are skipped:
    // each is a round trip to the system, and that is most passes.
    if (timerPending_) {
      ::CancelWaitableTimer(timer);
      ::WaitForSingleObject(timer, 0);
      timerPending_ = false;
    }
    LARGE_INTEGER due{};
    due.QuadPart = -remaining100ns;  // negative: relative to now
    if (::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      count = 1;
      timeoutMs = remainingMs + kTimerGraceMs;
      timerPending_ = true;
    }
  }
  const DWORD result =
      ::MsgWaitForMultipleObjectsEx(count, count ? &timer : nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (count && result == WAIT_OBJECT_0) timerPending_ = false;
  if (result == WAIT_OBJECT_0 + count) return true;
  if (result == WAIT_FAILED) ::Sleep(remainingMs);  // never spin
  return false;
}

IdlePause& ProcessIdlePause() {
  static IdlePause pause;
  return pause;
}
