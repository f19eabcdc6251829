// Reading Xft.dpi out of the server's resource database text.
#include <gtest/gtest.h>

#include "x11/dpi_resource.h"

TEST(DpiResourceTest, FindsXftDpiAmongTheResources) {
  const struct {
    const char* resources;
    double dpi;
  } cases[] = {
      {nullptr, 0},
      {"", 0},
      {"Xft.dpi:\t192\n", 192},
      {"Xcursor.size:\t24\nXft.dpi:\t144\nXft.antialias:\t1\n", 144},
      {"Xft.dpi : 120.5", 120.5},                 // blanks around the colon, no final newline
      {"Xft.dpi:\t96\nXft.dpi:\t192\n", 192},     // the last line for a name wins
      {"Xft.dpi:\tlarge\n", 0},
      {"Xft.dpi:\t-10\n", 0},
      {"Xft.dpi:\t\n", 0},
      {"*.dpi:\t192\nXft.dpis:\t192\nmyXft.dpi:\t192\n", 0},  // only the name itself
  };
  for (const auto& c : cases) EXPECT_EQ(XftDpiOf(c.resources), c.dpi) << (c.resources ? c.resources : "(null)");
}
