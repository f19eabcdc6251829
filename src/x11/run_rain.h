// The X11 program's main loop: the rain in the target window until a signal ends it or the
// window goes away. Between steps it sleeps on the X connection and on the signals, so it
// uses no CPU while it waits and answers either at once.
#pragma once

#include <X11/Xlib.h>

#include "x11/options.h"

// SIGTERM and SIGINT, blocked and turned into a descriptor that becomes readable when one
// arrives. Made before anything else, so that neither can arrive unnoticed.
class EndingSignals {
 public:
  EndingSignals();  // throws Exception when the system refuses
  ~EndingSignals();
  EndingSignals(const EndingSignals&) = delete;
  EndingSignals& operator=(const EndingSignals&) = delete;

  int Descriptor() const { return descriptor; }

 private:
  int descriptor;
};

// Runs the rain as `options` say, on `display`. Returns the process exit code: 0 when a signal
// ended it or its window was destroyed or closed. Throws Exception when it cannot start, or
// when the X server refuses a request that is not about the window having gone.
int RunRain(Display* display, const X11Options& options, const EndingSignals& signals);
