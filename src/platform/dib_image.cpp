// GDI may batch its calls: after it has drawn into the bitmap, GdiFlush comes before the
// memory is read. Copies clip exactly as GDI clips a copy between two bitmaps.
#include "platform/dib_image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/clip_copy.h"
#include "base/exception.h"
#include "platform/pixel_block.h"

DibImage::DibImage(std::int32_t width, std::int32_t height) {
  width = std::max(0, width);
  height = std::max(0, height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = std::max(1, width);
  info.bmiHeader.biHeight = -std::max(1, height);  // negative: rows top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  memoryDc_.Reset(::CreateCompatibleDC(nullptr));
  if (!bitmap_ || !bits || !memoryDc_) throw Exception("Out of system resources");
  pixels_ = static_cast<std::uint32_t*>(bits);  // a new section is all zeros: black
  previousBitmap_ = ::SelectObject(memoryDc_.Get(), bitmap_.Get());
  Attach(memoryDc_.Get(), width, height);
}

DibImage::~DibImage() {
  // The pixels live until the bitmap goes, after this body: watchers may still read them.
  const std::vector<DibImageWatcher*> watchers = std::move(watchers_);
  for (DibImageWatcher* watcher : watchers) watcher->Retiring(*this);
  // The bitmap must leave its DC before either is deleted.
  if (previousBitmap_) ::SelectObject(memoryDc_.Get(), previousBitmap_);
}

void DibImage::FillRect(std::int32_t x, std::int32_t y, std::int32_t fillWidth, std::int32_t fillHeight) {
  const std::int32_t left = std::max(0, x);
  const std::int32_t top = std::max(0, y);
  const std::int32_t right = std::min(Width(), x + fillWidth);
  const std::int32_t bottom = std::min(Height(), y + fillHeight);
  for (std::int32_t row = top; row < bottom; ++row)
    std::fill(Row(row) + left, Row(row) + std::max(left, right), fillPixel_);
}

void DibImage::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t copyWidth,
                        std::int32_t copyHeight, std::int32_t x, std::int32_t y) {
  // Every image this side makes is a GdiSurface, as GdiSurface::CopyFrom relies on too.
  const DibImage* dibSource = static_cast<const GdiSurface&>(source).InMemory();
  if (!dibSource) {
    GdiSurface::CopyFrom(source, sourceX, sourceY, copyWidth, copyHeight, x, y);
    ::GdiFlush();
    return;
  }
  ClipCopy(source.Width(), source.Height(), Width(), Height(), sourceX, sourceY, copyWidth, copyHeight, x, y);
  if (copyWidth <= 0 || copyHeight <= 0) return;
  if (dibSource != this) {
    CopyPixelBlock(Row(y) + x, Width(), dibSource->Row(sourceY) + sourceX, dibSource->Width(), copyWidth,
                   copyHeight);
    return;
  }
  // Within one picture the rows may overlap; a copy that moves down starts from the bottom.
  const std::size_t rowBytes = static_cast<std::size_t>(copyWidth) * sizeof(std::uint32_t);
  const bool bottomUp = y > sourceY;
  for (std::int32_t i = 0; i < copyHeight; ++i) {
    const std::int32_t row = bottomUp ? copyHeight - 1 - i : i;
    std::memmove(Row(y + row) + x, dibSource->Row(sourceY + row) + sourceX, rowBytes);
  }
}

void DibImage::Clear() {
  std::fill(pixels_, pixels_ + static_cast<std::size_t>(Width()) * Height(), std::uint32_t{0});
}

void DibImage::Unwatch(DibImageWatcher* watcher) const {
  watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

Color DibImage::GetPixel(std::int32_t x, std::int32_t y) const {
  return Contains(x, y) ? ToColor(Row(y)[x]) : CLR_INVALID;
}

void DibImage::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  if (Contains(x, y)) Row(y)[x] = ToPixel(color);
}

std::unique_ptr<Image> DibImageFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  return std::make_unique<DibImage>(width, height);
}
