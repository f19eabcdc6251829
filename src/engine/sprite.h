// A glyph sheet: an image cut into a grid of equal cells, one glyph each. The rain loads
// one grey sheet, copies it and tints each copy with one colour, so that drawing a glyph
// later is a plain block copy of one cell.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/surface.h"

class Sprite {
 public:
  // Loads the image resource `name` and cuts it into columns x rows cells (sizes truncate).
  // Throws Exception("Resource <name> not found"), or when the image is too small to give
  // every cell at least one pixel.
  Sprite(ImageFactory& images, const std::string& name, std::int32_t columns, std::int32_t rows);
  // A black sheet of columns x rows cells of the given size, in full colour.
  Sprite(ImageFactory& images, std::int32_t cellWidth, std::int32_t cellHeight,
         std::int32_t columns, std::int32_t rows);
  ~Sprite() = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // A full-colour sheet of the same geometry holding the same cells, independent of this one.
  std::unique_ptr<Sprite> Copy() const;
  // Scales every pixel channel by the matching channel of `color` / 255 (low three bytes only).
  void Tint(Color color);

  const std::unique_ptr<Image> bitmap;
  const std::int32_t cellWidth;
  const std::int32_t cellHeight;
  const std::int32_t columns;
  const std::int32_t rows;

 private:
  Sprite(ImageFactory& images, std::unique_ptr<Image> bitmap, std::int32_t columns, std::int32_t rows);

  ImageFactory& images;
};
