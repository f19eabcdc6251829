// The surface of the window the rain draws into. Fills and glyph copies become X requests on
// the window, queued by Xlib and flushed once a step; nothing of the picture is kept here:
// the window holds it, as a GDI window does on Windows.
#pragma once

#include "engine/surface.h"
#include "x11/pixel_format.h"
#include "x11/x_handles.h"

class WindowSurface final : public Surface {
 public:
  WindowSurface(const WindowFormat& format, std::int32_t width, std::int32_t height);

  // The window's new size (after a ConfigureNotify).
  void Resize(std::int32_t newWidth, std::int32_t newHeight);
  // Paints a rectangle black, as the system erases a window's exposed part.
  void Erase(std::int32_t x, std::int32_t y, std::int32_t eraseWidth, std::int32_t eraseHeight);

  std::int32_t Width() const override { return width; }
  std::int32_t Height() const override { return height; }
  void SetFillColor(Color color) override { fillColor = color; }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t fillWidth, std::int32_t fillHeight) override;
  // A ServerSheet source is one server-side copy; any other image is sent pixel by pixel.
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t copyWidth,
                std::int32_t copyHeight, std::int32_t x, std::int32_t y) override;
  // Reads the pixel back from the server (slow; the rain never does this).
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

 private:
  void Paint(Color color, std::int32_t x, std::int32_t y, std::int32_t paintWidth, std::int32_t paintHeight);
  void UseForeground(Color color);

  const WindowFormat& format;
  std::int32_t width;
  std::int32_t height;
  Color fillColor = 0;
  GcHandle gc;
  Color foreground = 0;
};
