// The kept picture of a Wayland surface: whichever buffer is shown next, however many frames it
// missed while the compositor held it, shows exactly the picture, and the commit's damage covers
// every pixel that differs from the frame shown before.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/memory_image.h"
#include "wayland/kept_picture.h"

namespace {

constexpr std::int32_t kWidth = 97;   // not a multiple of the cells: the last ones are clipped
constexpr std::int32_t kHeight = 64;
constexpr std::int32_t kCellWidth = 10;
constexpr std::int32_t kCellHeight = 15;

using Pixels = std::vector<std::uint32_t>;

Pixels PictureOf(const KeptPicture& picture) {
  Pixels pixels;
  for (std::int32_t y = 0; y < kHeight; ++y)
    for (std::int32_t x = 0; x < kWidth; ++x) pixels.push_back(picture.GetPixel(x, y));
  return pixels;
}

bool Covered(const std::vector<PixelRect>& rects, std::int32_t x, std::int32_t y) {
  for (const PixelRect& r : rects)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

}  // namespace

TEST(KeptPictureTest, EveryShownBufferHoldsThePictureAndTheDamageCoversEveryChange) {
  MemoryImage sheet(kCellWidth, kCellHeight * 4);  // four glyphs of distinct pixels
  for (std::int32_t y = 0; y < sheet.Height(); ++y)
    for (std::int32_t x = 0; x < sheet.Width(); ++x) sheet.SetPixel(x, y, 0x00010203u * (y * 7 + x + 1));

  constexpr int kBuffers = 2;
  KeptPicture picture(kWidth, kHeight, kBuffers);
  std::vector<Pixels> buffers(kBuffers, Pixels(kWidth * kHeight, 0));
  Pixels shown(kWidth * kHeight, 0);
  std::mt19937 random(7);
  std::vector<PixelRect> damage;

  for (int frame = 0; frame < 300; ++frame) {
    // A step: a few glyphs and blanks at cell positions, the last column partly outside the picture.
    for (int change = 0; change < 1 + static_cast<int>(random() % 6); ++change) {
      const std::int32_t x = static_cast<std::int32_t>(random() % 10) * kCellWidth;
      const std::int32_t y = static_cast<std::int32_t>(random() % 5) * kCellHeight;
      if (random() % 3 == 0) {
        picture.FillRect(x, y, kCellWidth, kCellHeight);
      } else {
        picture.CopyFrom(sheet, 0, static_cast<std::int32_t>(random() % 4) * kCellHeight, kCellWidth, kCellHeight, x, y);
      }
    }
    // The compositor often still holds a buffer: then the frame is skipped, its changes wait.
    const int index = frame % kBuffers;
    if (random() % 3 == 0) continue;
    ASSERT_TRUE(picture.Changed());
    picture.UpdateBuffer(index, buffers[index].data(), kWidth);
    picture.TakeCommitDamage(damage);
    EXPECT_FALSE(picture.Changed());

    const Pixels expected = PictureOf(picture);
    ASSERT_EQ(buffers[index], expected) << "buffer " << index << " shows an older picture at frame " << frame;
    for (std::int32_t y = 0; y < kHeight; ++y)
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * kWidth + x;
        if (shown[at] != expected[at]) {
          ASSERT_TRUE(Covered(damage, x, y)) << "changed pixel " << x << "," << y << " not damaged at frame " << frame;
        }
      }
    for (const PixelRect& r : damage) {
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.right, kWidth);
      EXPECT_LE(r.bottom, kHeight);
    }
    shown = expected;
  }
}

TEST(KeptPictureTest, NothingDrawnNothingToCommit) {
  KeptPicture picture(40, 30, 2);
  EXPECT_FALSE(picture.Changed());
  picture.CopyFrom(MemoryImage(4, 4), 0, 0, 4, 4, 100, 100);  // wholly outside
  EXPECT_FALSE(picture.Changed());
  picture.FillRect(0, 0, 4, 6);
  EXPECT_TRUE(picture.Changed());
}
