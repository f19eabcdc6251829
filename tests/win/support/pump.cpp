#include "support/pump.h"

#include <windows.h>

#include "forms/application.h"

bool PumpUntil(TApplication& application, const std::function<bool()>& condition, unsigned timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (::GetTickCount64() > deadline) return false;
    MSG msg;
    if (!application.ProcessMessage(msg)) {
      bool done = true;
      if (application.OnIdle) application.OnIdle(&application, done);
      if (done) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  return true;
}
