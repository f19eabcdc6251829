// The DPI a window or a monitor is shown at, and the system's sizes at a given DPI: the one
// chain of lookups that the form layer, the system services and the saver window all ask. The
// per-window and per-monitor calls are newer than the oldest systems the saver runs on, so each
// is looked up at run time and falls back to the next: the window's own DPI, its monitor's, the
// system DPI, the screen's LOGPIXELSX, and 96.
#pragma once

#include <windows.h>

// The DPI of the system as this process sees it (96 where nothing better is known).
int SystemDpi();
// The DPI of the monitor, as the system scales it (the system DPI where no per-monitor call exists).
int MonitorDpi(HMONITOR monitor);
// The DPI the window is drawn at: under per-monitor awareness that of the monitor it is on, for a
// window of an unaware program 96.
int WindowDpi(HWND window);

// GetSystemMetrics at `dpi`; where the system cannot scale its metrics per DPI, at its own.
int SystemMetricForDpi(int index, int dpi);
// Widens a client rectangle to the window rectangle around it, with the frame drawn at `dpi`
// where the system can size frames per DPI, else at its own.
void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
