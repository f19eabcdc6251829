// The handler is a plain function, as Xlib wants it, so the record is the one piece of
// process-wide state here; the program has a single thread and a single connection.
#include "x11/x_errors.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::size_t kKept = 64;

std::vector<XErrorRecord>& Recorded() {
  static std::vector<XErrorRecord> recorded;
  return recorded;
}

int Record(Display*, XErrorEvent* event) {
  auto& recorded = Recorded();
  if (recorded.size() < kKept) recorded.push_back({event->error_code, event->request_code, event->resourceid});
  return 0;
}

}  // namespace

void RecordXErrors() { XSetErrorHandler(&Record); }

std::vector<XErrorRecord> TakeXErrors() { return std::exchange(Recorded(), {}); }

bool SaysWindowIsGone(const std::vector<XErrorRecord>& errors, Window window) {
  for (const XErrorRecord& error : errors) {
    if ((error.code == BadWindow || error.code == BadDrawable) && error.resource == window) return true;
  }
  return false;
}

std::string Describe(Display* display, const XErrorRecord& error) {
  char text[256] = "";
  XGetErrorText(display, error.code, text, sizeof text);
  char where[64];
  std::snprintf(where, sizeof where, " (request %u, resource 0x%lx)", static_cast<unsigned>(error.request),
                static_cast<unsigned long>(error.resource));
  return std::string(text) + where;
}
