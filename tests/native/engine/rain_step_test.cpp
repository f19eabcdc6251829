// The rain field's step on a 4 x 8 grid with scripted random values: which values each
// pass draws, in which order, and which glyph of which sheet lands in which cell.
// Pictures show one token per cell: "N7" is glyph 7 of the normal sheet, "." black.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_clock.h"
#include "rain_rig.h"

namespace {

using Rows = std::vector<std::string>;

const std::string kBlankRow = ". . . .";
const std::string kWhiteRow = "W W W W";

void ExpectDrop(const Drop& drop, std::int32_t column, std::int32_t row) {
  EXPECT_EQ(drop.column, column);
  EXPECT_EQ(drop.row, row);
}

TEST(RainStep, PassesRunNoiseErasersFallersRisersInThatOrder) {
  RainRig rig;
  ASSERT_EQ(rig.field.GridColumns(), 0);
  // Faller at (1,2), eraser at (1,2), riser at (1,5).
  rig.Configure(1, 1, 1, 1, {1, 2, 1, 2, 1, 5});
  ASSERT_EQ(rig.field.GridColumns(), 4);
  ASSERT_EQ(rig.field.GridRows(), 8);

  // Noise: column 13 mod 4, start 0, length 4, over empty cells: no glyph drawn.
  // Eraser clears (1,2); then the faller draws its trail there (glyph 57 mod 50) and
  // its head at (1,3) with glyph 8. Riser at (1,4): an empty cell, nothing drawn.
  rig.Step({13, 0, 4, 57, 8});
  EXPECT_EQ(rig.Picture(), (Rows{kBlankRow, kBlankRow, ". N7 . .", ". L8 . .", kBlankRow, kBlankRow, kBlankRow,
                                 kBlankRow}));

  // Noise: column 1, start 9 mod 8, length 3: (1,1) empty, (1,2) keeps normal with glyph 9,
  // (1,3) keeps light with glyph 10, before the eraser clears (1,3). Faller: trail 11 at
  // (1,3), head 12 at (1,4). Riser at (1,3): the trail just drawn turns dark, glyph 13.
  rig.Step({1, 9, 3, 9, 10, 11, 12, 13});
  EXPECT_EQ(rig.Picture(), (Rows{kBlankRow, kBlankRow, ". N9 . .", ". D13 . .", ". L12 . .", kBlankRow,
                                 kBlankRow, kBlankRow}));
  EXPECT_EQ(rig.States(), (Rows{"....", "....", ".N..", ".D..", ".L..", "....", "....", "...."}));
  ExpectDrop(rig.field.Fallers()[0], 1, 4);
  ExpectDrop(rig.field.Erasers()[0], 1, 4);
  ExpectDrop(rig.field.Risers()[0], 1, 3);
}

TEST(RainStep, FallerLeavesItsLastTrailAndRespawnsInTheSameStep) {
  RainRig rig;
  rig.Configure(2, 0, 0, 0, {0, 7, 2, 7});  // both on the last row

  // First: trail 3 at (0,7), respawn column 3, row 3 mod 4 - 2 = 1 (visible, draws nothing).
  // Second: trail 6 at (2,7), respawn column 1, row 0 - 2 = -2.
  rig.Step({3, 3, 3, 6, 1, 0});
  EXPECT_EQ(rig.Picture(), (Rows{kBlankRow, kBlankRow, kBlankRow, kBlankRow, kBlankRow, kBlankRow, kBlankRow,
                                 "N3 . N6 ."}));
  ExpectDrop(rig.field.Fallers()[0], 3, 1);
  ExpectDrop(rig.field.Fallers()[1], 1, -2);

  // First: trail at its (empty) respawn row, head below. Second: row -1, nothing.
  rig.Step({4, 5});
  // First: trail and head. Second: row 0 has no row above for a trail, only the head.
  rig.Step({20, 21, 8});
  EXPECT_EQ(rig.Picture(), (Rows{". L8 . .", ". . . N4", ". . . N20", ". . . L21", kBlankRow, kBlankRow, kBlankRow,
                                 "N3 . N6 ."}));
}

TEST(RainStep, EraserSpendsOneStepBelowTheGridThenRestartsAbove) {
  RainRig rig;
  rig.Configure(0, 1, 0, 0, {1, 7});
  rig.PaintWhite();
  const Rows wipedLastRow{kWhiteRow, kWhiteRow, kWhiteRow, kWhiteRow, kWhiteRow, kWhiteRow, kWhiteRow, "W . W W"};

  rig.Step({});
  EXPECT_EQ(rig.Picture(), wipedLastRow);
  ExpectDrop(rig.field.Erasers()[0], 1, 8);

  rig.Step({2, 1});  // respawn: column 2, row -(1 mod 2); no move, no wipe
  EXPECT_EQ(rig.Picture(), wipedLastRow);
  ExpectDrop(rig.field.Erasers()[0], 2, -1);

  rig.Step({});  // above the grid: moves without wiping
  EXPECT_EQ(rig.Picture(), wipedLastRow);
  rig.Step({});
  Rows wipedTop = wipedLastRow;
  wipedTop[0] = "W W . W";
  EXPECT_EQ(rig.Picture(), wipedTop);
  ExpectDrop(rig.field.Erasers()[0], 2, 1);
}

TEST(RainStep, RiserDarkensLitCellsAndRespawnsWithoutDrawing) {
  RainRig rig;
  rig.Configure(1, 0, 1, 0, {0, 0, 0, 1});  // faller at (0,0), riser at (0,1)

  rig.Step({1, 2, 3});  // faller: trail 1 at (0,0), head 2 at (0,1); riser darkens (0,0), glyph 3
  rig.Step({4, 5, 1, 1});  // faller: trail 4, head 5; riser passes the top: column 1, row 8 + 1
  EXPECT_EQ(rig.Picture(), (Rows{"D3 . . .", "N4 . . .", "L5 . . .", kBlankRow, kBlankRow, kBlankRow, kBlankRow,
                                 kBlankRow}));
  ExpectDrop(rig.field.Risers()[0], 1, 9);

  rig.Step({6, 7});  // riser at row 8, still below the grid
  rig.Step({8, 9});  // riser at (1,7), an empty cell: nothing drawn
  ExpectDrop(rig.field.Risers()[0], 1, 7);
  EXPECT_EQ(rig.States()[7], "....");
}

TEST(RainStep, NoiseRedrawsOnlyLitCellsInsideTheGrid) {
  RainRig rig;
  rig.Configure(1, 0, 0, 1, {0, 5});  // faller at (0,5)

  rig.Step({3, 0, 0, 1, 2});  // a run of length 0 still draws its three values
  // Run from (0,5) of length 4: normal (0,5) and light (0,6) get glyphs 10 and 11; the
  // empty (0,7) and the row past the bottom draw nothing.
  rig.Step({0, 5, 4, 10, 11, 12, 13});
  EXPECT_EQ(rig.Picture(), (Rows{kBlankRow, kBlankRow, kBlankRow, kBlankRow, kBlankRow, "N10 . . .", "N12 . . .",
                                 "L13 . . ."}));
}

TEST(RainStep, AfterReconfiguringOldGlyphsStayUntilAnEraserPasses) {
  RainRig rig;
  rig.Configure(1, 0, 0, 0, {0, 0});
  rig.Step({1, 2});  // trail 1 at (0,0), head 2 at (0,1)

  rig.Configure(0, 1, 1, 1, {0, 0, 0, 2});  // eraser at (0,0), riser at (0,2)
  rig.Step({0, 0, 4});  // noise over the old glyphs and the riser at (0,1) draw nothing
  EXPECT_EQ(rig.Picture(), (Rows{kBlankRow, "L2 . . .", kBlankRow, kBlankRow, kBlankRow, kBlankRow, kBlankRow,
                                 kBlankRow}));
  rig.Step({0, 0, 4});
  EXPECT_EQ(rig.Picture(), Rows(8, kBlankRow));
}

TEST(RainStep, NoActorsAndNoNoiseDrawNothing) {
  for (const std::int32_t count : {0, -3}) {  // a negative count counts as none
    RainRig rig;
    rig.PaintWhite();
    rig.Configure(count, count, count, count, {});
    for (int i = 0; i < 3; ++i) rig.Step({});
    EXPECT_EQ(rig.Picture(), Rows(8, kWhiteRow)) << count;
    EXPECT_EQ(rig.States(), Rows(8, "....")) << count;
    EXPECT_TRUE(rig.field.Fallers().empty());
  }
}

TEST(RainStep, WithFewerThanFourRowsErasersAndRisersRestartAtTheEdge) {
  for (const std::int32_t height : {0, 3, 6}) {
    RainRig rig(6, height);
    const std::int32_t rows = height / kCellHeight + 1;
    SCOPED_TRACE(std::to_string(rows) + " rows");
    rig.Configure(0, 1, 1, 0, {1, static_cast<std::uint32_t>(rows - 1), 2, 0});
    ASSERT_EQ(rig.field.GridRows(), rows);

    rig.Step({3});  // the riser passes the top: only its column is drawn
    ExpectDrop(rig.field.Erasers()[0], 1, rows);
    ExpectDrop(rig.field.Risers()[0], 3, rows);

    rig.Step({0});  // the eraser restarts: only its column is drawn
    ExpectDrop(rig.field.Erasers()[0], 0, 0);
    ExpectDrop(rig.field.Risers()[0], 3, rows - 1);
  }
}

TEST(RainStep, UnconfiguredFieldStepsWithoutEffect) {
  RainRig rig;
  rig.Step({});
  rig.field.timer.Poll();
  EXPECT_EQ(rig.Picture(), Rows(8, kBlankRow));
}

TEST(RainStep, ConfigureRestartsThePacer) {
  FakeClock clock(1000);
  RainRig rig;
  rig.Configure(1, 0, 0, 0, {0, 3});
  rig.random.Expect({});
  clock.Set(1059);
  rig.field.timer.Poll();  // would fire at once had Configure not restarted the countdown
  rig.random.Expect({1, 2});
  clock.Set(1060);
  rig.field.timer.Poll();
  EXPECT_EQ(rig.random.Left(), 0u);
  EXPECT_EQ(rig.States()[4], "L...");
}

}  // namespace
