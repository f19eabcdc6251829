// What a window is shown after a step must hold every pixel the step changed, and the marks of
// one step must come out as the copies that cost least to show: cells of one grid row close
// together become one copy, cells far apart stay apart, and rectangles stacked up become one
// copy when that adds few pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/dirty_area.h"

namespace {

struct Mark {
  std::int32_t x, y, width, height;
};

// The rectangles by their top, then their left.
std::string Describe(std::vector<PixelRect> rects) {
  std::sort(rects.begin(), rects.end(),
            [](const PixelRect& a, const PixelRect& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
  std::string text;
  for (const PixelRect& r : rects)
    text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
            std::to_string(r.bottom) + ") ";
  return text;
}

std::vector<PixelRect> Taken(DirtyArea& area) {
  std::vector<PixelRect> rects;
  area.Take(rects);
  return rects;
}

// The widest gap between two runs of a band `height` high that is still shown in one copy.
std::int32_t WidestJoinedGap(std::int32_t height) {
  return static_cast<std::int32_t>((DirtyArea::kCallPixels + height * DirtyArea::kRowPixels) / height);
}

TEST(DirtyArea, JoinsWhatIsCheaperToCopyThanToCallAgain) {
  const std::int32_t near15 = WidestJoinedGap(15), near30 = WidestJoinedGap(30);
  ASSERT_LT(near30, near15) << "a taller band should join less far";
  const std::string joined15 = "(0,0)-(" + std::to_string(20 + near15) + ",15) ";
  const std::string apart15 = "(0,0)-(10,15) (" + std::to_string(11 + near15) + ",0)-(" + std::to_string(21 + near15) + ",15) ";
  const std::string apart30 = "(0,0)-(20,30) (" + std::to_string(20 + near15) + ",0)-(" + std::to_string(40 + near15) + ",30) ";
  const struct {
    const char* name;
    std::vector<Mark> marks;
    std::string expected;
  } cases[] = {
      {"nothing", {}, ""},
      {"one cell, to the pixel", {{20, 30, 10, 15}}, "(20,30)-(30,45) "},
      {"a cell drawn twice", {{20, 30, 10, 15}, {20, 30, 10, 15}}, "(20,30)-(30,45) "},
      {"across words of columns", {{60, 0, 10, 15}, {120, 15, 200, 15}}, "(60,0)-(70,15) (120,15)-(320,30) "},
      {"near in one row", {{10 + near15, 0, 10, 15}, {0, 0, 10, 15}}, joined15},
      {"far in one row", {{11 + near15, 0, 10, 15}, {0, 0, 10, 15}}, apart15},
      {"as far in a taller row", {{0, 0, 20, 30}, {20 + near15, 0, 20, 30}}, apart30},
      {"rows below each other", {{0, 15, 100, 15}, {0, 0, 100, 15}, {0, 30, 90, 15}}, "(0,0)-(100,45) "},
      {"cells of one column meet", {{20, 15, 10, 15}, {20, 0, 10, 15}, {300, 15, 10, 15}, {20, 30, 10, 15}},
       "(20,0)-(30,45) (300,15)-(310,30) "},
      {"a head beside its trail", {{0, 0, 10, 15}, {10, 15, 10, 15}}, "(0,0)-(20,30) "},
      {"rows with a gap between", {{0, 0, 100, 15}, {0, 30, 100, 15}}, "(0,0)-(100,15) (0,30)-(100,45) "},
      {"a cell under a whole row", {{0, 0, 400, 15}, {0, 15, 10, 15}}, "(0,0)-(400,15) (0,15)-(10,30) "},
      {"stacked cells join the one above", {{0, 0, 10, 15}, {300, 0, 10, 15}, {0, 15, 10, 15}, {310, 15, 10, 15}},
       "(0,0)-(10,30) (300,0)-(320,30) "},
      {"clipped at the edges", {{-5, -5, 10, 15}, {395, 295, 10, 15}}, "(0,0)-(5,10) (395,295)-(400,300) "},
      {"outside or empty", {{400, 0, 10, 15}, {0, -15, 10, 15}, {5, 5, 0, 15}, {5, 5, 10, -1}}, ""},
      {"same top, other height", {{0, 0, 10, 15}, {20, 0, 10, 6}}, "(0,0)-(10,15) (20,0)-(30,6) "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DirtyArea area(400, 300);
    for (const Mark& m : c.marks) area.Add(m.x, m.y, m.width, m.height);
    EXPECT_EQ(Describe(Taken(area)), c.expected);
    EXPECT_TRUE(area.Empty());
    EXPECT_EQ(Describe(Taken(area)), "");
  }
}

// One rectangle, also where a band's columns fill more than one 64-bit word.
TEST(DirtyArea, AllMarksTheWholePicture) {
  for (const auto& [width, height, expected] : {std::tuple{321, 7, "(0,0)-(321,7) "},
                                                std::tuple{1025, 3, "(0,0)-(1025,3) "}}) {
    DirtyArea area(width, height);
    area.AddAll();
    EXPECT_FALSE(area.Empty());
    EXPECT_EQ(Describe(Taken(area)), expected);
  }
}

std::int64_t CostToShow(const PixelRect& r) {
  return DirtyArea::kCallPixels + (r.bottom - r.top) * (DirtyArea::kRowPixels + (r.right - r.left));
}

// Steps of random cells of several sizes, with the partly visible last row and column: every
// marked pixel is covered, nothing lies outside the picture, and the copies never cost more to
// show than one copy per marked cell would.
TEST(DirtyArea, CoversEveryMarkedPixelStepAfterStep) {
  const struct {
    std::int32_t width, height, cellWidth, cellHeight, cellsPerStep;
  } pictures[] = {{1024, 768, 10, 15, 300}, {1024, 768, 10, 15, 3},   {220, 165, 4, 6, 400},
                  {1280, 960, 13, 19, 400}, {2048, 1536, 20, 30, 60}, {2048, 1536, 20, 30, 1500}};
  std::mt19937 random(7);
  for (const auto& p : pictures) {
    SCOPED_TRACE(std::to_string(p.width) + "x" + std::to_string(p.height) + " by " + std::to_string(p.cellWidth) +
                 "x" + std::to_string(p.cellHeight) + ", " + std::to_string(p.cellsPerStep) + " cells");
    DirtyArea area(p.width, p.height);
    std::vector<PixelRect> rects, cells;
    const std::int32_t columns = p.width / p.cellWidth + 1, rows = p.height / p.cellHeight + 1;
    for (int step = 0; step < 20; ++step) {
      std::vector<bool> marked(static_cast<std::size_t>(p.width) * p.height), covered(marked.size());
      cells.clear();
      for (std::int32_t n = 0; n < p.cellsPerStep; ++n) {
        const std::int32_t x = static_cast<std::int32_t>(random() % columns) * p.cellWidth;
        const std::int32_t y = static_cast<std::int32_t>(random() % rows) * p.cellHeight;
        area.Add(x, y, p.cellWidth, p.cellHeight);
        const PixelRect cell{x, y, std::min(p.width, x + p.cellWidth), std::min(p.height, y + p.cellHeight)};
        if (cell.top >= cell.bottom || marked[static_cast<std::size_t>(y) * p.width + x]) continue;  // drawn twice
        cells.push_back(cell);
        for (std::int32_t py = cell.top; py < cell.bottom; ++py)
          for (std::int32_t px = cell.left; px < cell.right; ++px) marked[static_cast<std::size_t>(py) * p.width + px] = true;
      }
      area.Take(rects);
      std::int64_t cost = 0, cellByCell = 0;
      for (const PixelRect& r : rects) {
        ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= p.width && r.bottom <= p.height &&
                    r.left < r.right && r.top < r.bottom)
            << Describe({r});
        cost += CostToShow(r);
        for (std::int32_t py = r.top; py < r.bottom; ++py)
          for (std::int32_t px = r.left; px < r.right; ++px) covered[static_cast<std::size_t>(py) * p.width + px] = true;
      }
      for (const PixelRect& cell : cells) cellByCell += CostToShow(cell);
      for (std::size_t i = 0; i < marked.size(); ++i)
        ASSERT_TRUE(!marked[i] || covered[i]) << "pixel " << i % p.width << "," << i / p.width << " not shown";
      EXPECT_LE(cost, cellByCell) << "step " << step << ": " << rects.size() << " copies for " << cells.size()
                                  << " cells";
    }
  }
}

}  // namespace
