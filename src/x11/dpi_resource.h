// The scale an X desktop asks of its programs: the Xft.dpi resource that desktops put into the
// server's resource database (RESOURCE_MANAGER) when the user chooses a scale; 96 without it.
#pragma once

#include <X11/Xlib.h>

// The Xft.dpi value of a resource database text ("Xft.dpi:\t144\n..."), or 0 when it holds none
// or a value that is not a positive number. Pure text, so it is tested without a server.
double XftDpiOf(const char* resources);

// The display's Xft.dpi, or 96 when it has none.
double ServerDpi(Display* display);
