// How big a rain surface is and how its buffers are laid out. A side the compositor leaves to
// us (0 in a configure) is the output's logical side. For the scale the compositor wants: with a
// preferred fractional scale (wp_fractional_scale_v1, in 120ths) the buffer is the surface's
// size times that scale, rounded half away from zero, at buffer scale 1 and shown through a
// viewport the surface's size; without one, the output's whole scale as the buffer scale. The
// glyph sheet is that of the nearest scale step, drawn at size, never stretched. No Wayland
// header: tested natively.
#pragma once

#include <cstdint>
#include <optional>

// A size in surface coordinates (logical pixels).
struct SurfaceSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  bool operator==(const SurfaceSize& other) const { return width == other.width && height == other.height; }
  bool operator!=(const SurfaceSize& other) const { return !(*this == other); }
  bool Known() const { return width > 0 && height > 0; }
};

// An output's logical size: xdg-output's when it told one, else its current mode divided by its
// whole scale (a part pixel counts whole, so the surface covers the output) and turned a
// quarter when the output is.
SurfaceSize LogicalOutputSize(const SurfaceSize& xdgOutputSize, std::int32_t modeWidth, std::int32_t modeHeight,
                              std::int32_t scale, bool quarterTurned);
// The size to draw a surface at: each side the compositor chose, or the output's where it chose
// 0. Unknown (a 0 side) when neither knows.
SurfaceSize SizeToDraw(const SurfaceSize& configured, const SurfaceSize& output);

// The scale a surface is to be drawn at: the compositor's preferred fraction when it told one,
// else the output's whole factor.
struct SurfaceScale {
  std::int32_t wholeFactor = 1;                   // wl_output.scale, at least 1
  std::optional<std::uint32_t> preferred120ths;  // wp_fractional_scale_v1.preferred_scale

  bool operator==(const SurfaceScale& other) const {
    return wholeFactor == other.wholeFactor && preferred120ths == other.preferred120ths;
  }
  bool operator!=(const SurfaceScale& other) const { return !(*this == other); }
};

struct BufferLayout {
  std::int32_t width;        // the buffer's pixels
  std::int32_t height;
  std::int32_t bufferScale;  // for wl_surface.set_buffer_scale
  bool viewport;             // shown through a viewport whose destination is the surface's size
  std::int32_t sheetStep;    // of the glyph sheets, engine/display_scale.h

  bool operator==(const BufferLayout& other) const {
    return width == other.width && height == other.height && bufferScale == other.bufferScale &&
           viewport == other.viewport && sheetStep == other.sheetStep;
  }
  bool operator!=(const BufferLayout& other) const { return !(*this == other); }
};

// The layout of a surface of width x height (surface coordinates) at `scale`; `askedStep` is
// the sheet step the command line asked for, which overrides the scale's own.
BufferLayout LayoutBuffer(std::uint32_t width, std::uint32_t height, const SurfaceScale& scale,
                          std::optional<std::int32_t> askedStep);
