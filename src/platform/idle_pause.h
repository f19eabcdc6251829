// The idle loop's pause: until the next step is due (a few to a hundred milliseconds), cut short
// as soon as a message reaches the thread's queue. On Windows, Sleep and plain timers end on the
// system tick (15.6 ms by default); a high-resolution waitable timer (Windows 10 1803 and later)
// ends on time. Where the system refuses that timer, the pause raises the system's timer
// resolution to 1 ms (timeBeginPeriod, from winmm.dll in the system folder) for as long as it
// lives and waits on a plain timer.
#pragma once

#include <windows.h>

#include "base/win_handles.h"

class IdlePause {
 public:
  enum class Kind {
    HighResolutionTimer,  // the timer ends on time by itself
    TimerPeriod,          // a plain timer, with the system's resolution raised to 1 ms
    Tick,                 // no timer at all: the wait's own time-out, at the system's resolution
  };
  // Makes a waitable timer with CreateWaitableTimerExW's flags; null (and the last error set)
  // when the system refuses. Tests hand in one that refuses the high-resolution flag.
  using TimerMaker = HANDLE (*)(DWORD flags);
  static HANDLE MakeWaitableTimer(DWORD flags);

  explicit IdlePause(TimerMaker makeTimer = &IdlePause::MakeWaitableTimer);
  ~IdlePause();
  IdlePause(const IdlePause&) = delete;
  IdlePause& operator=(const IdlePause&) = delete;

  // Returns when `milliseconds` have passed, never sooner, or at once when a message (input,
  // posted, sent, timer or paint) is waiting for this thread; true when a message ended it.
  bool Wait(int milliseconds);
  Kind WaitsWith() const { return kind_; }

 private:
  bool WaitOnTimer(LONGLONG remaining100ns);
  void RaiseTimerResolution();

  UniqueKernelHandle timer_;
  UniqueLibrary winmm_;
  UINT(WINAPI* timeEndPeriod_)(UINT) = nullptr;
  Kind kind_ = Kind::Tick;
  // Set while the timer may still fire or stand signalled from a wait that something else
  // ended; a wait that the timer ended has taken its signal (it resets on a successful wait).
  bool timerPending_ = false;
};

// The pause of this process: made on first use, it lasts until the process ends.
IdlePause& ProcessIdlePause();
