// What the rain draws on, and where its glyph images come from. The engine knows only
// these interfaces: GDI implements them on Windows, a plain memory image in tests and
// benchmarks. Colours are 0x00BBGGRR, red in the low byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

using Color = std::uint32_t;

class Image;

class Surface {
 public:
  virtual ~Surface() = default;
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;
  // The colour FillRect uses (the brush of a GDI canvas).
  virtual void SetFillColor(Color color) = 0;
  virtual void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) = 0;
  // Opaque block copy of a rectangle of `source` (a plain source copy, black included).
  virtual void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                        std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) = 0;
  virtual Color GetPixel(std::int32_t x, std::int32_t y) const = 0;
  virtual void SetPixel(std::int32_t x, std::int32_t y, Color color) = 0;
};

// An off-screen picture: can be drawn on and be the source of a copy.
class Image : public Surface {};

class ImageFactory {
 public:
  virtual ~ImageFactory() = default;
  // A blank image of the given size in the display's own pixel format.
  virtual std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) = 0;
  // The bitmap resource of that name; throws Exception("Resource <name> not found").
  virtual std::unique_ptr<Image> LoadResource(const std::string& name) = 0;
};
