// The parts of a kept picture that changed since it was last shown on screen. The rain marks
// each cell it draws; showing the change then takes a few rectangles instead of one copy per
// cell, because a copy onto a window costs far more per call than per pixel. Since the kept
// picture is right everywhere, a rectangle may cover unchanged pixels too: marks are kept per
// pixel band (the same top and bottom, as the cells of one grid row have) in columns of 8
// pixels, runs in a band are joined when the pixels between them are cheaper to copy than
// another call, bands that end up as one rectangle are joined downwards on the same rule, and
// rectangles of the same columns that meet top to bottom become one (a head and its trail, a
// noise run).
#pragma once

#include <cstdint>
#include <vector>

struct PixelRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

class DirtyArea {
 public:
  // Pixels of an unchanged gap worth copying to save one more copy call: a copy call onto a
  // window under Wine costs about as much as copying 2,400 more pixels in one call.
  static constexpr std::int32_t kGapPixels = 2400;
  // Width of the columns in which a band keeps its marks.
  static constexpr std::int32_t kColumnPixels = 8;

  // A picture of width x height pixels (negative sizes count as 0).
  DirtyArea(std::int32_t width, std::int32_t height);

  // Marks a rectangle; the part outside the picture is dropped, an empty one ignored.
  void Add(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void AddAll() { Add(0, 0, width, height); }
  bool Empty() const { return usedBands == 0 && others.empty(); }
  // Replaces `out` with rectangles, top to bottom, that cover every marked pixel and stay
  // inside the picture, and empties the area. Keeps its buffers, so a steady stream of marks
  // allocates nothing.
  void Take(std::vector<PixelRect>& out);

 private:
  struct Band {
    std::int32_t bottom = 0;
    std::vector<std::uint64_t> columns;  // one bit per column of kColumnPixels
  };

  void TakeBand(std::int32_t top, Band& band, std::vector<PixelRect>& out, std::size_t& lastBandStart);
  void JoinColumns(std::vector<PixelRect>& out);

  std::int32_t width;
  std::int32_t height;
  std::size_t words;                  // 64-bit words of one band's columns
  std::vector<std::int32_t> bandAtTop;  // index into bands by top pixel row, -1 for none
  std::vector<Band> bands;            // bands[0 .. usedBands) are in use
  std::int32_t usedBands = 0;
  std::vector<PixelRect> others;      // marks whose top is taken by a band of another height
  std::vector<std::int32_t> lastAtColumn;  // JoinColumns: latest rectangle by its first column
};
