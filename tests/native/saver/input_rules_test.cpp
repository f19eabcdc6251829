// The full-screen saver's reaction to input: which messages end it, how far the mouse may
// tremble (on every monitor, left and above the primary included, at every scale), and the settings reload
// on "LumivexInit".
#include "saver/input_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t kInitMessage = 0xC1A5;  // registered ids lie in 0xC000..0xFFFF
constexpr std::uint32_t kMouseMove = 0x0200;

TEST(RespondToInput, PressesAndActivationCloseOtherMessagesDoNothing) {
  struct Case {
    std::uint32_t message;
    const char* name;
    bool closes;
  };
  const Case cases[] = {
      {0x0006, "WM_ACTIVATE", true},      {0x001C, "WM_ACTIVATEAPP", true},
      {0x0086, "WM_NCACTIVATE", true},    {0x0100, "WM_KEYDOWN", true},
      {0x0104, "WM_SYSKEYDOWN", true},    {0x0201, "WM_LBUTTONDOWN", true},
      {0x0204, "WM_RBUTTONDOWN", true},   {0x0207, "WM_MBUTTONDOWN", true},
      {0x020B, "WM_XBUTTONDOWN", true},   {0x0246, "WM_POINTERDOWN", true},
      {0x020C, "WM_XBUTTONUP", false},    {0x0247, "WM_POINTERUP", false},
      {0x0245, "WM_POINTERUPDATE", false},
      {0x0000, "WM_NULL", false},         {0x000F, "WM_PAINT", false},
      {0x0101, "WM_KEYUP", false},        {0x0105, "WM_SYSKEYUP", false},
      {0x0102, "WM_CHAR", false},         {0x0106, "WM_SYSCHAR", false},
      {0x0113, "WM_TIMER", false},        {0x0202, "WM_LBUTTONUP", false},
      {0x0203, "WM_LBUTTONDBLCLK", false}, {0x0205, "WM_RBUTTONUP", false},
      {0x0206, "WM_RBUTTONDBLCLK", false}, {0x0208, "WM_MBUTTONUP", false},
      {0x0209, "WM_MBUTTONDBLCLK", false}, {0x020A, "WM_MOUSEWHEEL", false},
      {0x020E, "WM_MOUSEHWHEEL", false},   {0x00A0, "WM_NCMOUSEMOVE", false},
  };
  // The cursor is far from its start: only a mouse move may look at it.
  const CursorPoint start{100, 100};
  const CursorPoint farAway{900, 700};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const InputResponse response = RespondToInput(c.message, kInitMessage, farAway, start, 96);
    EXPECT_EQ(response.close, c.closes);
    EXPECT_FALSE(response.reloadSettings);
  }
}

// Five pixels at 96 DPI, five of the user's pixels at every scale: 5 x DPI / 96, rounded to the
// nearest pixel (half a pixel up), for the DPI of the monitor where the cursor started.
TEST(RespondToInput, MouseMoveClosesBeyondFivePixelsAtTheScaleOfTheStartMonitor) {
  struct Move {
    std::int32_t dpi;
    std::int32_t dx;
    std::int32_t dy;
    bool closes;
  };
  const Move moves[] = {
      {96, 0, 0, false},   {96, 5, 0, false},    {96, -5, 0, false},  {96, 0, 5, false},
      {96, 0, -5, false},  {96, 5, 5, false},    {96, -5, 5, false},  {96, 5, -5, false},
      {96, -5, -5, false}, {96, 6, 0, true},     {96, -6, 0, true},   {96, 0, 6, true},
      {96, 0, -6, true},   {96, 6, -6, true},    {96, 6, 5, true},    {96, -5, -6, true},
      {96, 400, 0, true},
      {120, 6, -6, false},  {120, 7, 0, true},    {120, 0, -7, true},   // 6.25
      {144, 8, 8, false},   {144, -9, 0, true},   {144, 0, 9, true},    // 7.5
      {168, 9, -9, false},  {168, 0, 10, true},   {168, -10, 3, true},  // 8.75
      {192, 10, -10, false}, {192, 11, 0, true},  {192, 0, -11, true},  // 10
      {240, 13, 0, false},  {240, 0, 14, true},                         // 12.5
      {288, 15, 15, false}, {288, -16, 0, true},  {288, 0, 16, true},   // 15
      {0, 5, 5, false},     {0, 6, 0, true},      // not known: as at 96
  };
  // Starts on the primary monitor, on monitors left of and above it, and astride the
  // origin, where a sign lost on reading would turn a tremble into a long move.
  const CursorPoint starts[] = {{0, 0}, {960, 540}, {-1920, 300}, {200, -1080},
                                {-2560, -1440}, {-3, 2}};
  for (const CursorPoint start : starts) {
    for (const Move& m : moves) {
      SCOPED_TRACE(testing::Message() << "start (" << start.x << ", " << start.y << ") at " << m.dpi
                                      << " DPI moved by (" << m.dx << ", " << m.dy << ")");
      const CursorPoint now{start.x + m.dx, start.y + m.dy};
      const InputResponse response = RespondToInput(kMouseMove, kInitMessage, now, start, m.dpi);
      EXPECT_EQ(response.close, m.closes);
      EXPECT_FALSE(response.reloadSettings);
    }
  }
}

TEST(RespondToInput, MouseMoveAcrossTheWholeCoordinateRangeCloses) {
  const CursorPoint low{INT32_MIN, INT32_MIN};
  const CursorPoint high{INT32_MAX, INT32_MAX};
  EXPECT_TRUE(RespondToInput(kMouseMove, kInitMessage, high, low, 288).close);
  EXPECT_TRUE(RespondToInput(kMouseMove, kInitMessage, low, high, 288).close);
}

TEST(RespondToInput, LumivexInitReloadsWithoutClosing) {
  const CursorPoint start{10, 10};
  const CursorPoint farAway{500, 500};
  const InputResponse response = RespondToInput(kInitMessage, kInitMessage, farAway, start, 96);
  EXPECT_TRUE(response.reloadSettings);
  EXPECT_FALSE(response.close);
}

// The reload comes first and the number is then still judged as any other: an id that
// happened to equal a closing message would do both.
TEST(RespondToInput, ReloadIsDecidedBeforeTheClosingRules) {
  const CursorPoint start{10, 10};
  const InputResponse response = RespondToInput(0x0100, 0x0100, start, start, 96);
  EXPECT_TRUE(response.reloadSettings);
  EXPECT_TRUE(response.close);
}

// A failed registration leaves the id 0; WM_NULL (0) must not then reload the settings.
TEST(RespondToInput, UnregisteredInitMessageMatchesNothing) {
  const CursorPoint start{10, 10};
  const InputResponse response = RespondToInput(0x0000, 0, start, start, 96);
  EXPECT_FALSE(response.reloadSettings);
  EXPECT_FALSE(response.close);
}

}  // namespace
