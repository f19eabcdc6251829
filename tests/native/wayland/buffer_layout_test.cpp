// A surface's buffer at the compositor's scale: fractional sizes rounded half away from zero,
// the sheet of the nearest step (whole cells, never stretched), the whole scale without one.
#include <gtest/gtest.h>

#include "engine/display_scale.h"
#include "wayland/buffer_layout.h"

namespace {

constexpr std::uint32_t kOneAndAHalf = 180;  // 120ths

TEST(BufferLayoutTest, TakesTheScaleTheCompositorPrefersOrTheOutputsWholeScale) {
  const std::optional<std::uint32_t> none;
  const struct {
    std::uint32_t width, height;
    SurfaceScale scale;
    std::optional<std::int32_t> askedStep;
    BufferLayout expected;
  } cases[] = {
      // Fractional: buffer scale 1, a viewport, the surface size times the fraction.
      {1280, 800, {2, kOneAndAHalf}, {}, {1920, 1200, 1, true, 150}},
      {1024, 768, {1, 150}, {}, {1280, 960, 1, true, 125}},
      {801, 601, {2, 210}, {}, {1402, 1052, 1, true, 175}},  // 1401.75, 1051.75
      {2, 1, {1, 150}, {}, {3, 1, 1, true, 125}},             // 2.5 goes up, 1.25 down
      {1, 3, {1, kOneAndAHalf}, {}, {2, 5, 1, true, 150}},    // 1.5 and 4.5
      {800, 600, {1, 120}, {}, {800, 600, 1, true, 100}},
      {800, 600, {1, 132}, {}, {880, 660, 1, true, 100}},    // 1.1 is nearer 100 than 125
      {800, 600, {1, 135}, {}, {900, 675, 1, true, 125}},    // 1.125: a tie goes up
      {1280, 800, {2, kOneAndAHalf}, 100, {1920, 1200, 1, true, 100}},  // -scale 1 keeps the pixels
      // Whole: the output's factor as the buffer scale, no viewport.
      {800, 600, {2, none}, {}, {1600, 1200, 2, false, 200}},
      {800, 600, {1, none}, {}, {800, 600, 1, false, 100}},
      {800, 600, {3, none}, 150, {2400, 1800, 3, false, 150}},
      {800, 600, {0, none}, {}, {800, 600, 1, false, 100}},  // a scale below 1 is 1
      {800, 600, {2, 0u}, {}, {1600, 1200, 2, false, 200}},  // a preferred scale of 0 is none
      // Sides that would not fit an int32 are clamped, never wrapped.
      {4000000000u, 600, {2, none}, {}, {2147483647, 1200, 2, false, 200}},
      {4000000000u, 600, {1, 240}, {}, {2147483647, 1200, 1, true, 200}},
  };
  for (const auto& c : cases) {
    const BufferLayout layout = LayoutBuffer(c.width, c.height, c.scale, c.askedStep);
    EXPECT_EQ(layout, c.expected) << c.width << "x" << c.height << " whole " << c.scale.wholeFactor
                                  << " preferred " << c.scale.preferred120ths.value_or(0) << " -> " << layout.width
                                  << "x" << layout.height << " scale " << layout.bufferScale << " viewport "
                                  << layout.viewport << " step " << layout.sheetStep;
  }
}

TEST(BufferLayoutTest, CommonFractionsTakeTheSheetsDrawnAtTheirStep) {
  const struct {
    std::uint32_t preferred120ths;
    std::int32_t cellWidth, cellHeight;
  } cases[] = {{150, 13, 19}, {180, 15, 23}, {210, 18, 26}, {240, 20, 30}};
  for (const auto& c : cases) {
    const GlyphSheetSize sheet = LargeSheetAt(LayoutBuffer(1280, 800, {1, c.preferred120ths}, {}).sheetStep);
    EXPECT_EQ(sheet.cellWidth, c.cellWidth) << c.preferred120ths;
    EXPECT_EQ(sheet.cellHeight, c.cellHeight) << c.preferred120ths;
  }
}

}  // namespace

namespace {

TEST(SurfaceSizeTest, ASideLeftToUsIsTheOutputsLogicalSide) {
  const struct {
    SurfaceSize xdgOutput;
    std::int32_t modeWidth, modeHeight, scale;
    bool turned;
    SurfaceSize configured;
    SurfaceSize expected;
  } cases[] = {
      {{}, 1600, 1200, 2, false, {0, 0}, {800, 600}},
      {{}, 1600, 1200, 2, true, {0, 0}, {600, 800}},             // turned a quarter
      {{}, 1366, 767, 2, false, {0, 0}, {683, 384}},             // a part pixel counts whole
      {{1280, 800}, 2560, 1600, 2, false, {0, 0}, {1280, 800}},  // xdg-output knows a 1.5 output's
      {{}, 1600, 1200, 0, false, {0, 0}, {1600, 1200}},          // a scale below 1 is 1
      {{}, 1600, 1200, 1, false, {1024, 0}, {1024, 1200}},       // only the 0 side is ours
      {{}, 1600, 1200, 1, false, {1024, 768}, {1024, 768}},      // the compositor's size wins
      {{}, 0, 0, 1, false, {0, 0}, {0, 0}},                      // nothing known yet
      {{}, 0, 0, 1, false, {640, 480}, {640, 480}},
  };
  for (const auto& c : cases) {
    const SurfaceSize drawn = SizeToDraw(
        c.configured, LogicalOutputSize(c.xdgOutput, c.modeWidth, c.modeHeight, c.scale, c.turned));
    EXPECT_EQ(drawn, c.expected) << c.modeWidth << "x" << c.modeHeight << "/" << c.scale << " configured "
                                 << c.configured.width << "x" << c.configured.height << " -> " << drawn.width << "x"
                                 << drawn.height;
  }
}

}  // namespace
