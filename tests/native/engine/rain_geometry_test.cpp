// Which sheet a field loads for its surface, and the grid it lays over the surface:
// one more column and row than fit whole, so partly visible cells are part of the grid.
#include <gtest/gtest.h>

#include "base/exception.h"
#include "engine/display_scale.h"
#include "engine/memory_image.h"
#include "engine/vellix.h"
#include "glyph_fixtures.h"

namespace {

TEST(RainGeometry, SheetAndGridFollowTheSurfaceSize) {
  const struct {
    std::int32_t width, height, cellWidth, columns, rows;
  } cases[] = {
      {320, 240, 4, 81, 41},     // 320 and narrower: small sheet, 4 x 6
      {321, 240, 10, 33, 17},    // wider: large sheet, 10 x 15
      {1024, 768, 10, 103, 52},
      {1280, 1024, 10, 129, 69},
      {0, 100, 4, 1, 17},
      {100, 0, 4, 26, 1},
      {-8, -8, 4, 1, 1},  // a negative size counts as 0
  };
  MemoryImageFactory images;
  images.AddResource("INDEX", MakeFixtureSheet(10, 15));
  images.AddResource("INDEX_S", MakeFixtureSheet(4, 6));
  for (const auto& test : cases) {
    MemoryImage canvas(16, 16);
    Vellix field(canvas, images, test.width, test.height);
    field.Configure(60, 0, 0, 0, 0, 0x00009000, 0x0088FF88, 0x00006000);
    EXPECT_EQ(field.BaseSheet().cellWidth, test.cellWidth) << test.width << " x " << test.height;
    EXPECT_EQ(field.GridColumns(), test.columns) << test.width << " x " << test.height;
    EXPECT_EQ(field.GridRows(), test.rows) << test.width << " x " << test.height;
  }
}

// At a display scale step the field takes that step's sheet, chosen on the width at the design
// scale, and lays the same grid over a screen as the design sheet over one of 1 / step the size.
TEST(RainGeometry, ScaledFieldTakesTheSheetOfItsStep) {
  const struct {
    std::int32_t width, height, step, cellWidth, cellHeight, columns, rows;
  } cases[] = {
      {3840, 2160, 200, 20, 30, 193, 73},  // the grid of 1920 x 1080 at the design scale
      {1920, 1080, 100, 10, 15, 193, 73},
      {1024, 768, 150, 15, 23, 69, 34},
      {304, 228, 200, 8, 12, 39, 20},      // a preview pane at 200 %: small sheet
      {641, 480, 200, 20, 30, 33, 17},
      {640, 480, 200, 8, 12, 81, 41},
  };
  MemoryImageFactory images;
  for (const std::int32_t step : kScaleSteps)
    for (const GlyphSheetSize& sheet : {LargeSheetAt(step), SmallSheetAt(step)})
      images.AddResource(sheet.resource, MakeFixtureSheet(sheet.cellWidth, sheet.cellHeight));
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.width << " x " << test.height << " at step " << test.step);
    MemoryImage canvas(16, 16);
    Vellix field(canvas, images, test.width, test.height, test.step);
    field.Configure(60, 0, 0, 0, 0, 0x00009000, 0x0088FF88, 0x00006000);
    EXPECT_EQ(field.BaseSheet().cellWidth, test.cellWidth);
    EXPECT_EQ(field.BaseSheet().cellHeight, test.cellHeight);
    EXPECT_EQ(field.GridColumns(), test.columns);
    EXPECT_EQ(field.GridRows(), test.rows);
  }
}

TEST(RainGeometry, MissingSheetFailsConstruction) {
  const struct {
    std::int32_t width;
    const char* present;
    const char* message;
  } cases[] = {
      {320, "INDEX", "Resource INDEX_S not found"},
      {321, "INDEX_S", "Resource INDEX not found"},
  };
  for (const auto& test : cases) {
    MemoryImageFactory images;
    images.AddResource(test.present, MakeFixtureSheet(4, 6));
    MemoryImage canvas(4, 4);
    try {
      Vellix field(canvas, images, test.width, 200);
      ADD_FAILURE() << "built a field of width " << test.width;
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), test.message);
    }
  }
}

}  // namespace
