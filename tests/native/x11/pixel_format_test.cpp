// Colours (0x00BBGGRR) to pixels of the window's visual and back, for the layouts servers use:
// 24-bit BGR-in-a-word, its 32-bit form with alpha, 16-bit 5-6-5; and the refusal of a visual
// without fixed colour masks.
#include <gtest/gtest.h>

#include "base/exception.h"
#include "x11/pixel_format.h"

namespace {

Visual VisualOf(int visualClass, unsigned long red, unsigned long green, unsigned long blue) {
  Visual visual{};
  visual.c_class = visualClass;
  visual.red_mask = red;
  visual.green_mask = green;
  visual.blue_mask = blue;
  return visual;
}

struct Case {
  const char* name;
  Visual visual;
  int depth;
  Color color;
  unsigned long pixel;
  Color back;  // what the pixel reads back as
};

}  // namespace

TEST(PixelFormatTest, PlacesEachChannelInItsMaskAndReadsItBack) {
  const Visual rgb24 = VisualOf(TrueColor, 0xFF0000, 0x00FF00, 0x0000FF);
  const Visual bgr24 = VisualOf(TrueColor, 0x0000FF, 0x00FF00, 0xFF0000);
  const Visual rgb565 = VisualOf(TrueColor, 0xF800, 0x07E0, 0x001F);
  const Case cases[] = {
      {"24-bit", rgb24, 24, 0x0088FF88, 0x88FF88, 0x0088FF88},
      {"24-bit red low byte", rgb24, 24, 0x00302010, 0x102030, 0x00302010},
      {"24-bit blue first", bgr24, 24, 0x00302010, 0x302010, 0x00302010},
      {"32-bit with alpha", rgb24, 32, 0x00009000, 0xFF009000, 0x00009000},
      {"16-bit 5-6-5", rgb565, 16, 0x00FFFFFF, 0xFFFF, 0x00F8FCF8},
      {"16-bit 5-6-5 green", rgb565, 16, 0x00009000, 0x0480, 0x00009000},
      {"the top byte is no channel", rgb24, 24, 0xFF000000, 0x000000, 0x00000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PixelFormat format(c.visual, c.depth);
    EXPECT_EQ(format.ToPixel(c.color), c.pixel);
    EXPECT_EQ(format.ToColor(c.pixel), c.back);
  }
}

TEST(PixelFormatTest, RefusesAVisualWhoseColoursComeFromAColourMap) {
  EXPECT_THROW(PixelFormat(VisualOf(PseudoColor, 0, 0, 0), 8), Exception);
  EXPECT_THROW(PixelFormat(VisualOf(TrueColor, 0xFF0000, 0, 0x0000FF), 24), Exception);
}
