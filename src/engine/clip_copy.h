// Clipping of a block copy against both images, shared by every surface that copies pixel
// rows itself, so that cells hanging over an edge (the rain's partly visible last column and
// row) are cut the same way everywhere.
#pragma once

#include <algorithm>
#include <cstdint>

// Clips a copy of width x height from (sourceX, sourceY) of a source of the given size to
// (x, y) of a target of the given size; leaves width or height <= 0 when nothing is left.
inline void ClipCopy(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t targetWidth,
                     std::int32_t targetHeight, std::int32_t& sourceX, std::int32_t& sourceY,
                     std::int32_t& width, std::int32_t& height, std::int32_t& x, std::int32_t& y) {
  const std::int32_t skipX = std::max({0, -x, -sourceX});
  const std::int32_t skipY = std::max({0, -y, -sourceY});
  sourceX += skipX;
  x += skipX;
  width -= skipX;
  sourceY += skipY;
  y += skipY;
  height -= skipY;
  width = std::min({width, targetWidth - x, sourceWidth - sourceX});
  height = std::min({height, targetHeight - y, sourceHeight - sourceY});
}
