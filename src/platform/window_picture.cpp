// Every drawing call marks its rectangle; Present composes the marked rectangles from the
// cells, a strip of rows at a time, and copies each strip onto the window's DC. The window
// class keeps one DC per window (CS_OWNDC), so getting it is cheap.
#include "platform/window_picture.h"

#include <algorithm>

#include "base/win_handles.h"
#include "platform/pixel_block.h"

namespace {

// A strip this size stays in the caches while it is composed and copied out.
constexpr std::int32_t kStripBytes = 256 * 1024;
constexpr std::int32_t kFewestStripRows = 8;
// A cell's rows in the strip lie a row's length apart; with rows of a multiple of 4 KiB they
// would all fall on the same few cache sets and push each other out. A little padding spreads them.
constexpr std::int32_t kStripPadding = 16;

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

std::int32_t StripRows(SIZE size) {
  const std::int32_t rows = kStripBytes / std::max<std::int32_t>(1, size.cx * 4);
  return std::min(std::max(rows, kFewestStripRows), std::max<std::int32_t>(1, size.cy));
}

}  // namespace

WindowPicture::WindowPicture(HWND window)
    : window_(window),
      own_(ClientSize(window).cx, ClientSize(window).cy),
      strip_(own_.Width() + kStripPadding, StripRows(ClientSize(window))),
      changed_(own_.Width(), own_.Height()) {
  sources_.push_back({nullptr, own_.Row(0), own_.Width()});  // kOwnPixels
  sources_.push_back({nullptr, nullptr, 0});                 // kBlackCell, once the grid is known
}

WindowPicture::~WindowPicture() {
  for (const Source& source : sources_) {
    if (source.image) source.image->Unwatch(this);
  }
}

void WindowPicture::SetFillColor(Color color) {
  own_.SetFillColor(color);
  fillIsBlack_ = DibImage::ToPixel(color) == 0;
}

void WindowPicture::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  std::size_t index = 0;
  if (fillIsBlack_ && GridCell(x, y, width, height, index)) {
    if (cells_[index].source == kBlackCell) return;  // already so, on the window too once shown
    cells_[index] = {0, kBlackCell};
  } else {
    OwnCells(x, y, width, height);
    own_.FillRect(x, y, width, height);
  }
  changed_.Add(x, y, width, height);
}

void WindowPicture::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                             std::int32_t height, std::int32_t x, std::int32_t y) {
  // Every image this side makes is a GdiSurface, as DibImage::CopyFrom relies on too.
  const DibImage* sheet = static_cast<const GdiSurface&>(source).InMemory();
  std::size_t index = 0;
  if (sheet && sourceX >= 0 && sourceY >= 0 && sourceX + width <= sheet->Width() &&
      sourceY + height <= sheet->Height() && GridCell(x, y, width, height, index)) {
    const std::uint16_t slot = SourceOf(*sheet);
    if (slot != kOwnPixels) {
      const Cell drawn{static_cast<std::uint32_t>(sourceY * sheet->Width() + sourceX), slot};
      if (cells_[index].offset == drawn.offset && cells_[index].source == drawn.source) return;
      cells_[index] = drawn;
      changed_.Add(x, y, width, height);
      return;
    }
  }
  OwnCells(x, y, width, height);
  own_.CopyFrom(source, sourceX, sourceY, width, height, x, y);
  changed_.Add(x, y, width, height);
}

Color WindowPicture::GetPixel(std::int32_t x, std::int32_t y) const {
  if (!HasGrid() || x < 0 || y < 0 || x >= Width() || y >= Height()) return own_.GetPixel(x, y);
  const std::int32_t column = x / cellWidth_;
  const std::int32_t row = y / cellHeight_;
  const Cell cell = cells_[static_cast<std::size_t>(row) * columns_ + column];
  const Source& source = sources_[cell.source];
  return DibImage::ToColor(source.pixels[cell.offset + (y - row * cellHeight_) * source.stride +
                                         (x - column * cellWidth_)]);
}

void WindowPicture::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  OwnCells(x, y, 1, 1);
  own_.SetPixel(x, y, color);
  changed_.Add(x, y, 1, 1);
}

void WindowPicture::Present() {
  if (changed_.Empty()) return;
  changed_.Take(showing_);
  WindowDc window(window_);
  for (const PixelRect& area : showing_) Show(window.Get(), area);
  // The next drawing writes the pixels these copies read (the picture's own, the strip's):
  // GDI must have done them by then, not hold them back in its batch.
  ::GdiFlush();
}

void WindowPicture::Paint(HDC dc, const RECT& area) {
  const PixelRect inside{std::max<std::int32_t>(0, area.left), std::max<std::int32_t>(0, area.top),
                         std::min<std::int32_t>(Width(), area.right), std::min<std::int32_t>(Height(), area.bottom)};
  if (inside.left < inside.right && inside.top < inside.bottom) Show(dc, inside);
  ::GdiFlush();  // as after presenting
}

void WindowPicture::Clear() {
  if (HasGrid())
    std::fill(cells_.begin(), cells_.end(), Cell{0, kBlackCell});
  else
    own_.Clear();
  changed_.AddAll();
}

void WindowPicture::Retiring(const DibImage& image) {
  if (lastImage_ == &image) lastImage_ = nullptr;
  for (std::size_t slot = kBlackCell + 1; slot < sources_.size(); ++slot) {
    if (sources_[slot].image != &image) continue;
    for (std::size_t index = 0; index < cells_.size(); ++index) {
      if (cells_[index].source == slot) OwnCell(index);
    }
    sources_[slot] = {nullptr, nullptr, 0};
    return;
  }
}

bool WindowPicture::GridCell(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                             std::size_t& index) {
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= Width() || y >= Height()) return false;
  if (HasGrid()) {
    if (width != cellWidth_ || height != cellHeight_) return false;
    const std::int32_t column = x / width;
    const std::int32_t row = y / height;
    if (column * width != x || row * height != y) return false;
    index = static_cast<std::size_t>(row) * columns_ + column;
    return true;
  }
  if (x % width != 0 || y % height != 0) return false;
  // Until now every pixel was the picture's own: so is every cell of the new grid.
  cellWidth_ = width;
  cellHeight_ = height;
  columns_ = (Width() + width - 1) / width;
  const std::int32_t rows = (Height() + height - 1) / height;
  cells_.resize(static_cast<std::size_t>(columns_) * rows);
  for (std::int32_t row = 0; row < rows; ++row)
    for (std::int32_t column = 0; column < columns_; ++column)
      cells_[static_cast<std::size_t>(row) * columns_ + column] = {
          static_cast<std::uint32_t>(row * height * Width() + column * width), kOwnPixels};
  blackCell_.assign(static_cast<std::size_t>(width) * height, 0);
  sources_[kBlackCell] = {nullptr, blackCell_.data(), width};
  index = static_cast<std::size_t>(y / height) * columns_ + x / width;
  return true;
}

std::uint16_t WindowPicture::SourceOf(const DibImage& image) {
  if (&image == lastImage_) return lastSource_;
  std::size_t slot = kBlackCell + 1;
  while (slot < sources_.size() && sources_[slot].image != &image) ++slot;
  if (slot == sources_.size()) {
    slot = kBlackCell + 1;
    while (slot < sources_.size() && sources_[slot].image) ++slot;
    if (slot == sources_.size()) {
      if (sources_.size() > UINT16_MAX) return kOwnPixels;
      sources_.push_back({});
    }
    sources_[slot] = {&image, image.Row(0), image.Width()};
    image.Watch(this);
  }
  lastImage_ = &image;
  lastSource_ = static_cast<std::uint16_t>(slot);
  return lastSource_;
}

void WindowPicture::OwnCells(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (!HasGrid()) return;
  const std::int32_t left = std::max(0, x);
  const std::int32_t top = std::max(0, y);
  const std::int32_t right = std::min(Width(), x + width);
  const std::int32_t bottom = std::min(Height(), y + height);
  if (left >= right || top >= bottom) return;
  for (std::int32_t row = top / cellHeight_; row <= (bottom - 1) / cellHeight_; ++row)
    for (std::int32_t column = left / cellWidth_; column <= (right - 1) / cellWidth_; ++column)
      OwnCell(static_cast<std::size_t>(row) * columns_ + column);
}

void WindowPicture::OwnCell(std::size_t index) {
  const Cell cell = cells_[index];
  if (cell.source == kOwnPixels) return;
  const std::int32_t x = static_cast<std::int32_t>(index % columns_) * cellWidth_;
  const std::int32_t y = static_cast<std::int32_t>(index / columns_) * cellHeight_;
  const std::int32_t width = std::min(cellWidth_, Width() - x);
  const std::int32_t height = std::min(cellHeight_, Height() - y);
  const Source& source = sources_[cell.source];
  CopyPixelBlock(own_.Row(y) + x, Width(), source.pixels + cell.offset, source.stride, width, height);
  cells_[index] = {static_cast<std::uint32_t>(y * Width() + x), kOwnPixels};
}

void WindowPicture::Show(HDC dc, const PixelRect& area) {
  if (!HasGrid()) {
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, own_.Dc(), area.left,
             area.top, SRCCOPY);
    return;
  }
  const std::int32_t width = area.right - area.left;
  const Source* sources = sources_.data();
  const std::int32_t outStride = strip_.Width();
  for (std::int32_t top = area.top; top < area.bottom;) {
    const std::int32_t bottom = std::min(area.bottom, top + strip_.Height());
    const POINT at = PlaceInStrip(width, bottom - top);
    // Cell by cell, each cell's rows of this piece in one go.
    for (std::int32_t y = top; y < bottom;) {
      const std::int32_t row = y / cellHeight_;
      const std::int32_t rows = std::min(bottom, (row + 1) * cellHeight_) - y;
      const std::int32_t rowInCell = y - row * cellHeight_;
      const Cell* cells = &cells_[static_cast<std::size_t>(row) * columns_];
      std::uint32_t* out = strip_.Row(at.y + y - top) + at.x;
      std::int32_t column = area.left / cellWidth_;
      for (std::int32_t x = area.left; x < area.right; ++column) {
        const std::int32_t cellLeft = column * cellWidth_;
        const std::int32_t right = std::min(area.right, cellLeft + cellWidth_);
        const Cell cell = cells[column];
        const Source& source = sources[cell.source];
        CopyPixelBlock(out + (x - area.left), outStride,
                       source.pixels + cell.offset + rowInCell * source.stride + (x - cellLeft), source.stride,
                       right - x, rows);
        x = right;
      }
      y += rows;
    }
    ::BitBlt(dc, area.left, top, width, bottom - top, strip_.Dc(), at.x, at.y, SRCCOPY);
    top = bottom;
  }
}

// Pieces are laid in the strip left to right in shelves, the shelves top to bottom, so that the
// many small pieces of a quiet step share a few lines of the strip. GDI may hold a copy back in
// a batch: before the strip is filled again from the top, everything copied so far is flushed.
POINT WindowPicture::PlaceInStrip(std::int32_t width, std::int32_t height) {
  if (stripX_ + width > strip_.Width()) {
    stripY_ += shelfHeight_;
    stripX_ = 0;
    shelfHeight_ = 0;
  }
  if (stripY_ + height > strip_.Height()) {
    ::GdiFlush();
    stripX_ = stripY_ = shelfHeight_ = 0;
  }
  const POINT at{stripX_, stripY_};
  stripX_ += width;
  shelfHeight_ = std::max(shelfHeight_, height);
  return at;
}
