// The scale steps: a scale or a DPI to the nearest step, ties up, clamped to the first and the
// last step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "linux/scale_step.h"

TEST(ScaleStepTest, ScalesGoToTheNearestStepAndTiesGoUp) {
  const struct {
    double scale;
    ScaleStep step;
  } cases[] = {
      {1.0, 100},   {0.5, 100},   {0.0, 100},   {-3.0, 100},  {1.124, 100}, {1.125, 125}, {1.3, 125},
      {1.375, 150}, {1.5, 150},   {1.625, 175}, {1.874, 175}, {1.875, 200}, {2.0, 200},   {2.249, 200},
      {2.25, 250},  {2.5, 250},   {2.75, 300},  {3.0, 300},   {7.0, 300},
      {std::numeric_limits<double>::quiet_NaN(), 100},
  };
  for (const auto& c : cases) EXPECT_EQ(NearestScaleStep(c.scale), c.step) << c.scale;
}

TEST(ScaleStepTest, DpiIsTakenOverNinetySix) {
  const struct {
    double dpi;
    ScaleStep step;
  } cases[] = {{96, 100}, {110, 125}, {120, 125}, {144, 150}, {168, 175},
               {192, 200}, {240, 250}, {288, 300}, {400, 300}, {0, 100}, {-96, 100}};
  for (const auto& c : cases) EXPECT_EQ(ScaleStepOfDpi(c.dpi), c.step) << c.dpi;
}
