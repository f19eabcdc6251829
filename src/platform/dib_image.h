// A picture whose pixels this process can reach: a 32-bit top-down device-independent bitmap
// with a memory DC of its own. Copies between such pictures, fills and single pixels are
// plain memory work with no GDI call, which is what makes stamping thousands of glyph cells
// a step cheap; GDI still reads and writes it through its DC (copies onto a window, copies
// from images of other kinds).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi_surface.h"
#include "base/win_handles.h"

class DibImage;

// Told when a DibImage it watches is about to go, while its pixels can still be read: whoever
// refers to those pixels instead of copying them takes its copy then.
class DibImageWatcher {
 public:
  virtual void Retiring(const DibImage& image) = 0;

 protected:
  ~DibImageWatcher() = default;
};

class DibImage final : public GdiSurface {
 public:
  // A black picture; throws Exception when the system has no room for it.
  DibImage(std::int32_t width, std::int32_t height);
  ~DibImage() override;
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  void SetFillColor(Color color) override { fillPixel_ = ToPixel(color); }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;
  const DibImage* InMemory() const override { return this; }
  // Makes every pixel black; the fill colour stays as it is.
  void Clear();

  // The pixels, row after row, Width() to a row. GDI may still be drawing into them: GdiFlush first
  // when a GDI call drew there.
  std::uint32_t* Row(std::int32_t y) const { return pixels_ + static_cast<std::size_t>(y) * Width(); }
  // The bitmap keeps red in the third byte (0x00RRGGBB); a Color keeps it in the first.
  static std::uint32_t ToPixel(Color color) {
    return (color & 0x0000FF00) | (color & 0xFF) << 16 | (color >> 16 & 0xFF);
  }
  static Color ToColor(std::uint32_t pixel) { return ToPixel(pixel); }

  // `watcher` is told before this image goes, unless it stops watching first.
  void Watch(DibImageWatcher* watcher) const { watchers_.push_back(watcher); }
  void Unwatch(DibImageWatcher* watcher) const;

 private:
  bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  UniqueMemoryDc memoryDc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  std::uint32_t fillPixel_ = 0;
  mutable std::vector<DibImageWatcher*> watchers_;
};

// Blank images as DibImages, so that sheets tinted in advance are copied onto a DibImage by
// rows; resources are loaded as GdiImageFactory loads them.
class DibImageFactory final : public GdiImageFactory {
 public:
  using GdiImageFactory::GdiImageFactory;
  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override;
};
