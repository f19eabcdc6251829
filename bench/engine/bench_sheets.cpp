#include "bench_sheets.h"

#include <cstdint>

#include "common/sheet_files.h"
#include "engine/display_scale.h"

namespace {

// A grey sheet with a different level in every pixel, 1 column x 50 cells.
MemoryImage SyntheticSheet(std::int32_t cellWidth, std::int32_t cellHeight) {
  MemoryImage sheet(cellWidth, cellHeight * 50);
  for (std::int32_t y = 0; y < sheet.Height(); ++y)
    for (std::int32_t x = 0; x < sheet.Width(); ++x) {
      const Color level = static_cast<Color>((x * 37 + y * 11) % 256);
      sheet.SetPixel(x, y, level | level << 8 | level << 16);
    }
  return sheet;
}

}  // namespace

std::string AddBenchSheets(MemoryImageFactory& images) {
  if (AddSheetFiles(images, LUMIVEX_RES_DIR)) return "artwork";
  for (const GlyphSheetSize& sheet : AllGlyphSheets())
    images.AddResource(sheet.resource, SyntheticSheet(sheet.cellWidth, sheet.cellHeight));
  return "synthetic sheets";
}
