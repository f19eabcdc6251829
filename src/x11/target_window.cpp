// Listening starts before the window's attributes are read, so a window that goes away in
// between shows up either as a failed read here or as a DestroyNotify later; never as silence.
#include "x11/target_window.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <string>

#include "base/exception.h"
#include "x11/x_errors.h"

namespace {

std::string WindowName(Window window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window));
  return text;
}

}  // namespace

TargetWindow::TargetWindow(Display* display, const LinuxOptions& options) {
  Window window = DefaultRootWindow(display);
  if (options.target == DrawTarget::kOwnWindow)
    window = CreateOwnWindow(display);
  else if (options.window != 0)
    window = options.window;

  TakeXErrors();
  XSelectInput(display, window, ExposureMask | StructureNotifyMask);
  XWindowAttributes attributes;
  const bool found = XGetWindowAttributes(display, window, &attributes) != 0;
  if (!found || SaysWindowIsGone(TakeXErrors(), window))
    throw Exception("there is no window " + WindowName(window) + " to draw into");
  if (attributes.c_class == InputOnly)
    throw Exception("window " + WindowName(window) + " is input-only; nothing can be drawn in it");
  format.emplace(WindowFormat{display, window, attributes.visual, attributes.depth, PixelFormat(*attributes.visual, attributes.depth)});
  width = attributes.width;
  height = attributes.height;
}

Window TargetWindow::CreateOwnWindow(Display* display) {
  const int screen = DefaultScreen(display);
  own = WindowHandle(display, XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kOwnWidth, kOwnHeight,
                                                  0, BlackPixel(display, screen), BlackPixel(display, screen)));
  XStoreName(display, own.Get(), "Lumivex");
  char name[] = "lumivex";
  char className[] = "Lumivex";
  XClassHint hint{name, className};
  XSetClassHint(display, own.Get(), &hint);
  deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, own.Get(), &deleteWindow, 1);
  XMapWindow(display, own.Get());
  return own.Get();
}

bool TargetWindow::IsCloseRequest(const XEvent& event) const {
  return own && event.type == ClientMessage && event.xclient.window == own.Get() &&
         event.xclient.format == 32 && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow;
}
