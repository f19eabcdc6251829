// A window's client area as 0x00BBGGRR pixels. Wine reads no pixels straight from a window
// DC, so the picture is copied into a bitmap of our own first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "engine/surface.h"

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;
  Color At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};
Picture ClientPicture(HWND window);
