// The picture a window keeps: the rain draws its cells into a DibImage of the window's client
// size, which remembers which parts changed, and the window shows them with a few copies once
// a step (Present) instead of one GDI call per cell. Because the window keeps what it shows,
// it can also paint any part of itself again (Paint), when a window that covered it goes away.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/dirty_area.h"
#include "engine/surface.h"
#include "platform/dib_image.h"

class WindowPicture final : public Surface {
 public:
  // A black picture of the window's client size. It does not outlive the window.
  explicit WindowPicture(HWND window);
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  std::int32_t Width() const override { return picture_.Width(); }
  std::int32_t Height() const override { return picture_.Height(); }
  void SetFillColor(Color color) override { picture_.SetFillColor(color); }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override { return picture_.GetPixel(x, y); }
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // Copies what changed since the last call onto the window.
  void Present();
  // Paints `area` of the window, in client coordinates, from the picture onto `dc`.
  void Paint(HDC dc, const RECT& area) const;
  // Makes the whole picture black, whatever the fill colour; Present shows it.
  void Clear();

 private:
  HWND window_;
  DibImage picture_;
  DirtyArea changed_;
  std::vector<PixelRect> showing_;  // kept between calls, so presenting allocates nothing
};

// BeginPaint and EndPaint as one scope, for a window's WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { ::BeginPaint(window_, &paint_); }
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return paint_.hdc; }
  const RECT& Area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
};
