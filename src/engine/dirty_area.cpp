// A band is found by its top row in a table as tall as the picture, so marking is a lookup
// and a few bit operations; Take walks that table top to bottom, so nothing is sorted.
#include "engine/dirty_area.h"

#include <algorithm>

DirtyArea::DirtyArea(std::int32_t width, std::int32_t height)
    : width(std::max(0, width)),
      height(std::max(0, height)),
      words((static_cast<std::size_t>(this->width) + kColumnPixels * 64 - 1) / (kColumnPixels * 64)),
      bandAtTop(this->height, -1),
      lastAtColumn(static_cast<std::size_t>(this->width) / kColumnPixels + 1, -1) {}

void DirtyArea::Add(std::int32_t x, std::int32_t y, std::int32_t markWidth, std::int32_t markHeight) {
  const std::int32_t left = std::max(0, x);
  const std::int32_t top = std::max(0, y);
  const std::int32_t right = std::min(width, x + markWidth);
  const std::int32_t bottom = std::min(height, y + markHeight);
  if (left >= right || top >= bottom) return;

  std::int32_t index = bandAtTop[top];
  if (index < 0) {
    index = usedBands++;
    if (bands.size() < static_cast<std::size_t>(usedBands)) bands.push_back({0, std::vector<std::uint64_t>(words)});
    bands[index].bottom = bottom;
    bandAtTop[top] = index;
  }
  Band& band = bands[index];
  if (band.bottom != bottom) {
    others.push_back({left, top, right, bottom});
    return;
  }
  const std::int32_t last = (right - 1) / kColumnPixels;
  for (std::int32_t column = left / kColumnPixels; column <= last; ++column)
    band.columns[column / 64] |= std::uint64_t{1} << (column % 64);
}

void DirtyArea::Take(std::vector<PixelRect>& out) {
  out.clear();
  std::size_t lastBandStart = 0;
  for (std::int32_t top = 0; top < height && usedBands > 0; ++top) {
    const std::int32_t index = bandAtTop[top];
    if (index < 0) continue;
    TakeBand(top, bands[index], out, lastBandStart);
    bandAtTop[top] = -1;
    --usedBands;
  }
  JoinColumns(out);
  out.insert(out.end(), others.begin(), others.end());
  others.clear();
}

// Joins the band's runs of columns left to right, then joins the band with the one
// rectangle of the band right above it when both are one rectangle and the extra pixels
// are cheap enough. Leaves the band's columns clear.
void DirtyArea::TakeBand(std::int32_t top, Band& band, std::vector<PixelRect>& out, std::size_t& lastBandStart) {
  const std::int32_t bandHeight = band.bottom - top;
  const std::size_t start = out.size();
  for (std::size_t word = 0; word < words; ++word) {
    std::uint64_t bits = band.columns[word];
    band.columns[word] = 0;
    while (bits) {
      const std::int32_t first = static_cast<std::int32_t>(word * 64) + __builtin_ctzll(bits);
      const std::uint64_t run = bits >> (first % 64);
      const std::int32_t length = (~run == 0) ? 64 - first % 64 : __builtin_ctzll(~run);
      bits &= length + first % 64 >= 64 ? 0 : ~std::uint64_t{0} << (first % 64 + length);
      const std::int32_t left = first * kColumnPixels;
      const std::int32_t right = std::min(width, (first + length) * kColumnPixels);
      if (out.size() > start &&
          static_cast<std::int64_t>(left - out.back().right) * bandHeight <= kGapPixels) {
        out.back().right = right;
        continue;
      }
      out.push_back({left, top, right, band.bottom});
    }
  }

  const bool oneHere = out.size() == start + 1;
  const bool oneAbove = start > 0 && start == lastBandStart + 1;
  if (oneHere && oneAbove) {
    PixelRect& above = out[start - 1];
    const PixelRect& here = out[start];
    const std::int32_t left = std::min(above.left, here.left);
    const std::int32_t right = std::max(above.right, here.right);
    const std::int64_t extra =
        static_cast<std::int64_t>(right - left - (above.right - above.left)) * (above.bottom - above.top) +
        static_cast<std::int64_t>(right - left - (here.right - here.left)) * bandHeight;
    if (above.bottom == here.top && extra <= kGapPixels) {
      above = {left, above.top, right, here.bottom};
      out.pop_back();
      return;  // the joined rectangle stays the band above for the next band
    }
  }
  lastBandStart = start;
}

// The rectangles come top to bottom, so the one a rectangle can extend is the latest that
// starts at its column; it joins when it has the same columns and ends where this one begins.
void DirtyArea::JoinColumns(std::vector<PixelRect>& out) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const PixelRect here = out[i];
    std::int32_t& last = lastAtColumn[here.left / kColumnPixels];
    if (last >= 0 && out[last].right == here.right && out[last].bottom == here.top) {
      out[last].bottom = here.bottom;
      continue;
    }
    last = static_cast<std::int32_t>(kept);
    out[kept++] = here;
  }
  out.resize(kept);
  for (const PixelRect& r : out) lastAtColumn[r.left / kColumnPixels] = -1;
}
