// The refresh rate of a RandR mode from its timings, as the X11 backend reads it to pace its
// presents.
#include <gtest/gtest.h>

#include "x11/output_refresh.h"

namespace {

TEST(OutputRefresh, RateOfAModesTimingsToTheNearestWholeNumber) {
  const struct {
    unsigned long dotClock;
    unsigned int hTotal, vTotal;
    std::int32_t hz;
  } cases[] = {
      {148'500'000, 2200, 1125, 60},  // 1920 x 1080 at 60
      {148'352'000, 2200, 1125, 60},  // at 59.94
      {65'000'000, 1344, 806, 60},    // 1024 x 768 at 60.004
      {325'080'000, 2080, 1111, 141}, // 1920 x 1080 at 140.7
      {0, 2200, 1125, 0},             // a mode without a clock
      {148'500'000, 0, 1125, 0},      // nor totals
      {148'500'000, 2200, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dotClock);
    EXPECT_EQ(RefreshOfTimings(c.dotClock, c.hTotal, c.vTotal), c.hz);
  }
}

}  // namespace
