// The baseline of the X11 host's benchmark: an X client that connects and then only waits on
// its connection, as lumivex waits between steps, drawing nothing. Ends on SIGTERM.
#include <X11/Xlib.h>
#include <poll.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fputs("idle_client: cannot open the X display\n", stderr);
    return 1;
  }
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
    poll(&connection, 1, -1);
  }
}
