// The glyph sheets of the X11 program. Tinting reads and writes a sheet pixel by pixel, so its
// pixels live in memory; drawing copies one glyph cell at a time onto the window, so a copy of
// them lives on the X server as a pixmap, uploaded when a changed sheet is first drawn. A glyph
// then costs one small CopyArea request and no pixel data on the wire.
#pragma once

#include <memory>
#include <string>

#include "engine/memory_image.h"
#include "engine/surface.h"
#include "x11/pixel_format.h"
#include "x11/x_handles.h"

class ServerSheet final : public Image {
 public:
  ServerSheet(const WindowFormat& format, MemoryImage pixels);

  std::int32_t Width() const override { return pixels.Width(); }
  std::int32_t Height() const override { return pixels.Height(); }
  void SetFillColor(Color color) override { pixels.SetFillColor(color); }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override { return pixels.GetPixel(x, y); }
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // The pixmap that holds the sheet's current pixels, uploaded first if they changed.
  Pixmap OnServer() const;

 private:
  const WindowFormat& format;
  MemoryImage pixels;
  mutable PixmapHandle pixmap;
  mutable bool stale = true;
};

// Makes ServerSheets for one window: blank ones, and the glyph sheets built into the program.
class ServerSheetFactory final : public ImageFactory {
 public:
  explicit ServerSheetFactory(const WindowFormat& format) : format(format) {}

  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override;
  // Throws Exception("Resource <name> not found") for a name the program has no sheet of.
  std::unique_ptr<Image> LoadResource(const std::string& name) override;

 private:
  const WindowFormat& format;
};
