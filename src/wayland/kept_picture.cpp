// Every change is marked in each buffer's area and in the commit's: a buffer that is skipped
// for a few frames (still held by the compositor) collects all it missed and takes it at once.
#include "wayland/kept_picture.h"

#include <algorithm>
#include <cstring>

KeptPicture::KeptPicture(std::int32_t width, std::int32_t height, int buffers)
    : picture(width, height), sinceCommit(width, height) {
  for (int i = 0; i < buffers; ++i) sinceBuffer.emplace_back(width, height);
}

void KeptPicture::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  picture.FillRect(x, y, width, height);
  Mark(x, y, width, height);
}

void KeptPicture::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                           std::int32_t height, std::int32_t x, std::int32_t y) {
  picture.CopyFrom(source, sourceX, sourceY, width, height, x, y);
  Mark(x, y, width, height);
}

void KeptPicture::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  picture.SetPixel(x, y, color);
  Mark(x, y, 1, 1);
}

void KeptPicture::Mark(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  for (DirtyArea& area : sinceBuffer) area.Add(x, y, width, height);
  sinceCommit.Add(x, y, width, height);
}

void KeptPicture::UpdateBuffer(int index, std::uint32_t* pixels, std::int32_t stride) {
  sinceBuffer[static_cast<std::size_t>(index)].Take(rects);
  for (const PixelRect& rect : rects) {
    const std::size_t bytes = static_cast<std::size_t>(rect.right - rect.left) * sizeof(std::uint32_t);
    for (std::int32_t y = rect.top; y < rect.bottom; ++y)
      std::memcpy(pixels + static_cast<std::size_t>(y) * stride + rect.left, picture.Row(y) + rect.left, bytes);
  }
}

void KeptPicture::TakeCommitDamage(std::vector<PixelRect>& out) { sinceCommit.Take(out); }
