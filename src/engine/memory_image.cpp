// Rectangles are clipped against both images before any pixel moves, so callers may draw
// cells that hang over the edge, as the rain does with its partly visible last column and row.
#include "engine/memory_image.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <utility>

#include "base/exception.h"
#include "engine/clip_copy.h"

MemoryImage::MemoryImage(std::int32_t width, std::int32_t height)
    : width(std::max(0, width)),
      height(std::max(0, height)),
      pixels(static_cast<std::size_t>(this->width) * this->height, Color{0}) {}

void MemoryImage::FillRect(std::int32_t x, std::int32_t y, std::int32_t fillWidth, std::int32_t fillHeight) {
  const std::int32_t left = std::max(0, x);
  const std::int32_t top = std::max(0, y);
  const std::int32_t right = std::min(width, x + fillWidth);
  const std::int32_t bottom = std::min(height, y + fillHeight);
  for (std::int32_t row = top; row < bottom; ++row)
    std::fill(Row(row) + left, Row(row) + std::max(left, right), fillColor);
}

void MemoryImage::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                           std::int32_t copyWidth, std::int32_t copyHeight, std::int32_t x, std::int32_t y) {
  ClipCopy(source.Width(), source.Height(), width, height, sourceX, sourceY, copyWidth, copyHeight, x, y);
  if (copyWidth <= 0 || copyHeight <= 0) return;

  if (typeid(source) != typeid(MemoryImage)) {
    for (std::int32_t row = 0; row < copyHeight; ++row)
      for (std::int32_t column = 0; column < copyWidth; ++column)
        SetPixel(x + column, y + row, source.GetPixel(sourceX + column, sourceY + row));
    return;
  }

  const auto& memorySource = static_cast<const MemoryImage&>(source);
  if (&memorySource != this) {
    // Rows of a glyph cell are a few dozen bytes: an inline copy beats a library call.
    for (std::int32_t row = 0; row < copyHeight; ++row)
      std::copy_n(memorySource.Row(sourceY + row) + sourceX, copyWidth, Row(y + row) + x);
    return;
  }
  // Within one image the rows may overlap; a copy that moves down starts from the bottom.
  const std::size_t rowBytes = static_cast<std::size_t>(copyWidth) * sizeof(Color);
  const bool bottomUp = y > sourceY;
  for (std::int32_t i = 0; i < copyHeight; ++i) {
    const std::int32_t row = bottomUp ? copyHeight - 1 - i : i;
    std::memmove(Row(y + row) + x, Row(sourceY + row) + sourceX, rowBytes);
  }
}

Color MemoryImage::GetPixel(std::int32_t x, std::int32_t y) const {
  return Contains(x, y) ? Row(y)[x] : kInvalidColor;
}

void MemoryImage::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  if (Contains(x, y)) Row(y)[x] = color;
}

std::unique_ptr<Image> MemoryImageFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  return std::make_unique<MemoryImage>(width, height);
}

std::unique_ptr<Image> MemoryImageFactory::LoadResource(const std::string& name) {
  const auto found = resources.find(name);
  if (found == resources.end()) throw Exception("Resource " + name + " not found");
  return std::make_unique<MemoryImage>(found->second);
}

void MemoryImageFactory::AddResource(const std::string& name, MemoryImage image) {
  resources.insert_or_assign(name, std::move(image));
}
