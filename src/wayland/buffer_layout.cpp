// Sizes are computed in 64 bits: a surface side times a scale of up to 2^32 / 120 would not
// fit in 32, and a buffer that does not fit an int32 side is clamped rather than wrapped.
#include "wayland/buffer_layout.h"

#include <algorithm>
#include <limits>

#include "engine/display_scale.h"

namespace {

constexpr std::int64_t kFractionDenominator = 120;

std::int32_t Clamped(std::int64_t side) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(side, 1, std::numeric_limits<std::int32_t>::max()));
}

// side x numerator / 120, halves away from zero (the sides are never negative).
std::int32_t ScaledSide(std::uint32_t side, std::uint32_t numerator) {
  return Clamped((static_cast<std::int64_t>(side) * numerator + kFractionDenominator / 2) / kFractionDenominator);
}

}  // namespace

SurfaceSize LogicalOutputSize(const SurfaceSize& xdgOutputSize, std::int32_t modeWidth, std::int32_t modeHeight,
                              std::int32_t scale, bool quarterTurned) {
  if (xdgOutputSize.Known()) return xdgOutputSize;
  if (modeWidth <= 0 || modeHeight <= 0) return {};
  const std::int32_t factor = std::max(1, scale);
  const auto side = [factor](std::int32_t pixels) { return static_cast<std::uint32_t>((pixels + factor - 1) / factor); };
  return quarterTurned ? SurfaceSize{side(modeHeight), side(modeWidth)} : SurfaceSize{side(modeWidth), side(modeHeight)};
}

SurfaceSize SizeToDraw(const SurfaceSize& configured, const SurfaceSize& output) {
  return {configured.width ? configured.width : output.width, configured.height ? configured.height : output.height};
}

BufferLayout LayoutBuffer(std::uint32_t width, std::uint32_t height, const SurfaceScale& scale,
                          std::optional<std::int32_t> askedStep) {
  if (scale.preferred120ths && *scale.preferred120ths > 0) {
    const std::uint32_t numerator = *scale.preferred120ths;
    const std::int32_t step =
        askedStep ? *askedStep : ScaleStepForScale(static_cast<double>(numerator) / kFractionDenominator);
    return {ScaledSide(width, numerator), ScaledSide(height, numerator), 1, true, step};
  }
  const std::int32_t factor = std::max(1, scale.wholeFactor);
  const std::int32_t step = askedStep ? *askedStep : ScaleStepForScale(static_cast<double>(factor));
  return {Clamped(static_cast<std::int64_t>(width) * factor), Clamped(static_cast<std::int64_t>(height) * factor),
          factor, false, step};
}
