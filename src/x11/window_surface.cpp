// The GC keeps the foreground it was last given, so fills of one colour (all the erasers'
// black) send no extra request; graphics exposures are off, or every glyph copied would come
// back as a NoExpose event.
#include "x11/window_surface.h"

#include <X11/Xutil.h>

#include "engine/memory_image.h"
#include "x11/server_sheets.h"

WindowSurface::WindowSurface(const WindowFormat& format, std::int32_t width, std::int32_t height)
    : format(format), width(width), height(height) {
  XGCValues values{};
  values.graphics_exposures = False;
  values.foreground = format.pixels.ToPixel(foreground);
  gc = GcHandle(format.display,
                XCreateGC(format.display, format.window, GCGraphicsExposures | GCForeground, &values));
}

void WindowSurface::Resize(std::int32_t newWidth, std::int32_t newHeight) {
  width = newWidth;
  height = newHeight;
}

void WindowSurface::Erase(std::int32_t x, std::int32_t y, std::int32_t eraseWidth, std::int32_t eraseHeight) {
  Paint(0, x, y, eraseWidth, eraseHeight);
}

void WindowSurface::FillRect(std::int32_t x, std::int32_t y, std::int32_t fillWidth, std::int32_t fillHeight) {
  Paint(fillColor, x, y, fillWidth, fillHeight);
}

void WindowSurface::Paint(Color color, std::int32_t x, std::int32_t y, std::int32_t paintWidth,
                          std::int32_t paintHeight) {
  if (paintWidth <= 0 || paintHeight <= 0) return;
  UseForeground(color);
  XFillRectangle(format.display, format.window, gc.Get(), x, y, paintWidth, paintHeight);
}

void WindowSurface::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                             std::int32_t copyWidth, std::int32_t copyHeight, std::int32_t x, std::int32_t y) {
  if (copyWidth <= 0 || copyHeight <= 0) return;
  if (const auto* sheet = dynamic_cast<const ServerSheet*>(&source)) {
    XCopyArea(format.display, sheet->OnServer(), format.window, gc.Get(), sourceX, sourceY, copyWidth, copyHeight,
              x, y);
    return;
  }
  for (std::int32_t row = 0; row < copyHeight; ++row)
    for (std::int32_t column = 0; column < copyWidth; ++column)
      SetPixel(x + column, y + row, source.GetPixel(sourceX + column, sourceY + row));
}

Color WindowSurface::GetPixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return kInvalidColor;
  XImage* image = XGetImage(format.display, format.window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return kInvalidColor;
  const Color color = format.pixels.ToColor(XGetPixel(image, 0, 0));
  XDestroyImage(image);
  return color;
}

void WindowSurface::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  UseForeground(color);
  XDrawPoint(format.display, format.window, gc.Get(), x, y);
}

void WindowSurface::UseForeground(Color color) {
  if (color == foreground) return;
  foreground = color;
  XSetForeground(format.display, gc.Get(), format.pixels.ToPixel(color));
}
