// The random stream: what RandomBelow draws, and that scripted sources nest.
#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <vector>

#include "engine/random.h"
#include "scripted_random.h"

namespace {

TEST(Random, BelowTakesTheRemainderOfOneDraw) {
  ScriptedRandom random;
  random.Expect({17, 0x7FFFFFFF, 4});
  EXPECT_EQ(RandomBelow(5), 2);
  EXPECT_EQ(RandomBelow(0), 0);   // draws nothing
  EXPECT_EQ(RandomBelow(-3), 0);  // draws nothing
  EXPECT_EQ(RandomBelow(1000), 0x7FFFFFFF % 1000);
  EXPECT_EQ(RandomBelow(1), 0);   // draws, always 0
  EXPECT_EQ(random.Left(), 0u);
}

TEST(Random, InnerScriptReplacesOuterOnlyForItsScope) {
  ScriptedRandom outer;
  outer.Expect({1, 3});
  EXPECT_EQ(RandomBelow(10), 1);
  {
    ScriptedRandom inner;
    inner.Expect({7});
    EXPECT_EQ(RandomBelow(10), 7);
  }
  EXPECT_EQ(RandomBelow(10), 3);
}

// Randomize seeds the minimal-standard sequence with the calendar time in seconds.
TEST(Random, RandomizeSeedsTheMinimalStandardSequenceFromTheSecond) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::time_t before = std::time(nullptr);
    Randomize();
    std::vector<std::int32_t> drawn;
    for (int i = 0; i < 1000; ++i) drawn.push_back(RandomBelow(1 << 30));
    if (std::time(nullptr) != before) continue;  // crossed a second boundary; try again
    std::minstd_rand reference(static_cast<std::minstd_rand::result_type>(before));
    for (std::size_t i = 0; i < drawn.size(); ++i)
      ASSERT_EQ(drawn[i], static_cast<std::int32_t>(reference() % (1u << 30))) << "draw " << i;
    return;
  }
  FAIL() << "could not stay within one second";
}

}  // namespace
