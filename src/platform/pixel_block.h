// Block copies of 32-bit pixels between bitmaps whose pixels this process holds: a glyph cell's
// rows at a time. A cell's row is a few dozen bytes, and a call of msvcrt's memmove costs more
// under Wine than such a copy, so the two glyph widths get copies of a fixed size, which the
// compiler turns into a few moves, and a plain loop does the rest. Files that include this
// build with -fno-tree-loop-distribute-patterns, which keeps GCC from turning that loop back
// into the call.
#pragma once

#include <cstdint>
#include <cstring>

namespace pixel_block {

template <std::int32_t kCount>
inline void CopyFixed(std::uint32_t* target, std::int32_t targetStride, const std::uint32_t* source,
                      std::int32_t sourceStride, std::int32_t rows) {
  for (std::int32_t row = 0; row < rows; ++row, target += targetStride, source += sourceStride)
    std::memcpy(target, source, kCount * sizeof *source);
}

}  // namespace pixel_block

// Copies `rows` rows of `count` pixels; the strides are in pixels. The blocks must not overlap.
inline void CopyPixelBlock(std::uint32_t* target, std::int32_t targetStride, const std::uint32_t* source,
                           std::int32_t sourceStride, std::int32_t count, std::int32_t rows) {
  switch (count) {
    case 10: return pixel_block::CopyFixed<10>(target, targetStride, source, sourceStride, rows);
    case 4: return pixel_block::CopyFixed<4>(target, targetStride, source, sourceStride, rows);
    default:
      for (std::int32_t row = 0; row < rows; ++row, target += targetStride, source += sourceStride)
        for (std::int32_t i = 0; i < count; ++i) target[i] = source[i];
  }
}
