// The Wayland backend's main loop: the rain on every output of a layer-shell compositor, as an
// overlay that an idle daemon starts and ends, or on the background layer as a live wallpaper
// (-background) that only a signal ends. Between steps it sleeps on the compositor's
// socket and on the signals; it never blocks on the compositor: requests go out when the
// socket takes them, and events are read only when they are there.
#pragma once

#include "linux/ending_signals.h"
#include "linux/options.h"

// Runs the rain as `options` say. Returns the process exit code: 0 when a signal or (over the
// windows) input ended it. Throws Exception when there is no Wayland display, the compositor has no layer
// shell, or the compositor goes away.
int RunWayland(const LinuxOptions& options, const EndingSignals& signals);
