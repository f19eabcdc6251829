// The parts of a kept picture that changed since it was last shown on screen. The rain marks
// each cell it draws; showing the change then takes some rectangles instead of one copy per
// cell, because a copy onto a window costs more per call and per row than per pixel. Since the
// kept picture is right everywhere, a rectangle may cover unchanged pixels too, and the area
// chooses its rectangles by what they cost to show:
// - marks are kept per pixel band (the same top and bottom, as the cells of one grid row
//   have), exact to the pixel, so a rectangle never carries the edge of a cell it did not mark;
// - the runs of a band are joined when the unchanged pixels between them cost less to show
//   than another call with its rows;
// - a rectangle grows downwards into the next band when the pixels that the larger rectangle
//   adds cost less than the call it saves (a head and its trail, a noise run, whole rows).
// So a quiet step is shown cell by cell and a busy one in a few large copies, whatever the
// size of the cells.
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
  // What showing a rectangle costs, in pixels copied: measured under Wine (composing it from
  // the cells and copying it onto the window), one more copy call costs about as much as 1,000
  // pixels more, and each of its rows about 75, since every row starts a copy per cell and one
  // onto the window, on a line of the window's pixels that is seldom in the caches.
  static constexpr std::int64_t kCallPixels = 1000;
  static constexpr std::int64_t kRowPixels = 75;

  // A picture of width x height pixels (negative sizes count as 0).
  DirtyArea(std::int32_t width, std::int32_t height);

  // Marks a rectangle; the part outside the picture is dropped, an empty one ignored.
  void Add(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  void AddAll() { Add(0, 0, width, height); }
  bool Empty() const { return usedBands == 0 && others.empty(); }
  // Replaces `out` with rectangles, in no particular order, that cover every marked pixel and
  // stay inside the picture, and empties the area. Keeps its buffers, so a steady stream of
  // marks allocates nothing.
  void Take(std::vector<PixelRect>& out);

 private:
  struct Band {
    std::int32_t bottom = 0;
    std::vector<std::uint64_t> pixels;  // one bit per pixel column
    std::size_t firstWord = 0;          // the words of `pixels` that may hold a mark
    std::size_t endWord = 0;
  };

  // Joins the band's runs of pixels left to right into `runs`; leaves the band's bits clear.
  void TakeRuns(std::int32_t top, Band& band);
  // Extends the rectangles that end at `top` with the band's runs where that pays, and moves
  // those that can no longer grow to `out`.
  void GrowDown(std::int32_t top, std::vector<PixelRect>& out);

  std::int32_t width;
  std::int32_t height;
  std::size_t words;                    // 64-bit words of one band's pixel columns
  std::vector<std::int32_t> bandAtTop;  // index into bands by top pixel row, -1 for none
  std::vector<Band> bands;              // bands[0 .. usedBands) are in use
  std::int32_t usedBands = 0;
  std::vector<PixelRect> others;        // marks whose top is taken by a band of another height
  // Take's buffers: the band's joined runs, the rectangles that may still grow downwards (by
  // their left), and the next band's.
  std::vector<PixelRect> runs;
  std::vector<PixelRect> open;
  std::vector<PixelRect> nextOpen;
  std::vector<bool> grown;              // per rectangle of `open`: extended into this band
};
