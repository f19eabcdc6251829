// A window's DPI taken to a scale step, the cell sizes and resources of the sheets at each step,
// and the sheet a surface takes, chosen on its width at the design scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "engine/display_scale.h"

namespace {

TEST(DisplayScale, DpiGivesTheStepAndItsSheets) {
  const struct {
    std::int32_t dpi, step;
    const char* large;
    std::int32_t largeWidth, largeHeight;
    const char* small;
    std::int32_t smallWidth, smallHeight;
  } cases[] = {
      {96, 100, "INDEX", 10, 15, "INDEX_S", 4, 6},
      {110, 125, "INDEX_125", 13, 19, "INDEX_S_125", 5, 8},  // 115 %: nearer 125 than 100
      {120, 125, "INDEX_125", 13, 19, "INDEX_S_125", 5, 8},
      {144, 150, "INDEX_150", 15, 23, "INDEX_S_150", 6, 9},
      {168, 175, "INDEX_175", 18, 26, "INDEX_S_175", 7, 11},
      {192, 200, "INDEX_200", 20, 30, "INDEX_S_200", 8, 12},
      {240, 250, "INDEX_250", 25, 38, "INDEX_S_250", 10, 15},
      {288, 300, "INDEX_300", 30, 45, "INDEX_S_300", 12, 18},
      {400, 300, "INDEX_300", 30, 45, "INDEX_S_300", 12, 18},  // above the last step
      {72, 100, "INDEX", 10, 15, "INDEX_S", 4, 6},             // below the first
      {0, 100, "INDEX", 10, 15, "INDEX_S", 4, 6},              // unknown
      {-96, 100, "INDEX", 10, 15, "INDEX_S", 4, 6},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.dpi << " DPI");
    const std::int32_t step = ScaleStepForDpi(test.dpi);
    EXPECT_EQ(step, test.step);
    const GlyphSheetSize large = LargeSheetAt(step);
    EXPECT_EQ(large.resource, test.large);
    EXPECT_EQ(large.cellWidth, test.largeWidth);
    EXPECT_EQ(large.cellHeight, test.largeHeight);
    const GlyphSheetSize small = SmallSheetAt(step);
    EXPECT_EQ(small.resource, test.small);
    EXPECT_EQ(small.cellWidth, test.smallWidth);
    EXPECT_EQ(small.cellHeight, test.smallHeight);
  }
}

// Halfway between two steps goes up; a hair below halfway stays down.
TEST(DisplayScale, TiesGoToTheLargerStep) {
  const struct {
    double scale;
    std::int32_t step;
  } cases[] = {
      {1.0, 100},   {1.125, 125}, {1.1249, 100}, {1.375, 150}, {1.3749, 125}, {1.625, 175},
      {1.875, 200}, {2.25, 250},  {2.2499, 200}, {2.75, 300},  {2.7499, 250}, {0.5, 100},
      {-1.0, 100},  {12.0, 300},  {std::numeric_limits<double>::infinity(), 300},
      {std::nan(""), 100},
  };
  for (const auto& test : cases) EXPECT_EQ(ScaleStepForScale(test.scale), test.step) << test.scale;
  // The same ties as DPIs: 108 is 112.5 %, 132 is 137.5 %, 216 is 225 %, 264 is 275 %.
  const struct {
    std::int32_t dpi, step;
  } dpis[] = {{107, 100}, {108, 125}, {131, 125}, {132, 150}, {215, 200}, {216, 250}, {263, 250}, {264, 300}};
  for (const auto& test : dpis) EXPECT_EQ(ScaleStepForDpi(test.dpi), test.step) << test.dpi << " DPI";
}

// The large sheet when the width at the design scale is more than 320 pixels.
TEST(DisplayScale, SheetIsChosenOnTheWidthAtTheDesignScale) {
  const struct {
    std::int32_t width, step;
    const char* sheet;
  } cases[] = {
      {320, 100, "INDEX_S"},      {321, 100, "INDEX"},      {0, 100, "INDEX_S"},
      {-5, 200, "INDEX_S_200"},   {400, 125, "INDEX_S_125"}, {401, 125, "INDEX_125"},
      {480, 150, "INDEX_S_150"},  {481, 150, "INDEX_150"},  {560, 175, "INDEX_S_175"},
      {561, 175, "INDEX_175"},    {640, 200, "INDEX_S_200"}, {641, 200, "INDEX_200"},
      {304, 200, "INDEX_S_200"},  // the system's preview pane at 200 %: 152 wide at the design scale
      {440, 200, "INDEX_S_200"},  // the dialog's 220-pixel panel at 200 %
      {800, 250, "INDEX_S_250"},  {801, 250, "INDEX_250"},  {960, 300, "INDEX_S_300"},
      {961, 300, "INDEX_300"},    {3840, 200, "INDEX_200"},
      {480, 140, "INDEX_S_150"},  // a value that is no step is taken to the nearest
  };
  for (const auto& test : cases)
    EXPECT_EQ(SheetForSurface(test.width, test.step).resource, test.sheet)
        << test.width << " pixels at step " << test.step;
}

TEST(DisplayScale, EveryStepHasItsOwnPairOfSheets) {
  std::set<std::string> names;
  for (const GlyphSheetSize& sheet : AllGlyphSheets()) EXPECT_TRUE(names.insert(sheet.resource).second) << sheet.resource;
  for (const std::int32_t step : kScaleSteps) {
    EXPECT_EQ(names.count(LargeSheetAt(step).resource), 1u) << step;
    EXPECT_EQ(names.count(SmallSheetAt(step).resource), 1u) << step;
  }
}

}  // namespace
