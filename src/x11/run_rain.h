// The X11 backend's main loop: the rain in the target window until a signal ends it or the
// window goes away. Between steps it sleeps on the X connection and on the signals, so it
// uses no CPU while it waits and answers either at once.
#pragma once

#include <X11/Xlib.h>

#include "linux/ending_signals.h"
#include "linux/options.h"

// Runs the rain as `options` say, on `display`. Returns the process exit code: 0 when a signal
// ended it or its window was destroyed or closed. Throws Exception when it cannot start, or
// when the X server refuses a request that is not about the window having gone.
int RunRain(Display* display, const LinuxOptions& options, const EndingSignals& signals);
