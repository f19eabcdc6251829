// How often the monitor under a window refreshes, from the RandR extension: the mode of the
// CRTC that shows the window's centre. The rain presents no more often than that.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

// Refreshes a second; 0 when the server does not say (no RandR, no CRTC there, a mode
// without timings), which the caller takes as the usual 60.
std::int32_t OutputRefreshHz(Display* display, Window window);

// The refresh rate of a mode's timings, to the nearest whole number; 0 for empty timings.
std::int32_t RefreshOfTimings(unsigned long dotClock, unsigned int hTotal, unsigned int vTotal);
