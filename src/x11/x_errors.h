// Xlib reports protocol errors through one process-wide handler whose default prints and ends
// the program. A window that another program owns can vanish at any moment, with our drawing
// requests for it still on the way, so the program records errors instead and decides itself.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

struct XErrorRecord {
  unsigned char code;     // BadWindow, BadDrawable, BadAlloc ...
  unsigned char request;  // the major opcode of the failed request
  XID resource;           // the resource the request named
};

// Installs the recording handler (once per process; later calls do nothing).
void RecordXErrors();

// The errors recorded since the last call, oldest first (at most a few dozen are kept).
std::vector<XErrorRecord> TakeXErrors();

// Whether one of `errors` says that `window` no longer exists.
bool SaysWindowIsGone(const std::vector<XErrorRecord>& errors, Window window);

// One line about the first error, for a message to the user.
std::string Describe(Display* display, const XErrorRecord& error);
