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
  // Bits of `depth` outside the three masks (the alpha of a 32-bit visual) are set in every
  // pixel, so that a compositing server shows the rain opaque.
  PixelFormat(const Visual& visual, int depth);

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
  unsigned long opaque;
};

// The window the rain draws into, as its images need to know it.
struct WindowFormat {
  Display* display;
  Window window;
  Visual* visual;
  int depth;
  PixelFormat pixels;
};
