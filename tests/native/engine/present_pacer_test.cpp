// When a window presents: the rate its display and the system's power state allow, and a loop
// that steps the rain at its pace, presents through the pacer and sleeps until the next thing to
// do, replayed on a hand-driven clock (also across the wrap of the tick count).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/present_pacer.h"
#include "engine/soft_timer.h"
#include "fake_clock.h"

namespace {

TEST(PresentPacer, RateFollowsTheDisplayAndIsCappedForPreviewsAndSavingBattery) {
  const struct {
    PresentLimits limits;
    std::int32_t perSecond, intervalMs;
  } cases[] = {
      {{60, false, false}, 60, 17},  {{0, false, false}, 60, 17},   {{1, false, false}, 60, 17},
      {{144, false, false}, 144, 7}, {{75, false, false}, 75, 14},  {{50, false, false}, 50, 20},
      {{144, true, false}, 30, 34},  {{60, false, true}, 30, 34},   {{0, true, true}, 30, 34},
      {{24, false, true}, 24, 42},   {{24, true, false}, 24, 42},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "refresh " << c.limits.refreshHz << " preview " << c.limits.preview
                                    << " battery " << c.limits.savingBattery);
    EXPECT_EQ(PresentsPerSecond(c.limits), c.perSecond);
    EXPECT_EQ(PresentPacer(PresentsPerSecond(c.limits)).IntervalMs(), c.intervalMs);
  }
}

TEST(PresentPacer, PresentsOnlyWhatChangedAndNoSoonerThanAnIntervalAfterTheLast) {
  PresentPacer pacer(60);  // 17 ms
  const struct {
    std::uint32_t at;
    bool changed, presents;
    std::int32_t toDue;  // after this poll
  } polls[] = {
      {1000, false, false, 0},  // nothing to show: no present, and the first may come at once
      {1001, true, true, 17},   {1010, true, false, 8}, {1017, true, false, 1},
      {1018, false, false, 0},  // due, but nothing new: stays due
      {1030, true, true, 17},   {1047, true, true, 17},
  };
  for (const auto& poll : polls) {
    SCOPED_TRACE(poll.at);
    EXPECT_EQ(pacer.Poll(poll.at, poll.changed), poll.presents);
    EXPECT_EQ(pacer.MillisecondsToDue(poll.at), poll.toDue);
  }
  pacer.SetRate(30);  // the last present still counts
  EXPECT_EQ(pacer.MillisecondsToDue(1047), 34);
  EXPECT_FALSE(pacer.Poll(1080, true));
  EXPECT_TRUE(pacer.Poll(1081, true));
}

TEST(PresentPacer, TheLoopSleepsUntilTheStepOrAPresentWithSomethingToShow) {
  EXPECT_EQ(MillisecondsToNextWork(10, 4, true), 4);
  EXPECT_EQ(MillisecondsToNextWork(10, 4, false), 10);
  EXPECT_EQ(MillisecondsToNextWork(3, 12, true), 3);
  EXPECT_EQ(MillisecondsToNextWork(0, 0, true), 0);
}

// A rain field stand-in: counts steps, and marks that something waits to be shown.
class Stepper : public SoftTimerEvent {
 public:
  void OnSoftTimer() override {
    ++steps;
    waiting = true;
  }
  int steps = 0;
  bool waiting = false;
};

struct LoopRun {
  int steps = 0;
  std::vector<std::uint32_t> presents;  // ticks
  int stepsShownAtOnce = 0;  // presents made in the same pass as the one step they show
};

// The saver's idle loop on a driven clock: poll the step pacer, present through the present
// pacer, then sleep as long as MillisecondsToNextWork says (at least `shortestSleep`).
LoopRun RunLoop(std::uint32_t start, std::int32_t stepMs, std::int32_t presentsPerSecond, std::uint32_t forMs,
                std::int32_t shortestSleep) {
  FakeClock clock(start);
  Stepper field;
  SoftTimer pacer(&field, stepMs);
  pacer.SetInterval(stepMs);
  PresentPacer presents(presentsPerSecond);
  LoopRun run;
  for (std::uint32_t now = start; now - start < forMs;) {
    const int before = field.steps;
    pacer.Poll();
    if (presents.Poll(now, field.waiting)) {
      run.presents.push_back(now);
      if (field.steps == before + 1) ++run.stepsShownAtOnce;
      field.waiting = false;
    }
    const std::int32_t sleep =
        MillisecondsToNextWork(pacer.MillisecondsToDue(), presents.MillisecondsToDue(now), field.waiting);
    now += static_cast<std::uint32_t>(sleep > shortestSleep ? sleep : shortestSleep);
    clock.Set(now);
  }
  run.steps = field.steps;
  return run;
}

TEST(PresentPacer, RainKeepsItsPaceWhilePresentsKeepToTheirRate) {
  const struct {
    const char* name;
    std::int32_t stepMs, presentsPerSecond;
    double stepsPerSecond;   // expected, within one step
    double mostPresentsPerSecond;
    bool everyStepShown;
  } cases[] = {
      {"heaviest on 60 Hz", 10, 60, 100, 60, false},
      {"heaviest saving battery", 10, 30, 100, 30, false},
      {"heaviest on 144 Hz", 10, 144, 100, 100, true},
      {"design on 60 Hz", 60, 60, 1000.0 / 60, 1000.0 / 60, true},
      {"design saving battery", 60, 30, 1000.0 / 60, 1000.0 / 60, true},
      {"design in a preview", 60, 30, 1000.0 / 60, 1000.0 / 60, true},
  };
  constexpr std::uint32_t kRunMs = 10'000;
  for (const std::uint32_t start : {5000u, 0xFFFFF000u}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << " from tick " << start);
      const LoopRun run = RunLoop(start, c.stepMs, c.presentsPerSecond, kRunMs, 1);
      EXPECT_NEAR(run.steps, c.stepsPerSecond * kRunMs / 1000, 1.0 + kRunMs / 1000.0 / c.stepMs);
      EXPECT_LE(run.presents.size(), c.mostPresentsPerSecond * kRunMs / 1000 + 1);
      const std::int32_t interval = PresentPacer(c.presentsPerSecond).IntervalMs();
      for (std::size_t i = 1; i < run.presents.size(); ++i)
        ASSERT_GE(static_cast<std::int32_t>(run.presents[i] - run.presents[i - 1]), interval) << "present " << i;
      if (c.everyStepShown) {
        EXPECT_EQ(run.stepsShownAtOnce, run.steps) << "a step waited for a later present";
      } else {
        // Busy rain still presents as often as the rate lets it.
        EXPECT_GE(run.presents.size(), 0.9 * kRunMs / interval);
      }
    }
  }
}

}  // namespace
