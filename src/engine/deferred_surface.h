// A surface that holds the rain's cells back until they are shown. Each whole cell of the grid
// that is drawn (a glyph copied from a sheet, a cell filled with one colour) only notes what the
// cell now holds; Present then draws onto the target each cell whose note differs from what the
// target last got for it, once. A cell drawn several times between two presents (a head that
// became trail, a glyph re-rolled twice) costs the target one drawing, and a cell drawn back to
// what the target shows costs it none. What the target shows after a present is what drawing
// every call straight onto it would show.
//
// The grid is the size of the first whole cell drawn on a multiple of its own size (the rain
// draws nothing else). Anything else (another size, off the grid, a single pixel, a read)
// first presents what is held, then goes straight to the target. The images a held cell was
// copied from must live until the next Present; Forget drops the notes of what the target
// shows, for when those images go or the target is painted behind this surface's back.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/surface.h"

class DeferredSurface final : public Surface {
 public:
  // Draws onto `target`, which must outlive it; the target's picture is taken as unknown.
  explicit DeferredSurface(Surface& target);

  std::int32_t Width() const override { return target.Width(); }
  std::int32_t Height() const override { return target.Height(); }
  void SetFillColor(Color color) override;
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // A held cell differs from what the target shows.
  bool HasChanges() const { return !changed.empty(); }
  // Draws every held cell that differs from what the target shows onto the target.
  void Present();
  // The target's picture is no longer known (it was painted over, or the images its cells came
  // from are going): presents what is held first, then draws every cell afresh the next time it
  // is drawn. Also drops the grid, for a target of a new size.
  void Forget();

 private:
  // What a cell holds, in 32 bits so that the grid stays in the caches between steps (the steps
  // touch cells all over it): a slot of `sources` in the top bits and, for a copy, where in the
  // sheet the cell comes from (sourceY << kSheetBits | sourceX) in the others. 0: not known.
  using Content = std::uint32_t;
  static constexpr int kSheetBits = 12;
  static constexpr Content kOffsetMask = (Content{1} << 2 * kSheetBits) - 1;
  static constexpr int kSlotShift = 2 * kSheetBits;
  static constexpr Content kMostSlots = 127;  // the top bit is the cell's "listed" mark
  static constexpr Content kListed = Content{1} << 31;
  struct Source {
    const Image* image;  // null: a fill of `fill`
    Color fill;
  };
  struct Cell {
    Content held;   // what the rain drew last, with kListed while the cell is in `changed`
    Content shown;  // what the target last got
  };

  // Whether (x, y, width, height) is one cell of the grid, adopting the grid from it when there
  // is none yet; the cell's index goes to `index`.
  bool GridCell(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::size_t& index);
  // The slot of a source, added when new; 0 when the table is full.
  Content SlotOf(const Image* image, Color fill);
  void Hold(std::size_t index, Content content);
  // Presents what is held and forgets what the target shows in the rectangle: it is about to
  // be drawn there directly.
  void DrawDirectly(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

  Surface& target;
  Color fillColor = 0;
  Color targetFill = 0;
  bool targetFillKnown = false;
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  std::vector<Cell> cells;
  std::vector<std::uint32_t> changed;  // indices of listed cells, in the order they were first held
  std::vector<Source> sources;         // slot 0 unused: "not known"
  const Image* lastImage = nullptr;    // the latest source and its slot, since draws come in runs
  Content lastSlot = 0;
};
