// Channels of 8 bits (the usual 24-bit visuals) map exactly; narrower ones keep the top bits.
#include "x11/pixel_format.h"

#include "base/exception.h"

PixelFormat::PixelFormat(const Visual& visual, int depth)
    : red(ChannelOf(visual.red_mask)),
      green(ChannelOf(visual.green_mask)),
      blue(ChannelOf(visual.blue_mask)),
      opaque((depth >= 32 ? ~0UL : (1UL << depth) - 1) & 0xFFFFFFFFUL &
             ~(visual.red_mask | visual.green_mask | visual.blue_mask)) {
  if ((visual.c_class != TrueColor && visual.c_class != DirectColor) || !red.bits || !green.bits || !blue.bits)
    throw Exception("the window's visual is not a true-colour one; Lumivex needs one");
}

PixelFormat::Channel PixelFormat::ChannelOf(unsigned long mask) {
  Channel channel;
  channel.mask = mask;
  if (!mask) return channel;
  while (!(mask >> channel.shift & 1)) ++channel.shift;
  while (mask >> (channel.shift + channel.bits) & 1) ++channel.bits;
  return channel;
}

unsigned long PixelFormat::Place(const Channel& channel, Color value) {
  const unsigned long scaled = channel.bits >= 8 ? static_cast<unsigned long>(value) << (channel.bits - 8)
                                                 : value >> (8 - channel.bits);
  return (scaled << channel.shift) & channel.mask;
}

Color PixelFormat::Take(const Channel& channel, unsigned long pixel) {
  const unsigned long value = (pixel & channel.mask) >> channel.shift;
  return static_cast<Color>(channel.bits >= 8 ? value >> (channel.bits - 8) : value << (8 - channel.bits));
}

unsigned long PixelFormat::ToPixel(Color color) const {
  return Place(red, color & 0xFF) | Place(green, color >> 8 & 0xFF) | Place(blue, color >> 16 & 0xFF) | opaque;
}

Color PixelFormat::ToColor(unsigned long pixel) const {
  return Take(red, pixel) | Take(green, pixel) << 8 | Take(blue, pixel) << 16;
}
