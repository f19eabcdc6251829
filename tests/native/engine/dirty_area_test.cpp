// What a window is shown after a step must hold every pixel the step changed, and the marks of
// one step must come out as few copies as pay: cells of one grid row side by side become one
// copy, cells far apart stay apart, and whole rows stacked up become one copy.
#include <gtest/gtest.h>

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

std::string Describe(const std::vector<PixelRect>& rects) {
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

TEST(DirtyArea, JoinsWhatIsCheaperToCopyThanToCallAgain) {
  const struct {
    const char* name;
    std::vector<Mark> marks;
    const char* expected;
  } cases[] = {
      {"nothing", {}, ""},
      // Marks are kept in columns of 8 pixels: a cell at x 20 to 29 shows columns 16 to 31.
      {"one cell", {{20, 30, 10, 15}}, "(16,30)-(32,45) "},
      {"a cell drawn twice", {{20, 30, 10, 15}, {20, 30, 10, 15}}, "(16,30)-(32,45) "},
      // 160 pixels of gap in a band 15 high are 2,400 pixels: still one copy; more are two.
      {"near in one row", {{0, 0, 10, 15}, {176, 0, 10, 15}}, "(0,0)-(192,15) "},
      {"far in one row", {{184, 0, 10, 15}, {0, 0, 10, 15}}, "(0,0)-(16,15) (184,0)-(200,15) "},
      {"rows below each other", {{0, 15, 100, 15}, {0, 0, 100, 15}, {0, 30, 90, 15}},
       "(0,0)-(104,45) "},
      {"cells of one column meet", {{20, 15, 10, 15}, {20, 0, 10, 15}, {300, 15, 10, 15}, {20, 30, 10, 15}},
       "(16,0)-(32,45) (296,15)-(312,30) "},
      {"rows with a gap between", {{0, 0, 100, 15}, {0, 30, 100, 15}}, "(0,0)-(104,15) (0,30)-(104,45) "},
      {"rows of two copies join by columns", {{0, 0, 10, 15}, {300, 0, 10, 15}, {0, 15, 10, 15}},
       "(0,0)-(16,30) (296,0)-(312,15) "},
      {"other columns stay apart", {{0, 0, 10, 15}, {300, 0, 10, 15}, {10, 15, 10, 15}},
       "(0,0)-(16,15) (296,0)-(312,15) (8,15)-(24,30) "},
      {"clipped at the edges", {{-5, -5, 10, 15}, {395, 295, 10, 15}}, "(0,0)-(8,10) (392,295)-(400,300) "},
      {"outside or empty", {{400, 0, 10, 15}, {0, -15, 10, 15}, {5, 5, 0, 15}, {5, 5, 10, -1}}, ""},
      {"same top, other height", {{0, 0, 10, 15}, {20, 0, 10, 6}}, "(0,0)-(16,15) (20,0)-(30,6) "},
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

// Steps of random cells of both sheet sizes, with the partly visible last row and column:
// every marked pixel is covered, nothing lies outside the picture, and no step needs more
// copies than it drew cells.
TEST(DirtyArea, CoversEveryMarkedPixelStepAfterStep) {
  const struct {
    std::int32_t width, height, cellWidth, cellHeight, cellsPerStep;
  } pictures[] = {{1024, 768, 10, 15, 300}, {1024, 768, 10, 15, 3}, {220, 165, 4, 6, 400}};
  std::mt19937 random(7);
  for (const auto& p : pictures) {
    SCOPED_TRACE(std::to_string(p.width) + "x" + std::to_string(p.height));
    DirtyArea area(p.width, p.height);
    std::vector<PixelRect> rects;
    const std::int32_t columns = p.width / p.cellWidth + 1, rows = p.height / p.cellHeight + 1;
    for (int step = 0; step < 20; ++step) {
      std::vector<bool> marked(static_cast<std::size_t>(p.width) * p.height), covered(marked.size());
      for (std::int32_t n = 0; n < p.cellsPerStep; ++n) {
        const std::int32_t x = static_cast<std::int32_t>(random() % columns) * p.cellWidth;
        const std::int32_t y = static_cast<std::int32_t>(random() % rows) * p.cellHeight;
        area.Add(x, y, p.cellWidth, p.cellHeight);
        for (std::int32_t py = y; py < std::min(p.height, y + p.cellHeight); ++py)
          for (std::int32_t px = x; px < std::min(p.width, x + p.cellWidth); ++px)
            marked[static_cast<std::size_t>(py) * p.width + px] = true;
      }
      area.Take(rects);
      ASSERT_LE(rects.size(), static_cast<std::size_t>(p.cellsPerStep));
      for (const PixelRect& r : rects) {
        ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= p.width && r.bottom <= p.height &&
                    r.left < r.right && r.top < r.bottom)
            << Describe({r});
        for (std::int32_t py = r.top; py < r.bottom; ++py)
          for (std::int32_t px = r.left; px < r.right; ++px) covered[static_cast<std::size_t>(py) * p.width + px] = true;
      }
      for (std::size_t i = 0; i < marked.size(); ++i)
        ASSERT_TRUE(!marked[i] || covered[i]) << "pixel " << i % p.width << "," << i / p.width << " not shown";
    }
  }
}

}  // namespace
