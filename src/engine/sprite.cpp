// Tinting is exact integer arithmetic per channel, so a grey level v of the sheet becomes
// the colour scaled by v / 255: strokes of 255 take the colour itself, black stays black.
#include "engine/sprite.h"

#include "base/exception.h"

namespace {

std::unique_ptr<Image> LoadSheetImage(ImageFactory& images, const std::string& name,
                                      std::int32_t columns, std::int32_t rows) {
  std::unique_ptr<Image> image = images.LoadResource(name);
  // A cell of zero pixels would make every later division by the cell size fail.
  if (columns < 1 || rows < 1 || image->Width() < columns || image->Height() < rows)
    throw Exception("Resource " + name + " is too small for " + std::to_string(columns) +
                    " x " + std::to_string(rows) + " glyphs");
  return image;
}

Color ScaleChannel(Color tint, Color pixel, int shift) {
  const Color t = (tint >> shift) & 0xFF;
  const Color p = (pixel >> shift) & 0xFF;
  return (t * p / 255) << shift;
}

}  // namespace

Sprite::Sprite(ImageFactory& images, const std::string& name, std::int32_t columns, std::int32_t rows)
    : Sprite(images, LoadSheetImage(images, name, columns, rows), columns, rows) {}

Sprite::Sprite(ImageFactory& images, std::unique_ptr<Image> loaded, std::int32_t columns, std::int32_t rows)
    : bitmap(std::move(loaded)),
      cellWidth(bitmap->Width() / columns),
      cellHeight(bitmap->Height() / rows),
      columns(columns),
      rows(rows),
      images(images) {}

Sprite::Sprite(ImageFactory& images, std::int32_t cellWidth, std::int32_t cellHeight,
               std::int32_t columns, std::int32_t rows)
    : bitmap(images.CreateBlank(cellWidth * columns, cellHeight * rows)),
      cellWidth(cellWidth),
      cellHeight(cellHeight),
      columns(columns),
      rows(rows),
      images(images) {
  bitmap->SetFillColor(0);
  bitmap->FillRect(0, 0, bitmap->Width(), bitmap->Height());
}

std::unique_ptr<Sprite> Sprite::Copy() const {
  auto copy = std::make_unique<Sprite>(images, cellWidth, cellHeight, columns, rows);
  copy->bitmap->CopyFrom(*bitmap, 0, 0, cellWidth * columns, cellHeight * rows, 0, 0);
  return copy;
}

void Sprite::Tint(Color color) {
  const std::int32_t width = bitmap->Width();
  const std::int32_t height = bitmap->Height();
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const Color pixel = bitmap->GetPixel(x, y);
      bitmap->SetPixel(x, y, ScaleChannel(color, pixel, 0) | ScaleChannel(color, pixel, 8) |
                                 ScaleChannel(color, pixel, 16));
    }
  }
}
