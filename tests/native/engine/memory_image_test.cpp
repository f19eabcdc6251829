// The memory image must draw like a window's surface: rectangles that hang over an edge
// are clipped, never wrapped into the next row or written outside the pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/exception.h"
#include "engine/memory_image.h"

namespace {

// One character per pixel: '.' black, otherwise 'a' + (colour - 1).
std::vector<std::string> Pixels(const MemoryImage& image) {
  std::vector<std::string> rows;
  for (std::int32_t y = 0; y < image.Height(); ++y) {
    std::string row;
    for (std::int32_t x = 0; x < image.Width(); ++x) {
      const Color pixel = image.GetPixel(x, y);
      row += pixel == 0 ? '.' : static_cast<char>('a' + pixel - 1);
    }
    rows.push_back(row);
  }
  return rows;
}

// A 3 x 2 source holding colours 1..6 ("abc" over "def").
MemoryImage Source() {
  MemoryImage source(3, 2);
  for (std::int32_t i = 0; i < 6; ++i) source.SetPixel(i % 3, i / 3, static_cast<Color>(i + 1));
  return source;
}

TEST(MemoryImage, CopyClipsAgainstBothImages) {
  const struct {
    const char* name;
    std::int32_t sourceX, sourceY, width, height, x, y;
    std::vector<std::string> expected;
  } cases[] = {
      {"inside", 0, 0, 3, 2, 1, 1, {"....", ".abc", ".def"}},
      {"over the right and bottom edges", 0, 0, 3, 2, 2, 2, {"....", "....", "..ab"}},
      {"over the left and top edges", 0, 0, 3, 2, -1, -1, {"ef..", "....", "...."}},
      {"from outside the source", -1, 1, 5, 5, 0, 0, {".def", "....", "...."}},
      {"part of the source", 1, 0, 1, 2, 3, 0, {"...b", "...e", "...."}},
      {"empty", 0, 0, 0, 2, 0, 0, {"....", "....", "...."}},
      {"wholly outside", 0, 0, 3, 2, 4, 0, {"....", "....", "...."}},
  };
  for (const auto& test : cases) {
    MemoryImage target(4, 3);
    target.CopyFrom(Source(), test.sourceX, test.sourceY, test.width, test.height, test.x, test.y);
    EXPECT_EQ(Pixels(target), test.expected) << test.name;
  }
}

TEST(MemoryImage, CopyWithinOneImageHandlesOverlap) {
  MemoryImage image(3, 3);
  for (std::int32_t i = 0; i < 9; ++i) image.SetPixel(i % 3, i / 3, static_cast<Color>(i + 1));
  const MemoryImage original = image;
  image.CopyFrom(image, 0, 0, 3, 2, 0, 1);  // down by one row
  EXPECT_EQ(Pixels(image), (std::vector<std::string>{"abc", "abc", "def"}));
  image = original;
  image.CopyFrom(image, 0, 0, 2, 3, 1, 0);  // right by one column
  EXPECT_EQ(Pixels(image), (std::vector<std::string>{"aab", "dde", "ggh"}));
  image = original;
  image.CopyFrom(image, 0, 1, 3, 2, 0, 0);  // up by one row
  EXPECT_EQ(Pixels(image), (std::vector<std::string>{"def", "ghi", "ghi"}));
}

TEST(MemoryImage, FillAndPixelsStayInsideTheImage) {
  MemoryImage image(4, 3);
  image.SetFillColor(2);
  image.FillRect(-2, 1, 4, 9);
  image.SetFillColor(3);
  image.FillRect(3, -1, 5, 2);
  image.FillRect(1, 0, -1, 3);  // negative width fills nothing
  image.SetPixel(4, 0, 1);
  image.SetPixel(-1, 2, 1);
  EXPECT_EQ(Pixels(image), (std::vector<std::string>{"...c", "bb..", "bb.."}));
  EXPECT_EQ(image.GetPixel(4, 0), kInvalidColor);
  EXPECT_EQ(image.GetPixel(0, -1), kInvalidColor);
}

TEST(MemoryImageFactory, HandsOutCopiesOfRegisteredImages) {
  MemoryImageFactory images;
  images.AddResource("SHEET", Source());
  std::unique_ptr<Image> first = images.LoadResource("SHEET");
  first->SetPixel(0, 0, 9);
  EXPECT_EQ(images.LoadResource("SHEET")->GetPixel(0, 0), 1u);
  try {
    images.LoadResource("sheet");
    ADD_FAILURE() << "loaded an unregistered name";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Resource sheet not found");
  }
}

}  // namespace
