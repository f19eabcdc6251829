// The operating system's screen-saver services: the password dialogs (looked up at run time,
// absent means "no password") and the system's screen-saver-running flag. Nothing here shows
// a message of its own or throws.
#pragma once

#include <windows.h>

void ChangeSaverPassword(HWND parent);
// True when the saver may close: no password set, no provider, or the provider said yes.
bool VerifySaverPassword(HWND window);
void SaverRunningOn();
void SaverRunningOff();
