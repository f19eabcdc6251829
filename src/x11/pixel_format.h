// How the rain's colours (0x00BBGGRR) become pixel values of the window's visual, and the
// facts about the target window that every image drawn onto it must share (same screen,
// same depth), so that a glyph is one server-side copy.
#pragma once

#include <X11/Xlib.h>

#include "engine/surface.h"

class PixelFormat {
 public:
  // Throws Exception for a visual without fixed red, green and blue masks (TrueColor or
  // DirectColor): the tinted glyphs need any colour, which a colour map cannot promise.
  explicit PixelFormat(const Visual& visual);

  unsigned long ToPixel(Color color) const;
  Color ToColor(unsigned long pixel) const;

 private:
  struct Channel {
    unsigned long mask = 0;
    int shift = 0;  // of the mask's lowest bit
    int bits = 0;   // in the mask
  };
  static Channel ChannelOf(unsigned long mask);
  static unsigned long Place(const Channel& channel, Color value);
  static Color Take(const Channel& channel, unsigned long pixel);

  Channel red, green, blue;
};

// The window the rain draws into, as its images need to know it.
struct WindowFormat {
  Display* display;
  Window window;
  Visual* visual;
  int depth;
  PixelFormat pixels;
};
