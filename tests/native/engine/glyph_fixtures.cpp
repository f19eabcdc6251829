#include "glyph_fixtures.h"

namespace {

Color Grey(std::uint32_t level) { return level | level << 8 | level << 16; }

// What one uniform cell shows, or "?" when its pixels differ.
std::string Token(const MemoryImage& canvas, std::int32_t left, std::int32_t top, std::int32_t width,
                  std::int32_t height) {
  const Color first = canvas.GetPixel(left, top);
  for (std::int32_t y = top; y < top + height; ++y)
    for (std::int32_t x = left; x < left + width; ++x)
      if (canvas.GetPixel(x, y) != first) return "?";
  if (first == 0) return ".";
  if (first == 0x00FFFFFF) return "W";
  const struct {
    char letter;
    int shift;
  } sheets[] = {{'L', 0}, {'N', 8}, {'D', 16}};
  for (const auto& sheet : sheets) {
    const Color level = first >> sheet.shift & 0xFF;
    if (first == level << sheet.shift && level % 5 == 0) return sheet.letter + std::to_string(level / 5 - 1);
  }
  return "?";
}

}  // namespace

MemoryImage MakeFixtureSheet(std::int32_t cellWidth, std::int32_t cellHeight) {
  MemoryImage sheet(cellWidth, cellHeight * kFixtureGlyphs);
  for (std::int32_t glyph = 0; glyph < kFixtureGlyphs; ++glyph) {
    sheet.SetFillColor(Grey(5 * (glyph + 1)));
    sheet.FillRect(0, glyph * cellHeight, cellWidth, cellHeight);
  }
  return sheet;
}

std::vector<std::string> Picture(const MemoryImage& canvas, std::int32_t cellWidth, std::int32_t cellHeight) {
  std::vector<std::string> rows;
  for (std::int32_t top = 0; top + cellHeight <= canvas.Height(); top += cellHeight) {
    std::string row;
    for (std::int32_t left = 0; left + cellWidth <= canvas.Width(); left += cellWidth) {
      if (!row.empty()) row += ' ';
      row += Token(canvas, left, top, cellWidth, cellHeight);
    }
    rows.push_back(row);
  }
  return rows;
}
