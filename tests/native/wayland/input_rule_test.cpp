// The overlay's pointer rule: more than 5 pixels on either axis from where the pointer entered.
#include <gtest/gtest.h>

#include "wayland/input_rule.h"

TEST(InputRuleTest, OnlyAMoveOfMoreThanFivePixelsFromTheEntryEnds) {
  const struct {
    double x;
    double y;
    bool ends;
  } moves[] = {
      {100, 100, false}, {105, 100, false}, {95, 105, false}, {105, 95, false},
      {105.5, 100, true}, {100, 94.75, true}, {106, 106, true}, {0, 0, true},
  };
  for (const auto& move : moves) {
    InputRule rule;
    rule.PointerEntered(100, 100);
    EXPECT_EQ(rule.PointerMoved(move.x, move.y), move.ends) << move.x << "," << move.y;
  }
}

TEST(InputRuleTest, MovesAreMeasuredFromTheLatestEntryAndNotWithoutOne) {
  InputRule rule;
  EXPECT_FALSE(rule.PointerMoved(500, 500));  // no entry yet
  rule.PointerEntered(10, 10);
  rule.PointerLeft();
  EXPECT_FALSE(rule.PointerMoved(500, 500));
  rule.PointerEntered(400, 300);  // another output's surface
  EXPECT_FALSE(rule.PointerMoved(404, 303));
  EXPECT_TRUE(rule.PointerMoved(410, 300));
}
