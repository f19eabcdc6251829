// The picture a window keeps: the rain draws its cells into it, it remembers which parts
// changed, and the window shows them with a few copies once a step (Present) instead of one
// GDI call per cell. Because the window keeps what it shows, it can also paint any part of
// itself again (Paint), when a window that covered it goes away.
//
// A full-screen picture is megabytes, and a step that writes a couple of thousand scattered
// cells into it pays mostly for memory: between two steps the saver pauses, the caches forget
// the picture, and every cell row written must first be fetched. So the picture is kept as a
// grid of cells, each naming where its pixels are: a cell of a glyph sheet (the sheets are
// small and stay in the caches), a black cell, or the picture's own pixels. A grid cell drawn
// from a sheet only notes the sheet's cell; presenting composes the changed rows from the
// cells into a strip small enough to stay in the caches and copies the strip onto the window.
//
// A cell drawn with what it already shows (an eraser passing over empty cells, a glyph drawn
// again) is not marked, so the window is not sent pixels it already has.
//
// The grid is the size of the first whole cell drawn on a multiple of its own size (the rain
// draws nothing else). Anything that is not such a cell (another size, off the grid, from an
// image that is not a DibImage, a fill that is not black, a single pixel) is drawn into the
// picture's own pixels, after the cells it touches have taken their pixels there. A sheet that
// goes away hands its pixels to every cell still showing them first (DibImageWatcher).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/dirty_area.h"
#include "engine/surface.h"
#include "platform/dib_image.h"

class WindowPicture final : public Surface, private DibImageWatcher {
 public:
  // A black picture of the window's client size. It does not outlive the window.
  explicit WindowPicture(HWND window);
  ~WindowPicture() override;
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  std::int32_t Width() const override { return own_.Width(); }
  std::int32_t Height() const override { return own_.Height(); }
  void SetFillColor(Color color) override;
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // Something was drawn since the last present that the window does not show yet.
  bool HasChanges() const { return !changed_.Empty(); }
  // Copies what changed since the last call onto the window.
  void Present();
  // Paints `area` of the window, in client coordinates, from the picture onto `dc`.
  void Paint(HDC dc, const RECT& area);
  // Makes the whole picture black, whatever the fill colour; Present shows it.
  void Clear();

 private:
  // Where a cell's pixels are: `offset` pixels into the pixels of `source`, whose rows are
  // that source's stride apart.
  struct Cell {
    std::uint32_t offset;
    std::uint16_t source;
  };
  struct Source {
    const DibImage* image;  // null for the picture's own pixels, the black cell and free slots
    const std::uint32_t* pixels;
    std::int32_t stride;
  };
  static constexpr std::uint16_t kOwnPixels = 0;
  static constexpr std::uint16_t kBlackCell = 1;

  void Retiring(const DibImage& image) override;

  bool HasGrid() const { return cellWidth_ > 0; }
  // Whether (x, y, width, height) is one cell of the grid, adopting the grid from it when
  // there is none yet; the cell's index goes to `index`.
  bool GridCell(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::size_t& index);
  // The slot of `image` among the sources, watching it from now on; kOwnPixels when full.
  std::uint16_t SourceOf(const DibImage& image);
  // Gives every cell that meets the rectangle its pixels in the picture's own pixels.
  void OwnCells(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void OwnCell(std::size_t index);
  // Composes `area` (inside the picture) from the cells and copies it onto `dc`.
  void Show(HDC dc, const PixelRect& area);
  // Where in the strip a piece of width x height (at most the strip's size) is composed.
  POINT PlaceInStrip(std::int32_t width, std::int32_t height);

  HWND window_;
  DibImage own_;    // the picture's own pixels: everything drawn off the grid
  DibImage strip_;  // a few rows, composed from the cells, on their way to the window
  std::int32_t stripX_ = 0;  // where the next piece goes in the strip's current shelf
  std::int32_t stripY_ = 0;
  std::int32_t shelfHeight_ = 0;
  DirtyArea changed_;
  std::vector<PixelRect> showing_;  // kept between calls, so presenting allocates nothing
  bool fillIsBlack_ = true;

  std::int32_t cellWidth_ = 0;
  std::int32_t cellHeight_ = 0;
  std::int32_t columns_ = 0;
  std::vector<Cell> cells_;
  std::vector<std::uint32_t> blackCell_;
  std::vector<Source> sources_;
  const DibImage* lastImage_ = nullptr;  // the latest source and its slot, since draws come in runs
  std::uint16_t lastSource_ = kOwnPixels;
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
