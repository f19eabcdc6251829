// A band is found by its top row in a table as tall as the picture, so marking is a lookup
// and a few word operations; Take walks that table top to bottom, so the bands come in order
// and only the rectangles that end right above a band can grow into it.
#include "engine/dirty_area.h"

#include <algorithm>

namespace {

std::int64_t Area(const PixelRect& r) {
  return static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// What showing `a` and `b` as one rectangle saves over showing them apart, in pixels: the call
// and the rows it saves less the pixels the larger rectangle adds. Pixels the two share count
// as saved, since apart they would be shown twice.
std::int64_t JoinGain(const PixelRect& a, const PixelRect& b) {
  const PixelRect both = Union(a, b);
  const PixelRect shared{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                         std::min(a.bottom, b.bottom)};
  const std::int64_t sharedArea = shared.left < shared.right && shared.top < shared.bottom ? Area(shared) : 0;
  const std::int64_t rowsSaved = (a.bottom - a.top) + (b.bottom - b.top) - (both.bottom - both.top);
  return DirtyArea::kCallPixels + DirtyArea::kRowPixels * rowsSaved - (Area(both) - Area(a) - Area(b) + sharedArea);
}

}  // namespace

DirtyArea::DirtyArea(std::int32_t width, std::int32_t height)
    : width(std::max(0, width)),
      height(std::max(0, height)),
      words((static_cast<std::size_t>(this->width) + 63) / 64),
      bandAtTop(this->height, -1) {}

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
    bands[index].firstWord = words;
    bands[index].endWord = 0;
    bandAtTop[top] = index;
  }
  Band& band = bands[index];
  if (band.bottom != bottom) {
    others.push_back({left, top, right, bottom});
    return;
  }
  const std::size_t first = static_cast<std::size_t>(left) / 64;
  const std::size_t last = static_cast<std::size_t>(right - 1) / 64;
  band.firstWord = std::min(band.firstWord, first);
  band.endWord = std::max(band.endWord, last + 1);
  const std::uint64_t fromLeft = ~std::uint64_t{0} << (left % 64);
  const std::uint64_t toRight = ~std::uint64_t{0} >> (63 - (right - 1) % 64);
  if (first == last) {
    band.pixels[first] |= fromLeft & toRight;
    return;
  }
  band.pixels[first] |= fromLeft;
  for (std::size_t word = first + 1; word < last; ++word) band.pixels[word] = ~std::uint64_t{0};
  band.pixels[last] |= toRight;
}

void DirtyArea::Take(std::vector<PixelRect>& out) {
  out.clear();
  open.clear();
  for (std::int32_t top = 0; top < height && usedBands > 0; ++top) {
    const std::int32_t index = bandAtTop[top];
    if (index < 0) continue;
    TakeRuns(top, bands[index]);
    GrowDown(top, out);
    bandAtTop[top] = -1;
    --usedBands;
  }
  out.insert(out.end(), open.begin(), open.end());
  out.insert(out.end(), others.begin(), others.end());
  others.clear();
}

void DirtyArea::TakeRuns(std::int32_t top, Band& band) {
  runs.clear();
  // Side by side in one band, two runs `gap` apart pay to join when gap x height pixels cost
  // less than a call and the band's rows (JoinGain for runs of one band).
  const std::int32_t rows = band.bottom - top;
  const std::int64_t widestGap = (kCallPixels + kRowPixels * rows) / rows;
  const auto addRun = [&](std::int32_t left, std::int32_t right) {
    if (!runs.empty() && left - runs.back().right <= widestGap)
      runs.back().right = right;
    else
      runs.push_back({left, top, right, band.bottom});
  };
  // One pass over the words: a run may go on from one word into the next.
  std::int32_t runLeft = -1;
  for (std::size_t word = band.firstWord; word < band.endWord; ++word) {
    const std::uint64_t bits = band.pixels[word];
    band.pixels[word] = 0;
    const std::int32_t base = static_cast<std::int32_t>(word * 64);
    for (std::int32_t at = 0; at < 64;) {
      const std::uint64_t ahead = (runLeft < 0 ? bits : ~bits) >> at;
      if (ahead == 0) break;
      at += __builtin_ctzll(ahead);
      if (runLeft < 0) {
        runLeft = base + at;
      } else {
        addRun(runLeft, base + at);
        runLeft = -1;
      }
    }
  }
  if (runLeft >= 0) addRun(runLeft, std::min(width, static_cast<std::int32_t>(band.endWord * 64)));
}

// Each run joins the rectangle above it that it pays most to join, if any; each rectangle above
// takes at most one run. Both lists go by their left edges, so the rectangles above that lie
// too far to the left of a run are passed for good.
void DirtyArea::GrowDown(std::int32_t top, std::vector<PixelRect>& out) {
  nextOpen.clear();
  grown.assign(open.size(), false);
  std::size_t first = 0;
  for (const PixelRect& run : runs) {
    // A rectangle above that lies `gap` to the side of the run adds at least gap pixels to each
    // of the run's rows and its own when joined, and saves no row: past this it never pays.
    const std::int64_t farthest = kCallPixels / (run.bottom - run.top + 1);
    while (first < open.size() && open[first].right + farthest < run.left) ++first;
    std::int64_t bestGain = -1;
    std::size_t best = open.size();
    for (std::size_t i = first; i < open.size() && open[i].left <= run.right + farthest; ++i) {
      if (grown[i] || open[i].bottom != top) continue;
      const std::int64_t gain = JoinGain(open[i], run);
      if (gain > bestGain) {
        bestGain = gain;
        best = i;
      }
    }
    if (best == open.size()) {
      nextOpen.push_back(run);
    } else {
      grown[best] = true;
      nextOpen.push_back(Union(open[best], run));
    }
  }
  for (std::size_t i = 0; i < open.size(); ++i)
    if (!grown[i]) out.push_back(open[i]);
  open.swap(nextOpen);
  // A rectangle that grew may now start left of the one before it; the list is nearly in order.
  for (std::size_t i = 1; i < open.size(); ++i)
    for (std::size_t j = i; j > 0 && open[j].left < open[j - 1].left; --j) std::swap(open[j], open[j - 1]);
}
