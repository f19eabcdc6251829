// Keeps other programs from taking the foreground while the full-screen saver has it. Long after
// the user's last input the system lets any background program take the foreground (an update
// prompt, a chat window, a "build finished" box), and the saver ends when it loses it: without a
// lock the desktop would then stay shown, unlocked, until the display sleeps. The system lifts
// the lock by itself when the user presses Alt or clicks.
#pragma once

class ForegroundLock {
 public:
  // Locks; the caller's program must have the foreground, or the system refuses.
  ForegroundLock();
  // Unlocks, when the lock was taken.
  ~ForegroundLock();
  ForegroundLock(const ForegroundLock&) = delete;
  ForegroundLock& operator=(const ForegroundLock&) = delete;

  bool Locked() const { return locked_; }

 private:
  bool locked_ = false;
};
