// The Wayland backend's main loop: the rain on every output, as an overlay that an idle daemon
// starts and ends, on the background layer as a live wallpaper (-background) that only a
// signal ends, or with -idle as a screen saver of its own that waits for the seat to go idle.
// Between steps it sleeps on the compositor's socket, on the signals and on the idle watch's
// own connection if it has one; it never blocks on the compositor: requests go out when the
// socket takes them, and events are read only when they are there.
#pragma once

#include "linux/ending_signals.h"
#include "linux/options.h"

// Runs the rain as `options` say. Returns the process exit code: 0 when a signal, or (over the
// windows, without -idle) input or the compositor's close request ended it. Throws Exception
// when there is no Wayland display, the compositor has neither a layer shell nor xdg-shell (or
// no layer shell for -background), -idle finds no idle source, or the compositor or the idle
// source's bus goes away.
int RunWayland(const LinuxOptions& options, const EndingSignals& signals);
