// Move-only owners of the X resources the program makes: the display connection, pixmaps,
// graphics contexts and its own window. Each frees its resource exactly once.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <utility>

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A server-side resource of `display`, freed with Free(display, id).
template <typename Id, int (*Free)(Display*, Id)>
class XResource {
 public:
  XResource() = default;
  XResource(Display* display, Id id) : display(display), id(id) {}
  ~XResource() { Reset(); }
  XResource(XResource&& other) noexcept
      : display(other.display), id(std::exchange(other.id, Id{})) {}
  XResource& operator=(XResource&& other) noexcept {
    if (this != &other) {
      Reset();
      display = other.display;
      id = std::exchange(other.id, Id{});
    }
    return *this;
  }
  XResource(const XResource&) = delete;
  XResource& operator=(const XResource&) = delete;

  Id Get() const { return id; }
  explicit operator bool() const { return id != Id{}; }
  void Reset() {
    if (id != Id{}) Free(display, std::exchange(id, Id{}));
  }

 private:
  Display* display = nullptr;
  Id id{};
};

using PixmapHandle = XResource<Pixmap, XFreePixmap>;
using GcHandle = XResource<GC, XFreeGC>;
using WindowHandle = XResource<Window, XDestroyWindow>;
