// Steps are compared in whole numbers (dpi x 100 against step x 96), so a DPI that lies exactly
// between two steps always goes up, whatever the floating-point rounding would have said.
#include "engine/display_scale.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

constexpr std::int32_t kDesignLargeWidth = 10;
constexpr std::int32_t kDesignLargeHeight = 15;
constexpr std::int32_t kDesignSmallWidth = 4;
constexpr std::int32_t kDesignSmallHeight = 6;
// Surfaces at most this wide at the design scale take the small sheet (previews).
constexpr std::int64_t kSmallSheetMaxWidth = 320;

// The step whose distance to `value` / `unit` (in percent) is least; ties go up.
template <typename Number>
std::int32_t NearestStep(Number value, Number unit) {
  std::int32_t best = kScaleSteps[0];
  Number bestDistance = std::abs(value * 100 - best * unit);
  for (const std::int32_t step : kScaleSteps) {
    const Number distance = std::abs(value * 100 - step * unit);
    if (distance <= bestDistance) {
      best = step;
      bestDistance = distance;
    }
  }
  return best;
}

std::int32_t AtStep(std::int32_t designSide, std::int32_t scaleStep) {
  return (designSide * scaleStep + 50) / 100;  // rounded half up
}

GlyphSheetSize SheetAt(std::int32_t scaleStep, bool small) {
  const std::int32_t step = ScaleStepForScale(scaleStep / 100.0);
  std::string resource = small ? "INDEX_S" : "INDEX";
  if (step != kDesignScaleStep) resource += "_" + std::to_string(step);
  return {resource, AtStep(small ? kDesignSmallWidth : kDesignLargeWidth, step),
          AtStep(small ? kDesignSmallHeight : kDesignLargeHeight, step)};
}

}  // namespace

std::int32_t ScaleStepForDpi(std::int32_t dpi) {
  if (dpi <= 0) return kDesignScaleStep;
  return NearestStep<std::int64_t>(dpi, kDesignDpi);
}

std::int32_t ScaleStepForScale(double scale) {
  if (std::isnan(scale)) return kDesignScaleStep;
  if (std::isinf(scale)) return scale > 0 ? kScaleSteps[std::size(kScaleSteps) - 1] : kScaleSteps[0];
  return NearestStep<double>(scale, 1.0);
}

GlyphSheetSize LargeSheetAt(std::int32_t scaleStep) { return SheetAt(scaleStep, false); }

GlyphSheetSize SmallSheetAt(std::int32_t scaleStep) { return SheetAt(scaleStep, true); }

GlyphSheetSize SheetForSurface(std::int32_t width, std::int32_t scaleStep) {
  const std::int32_t step = ScaleStepForScale(scaleStep / 100.0);
  const bool large = static_cast<std::int64_t>(width) * 100 > kSmallSheetMaxWidth * step;
  return SheetAt(step, !large);
}

std::vector<GlyphSheetSize> AllGlyphSheets() {
  std::vector<GlyphSheetSize> sheets;
  for (const std::int32_t step : kScaleSteps) {
    sheets.push_back(LargeSheetAt(step));
    sheets.push_back(SmallSheetAt(step));
  }
  return sheets;
}
