// The display scale of a window, taken to one of the steps at which the program carries glyph
// sheets drawn at size, and the sheet a surface takes at that step. A step of 100 (96 DPI) is
// the design: "INDEX" with 10 x 15 cells and "INDEX_S" with 4 x 6. At step p the cells are the
// design cells times p / 100 rounded half up, in resources named "INDEX_<p>" and "INDEX_S_<p>",
// built from res/index_<p>.bmp and res/index_s_<p>.bmp (the resource name in lower case).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The DPI at which a window has the design scale (step 100).
constexpr std::int32_t kDesignDpi = 96;
constexpr std::int32_t kDesignScaleStep = 100;
// Every step, in percent, smallest first.
constexpr std::int32_t kScaleSteps[] = {100, 125, 150, 175, 200, 250, 300};

// The step nearest to dpi / 96; a tie goes to the larger step, below the first step is the first
// and above the last the last. A DPI of 0 or less (unknown) is the design's.
std::int32_t ScaleStepForDpi(std::int32_t dpi);
// The same for a scale factor (1.0 is 96 DPI); a scale that is not a number is the design's.
std::int32_t ScaleStepForScale(double scale);

// One glyph sheet resource and the size of its cells.
struct GlyphSheetSize {
  std::string resource;
  std::int32_t cellWidth;
  std::int32_t cellHeight;
};

// The large and the small sheet at a step (a value that is no step is taken to the nearest).
GlyphSheetSize LargeSheetAt(std::int32_t scaleStep);
GlyphSheetSize SmallSheetAt(std::int32_t scaleStep);
// The sheet for a surface `width` pixels wide at a step: the large one when the width at the
// design scale (width / (step / 100)) is more than 320 pixels, the small one otherwise.
GlyphSheetSize SheetForSurface(std::int32_t width, std::int32_t scaleStep);
// Every sheet resource of every step, large then small at each step, smallest step first.
std::vector<GlyphSheetSize> AllGlyphSheets();
