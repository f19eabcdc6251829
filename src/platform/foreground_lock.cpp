#include "platform/foreground_lock.h"

#include <windows.h>

ForegroundLock::ForegroundLock() : locked_(::LockSetForegroundWindow(LSFW_LOCK) != FALSE) {}

ForegroundLock::~ForegroundLock() {
  if (locked_) ::LockSetForegroundWindow(LSFW_UNLOCK);
}
