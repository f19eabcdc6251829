// The random stream: what RandomBelow draws, and that scripted sources nest.
#include <gtest/gtest.h>

#include <ctime>
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

// Two reseeds within the same second give the same sequence.
TEST(Random, RandomizeSeedsFromTheSecond) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::time_t before = std::time(nullptr);
    std::vector<std::int32_t> first, second;
    Randomize();
    for (int i = 0; i < 8; ++i) first.push_back(RandomBelow(1 << 30));
    Randomize();
    for (int i = 0; i < 8; ++i) second.push_back(RandomBelow(1 << 30));
    if (std::time(nullptr) != before) continue;  // crossed a second boundary; try again
    EXPECT_EQ(first, second);
    for (std::int32_t value : first) EXPECT_GE(value, 0);
    return;
  }
  FAIL() << "could not stay within one second";
}

}  // namespace
