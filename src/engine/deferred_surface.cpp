#include "engine/deferred_surface.h"

#include <algorithm>

DeferredSurface::DeferredSurface(Surface& target) : target(target), sources(1, Source{nullptr, 0}) {}

void DeferredSurface::SetFillColor(Color color) { fillColor = color; }

void DeferredSurface::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  std::size_t index = 0;
  if (GridCell(x, y, width, height, index)) {
    if (const Content slot = SlotOf(nullptr, fillColor)) {
      Hold(index, slot << kSlotShift);
      return;
    }
  }
  DrawDirectly(x, y, width, height);
  target.SetFillColor(fillColor);
  targetFill = fillColor;
  targetFillKnown = true;
  target.FillRect(x, y, width, height);
}

void DeferredSurface::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                               std::int32_t height, std::int32_t x, std::int32_t y) {
  std::size_t index = 0;
  constexpr std::int32_t kSheetLimit = 1 << kSheetBits;
  if (sourceX >= 0 && sourceY >= 0 && sourceX < kSheetLimit && sourceY < kSheetLimit &&
      GridCell(x, y, width, height, index)) {
    if (const Content slot = SlotOf(&source, 0)) {
      Hold(index, slot << kSlotShift | static_cast<Content>(sourceY) << kSheetBits | static_cast<Content>(sourceX));
      return;
    }
  }
  DrawDirectly(x, y, width, height);
  target.CopyFrom(source, sourceX, sourceY, width, height, x, y);
}

// A read must see every drawing made before it; presenting is what a read of the target costs
// anyway (the held cells would have been drawn there).
Color DeferredSurface::GetPixel(std::int32_t x, std::int32_t y) const {
  const_cast<DeferredSurface*>(this)->Present();
  return target.GetPixel(x, y);
}

void DeferredSurface::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  DrawDirectly(x, y, 1, 1);
  target.SetPixel(x, y, color);
}

void DeferredSurface::Present() {
  for (const std::uint32_t index : changed) {
    Cell& cell = cells[index];
    const Content held = cell.held & ~kListed;
    cell.held = held;
    if (held == cell.shown) continue;
    cell.shown = held;
    const std::int32_t x = static_cast<std::int32_t>(index % static_cast<std::uint32_t>(columns)) * cellWidth;
    const std::int32_t y = static_cast<std::int32_t>(index / static_cast<std::uint32_t>(columns)) * cellHeight;
    const Source& source = sources[held >> kSlotShift];
    if (source.image) {
      const Content offset = held & kOffsetMask;
      target.CopyFrom(*source.image, static_cast<std::int32_t>(offset & ((1u << kSheetBits) - 1)),
                      static_cast<std::int32_t>(offset >> kSheetBits), cellWidth, cellHeight, x, y);
    } else {
      if (!targetFillKnown || targetFill != source.fill) {
        target.SetFillColor(source.fill);
        targetFill = source.fill;
        targetFillKnown = true;
      }
      target.FillRect(x, y, cellWidth, cellHeight);
    }
  }
  changed.clear();
}

void DeferredSurface::Forget() {
  Present();
  cells.clear();
  cellWidth = cellHeight = columns = rows = 0;
  targetFillKnown = false;
  sources.resize(1);
  lastImage = nullptr;
  lastSlot = 0;
}

bool DeferredSurface::GridCell(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                               std::size_t& index) {
  // Cells of the last column and row may reach past the edge: the target clips them.
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= Width() || y >= Height()) return false;
  if (cellWidth == 0) {
    if (x % width != 0 || y % height != 0) return false;
    cellWidth = width;
    cellHeight = height;
    columns = (Width() + width - 1) / width;
    rows = (Height() + height - 1) / height;
    cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Cell{0, 0});
  }
  if (width != cellWidth || height != cellHeight || x % width != 0 || y % height != 0) return false;
  index = static_cast<std::size_t>(y / height) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x / width);
  return true;
}

DeferredSurface::Content DeferredSurface::SlotOf(const Image* image, Color fill) {
  if (image && image == lastImage) return lastSlot;
  Content slot = 1;
  while (slot < sources.size() && !(sources[slot].image == image && (image || sources[slot].fill == fill))) ++slot;
  if (slot == sources.size()) {
    if (slot > kMostSlots) return 0;
    sources.push_back({image, fill});
  }
  if (image) {
    lastImage = image;
    lastSlot = slot;
  }
  return slot;
}

void DeferredSurface::Hold(std::size_t index, Content content) {
  Cell& cell = cells[index];
  if (!(cell.held & kListed)) changed.push_back(static_cast<std::uint32_t>(index));
  cell.held = content | kListed;
}

void DeferredSurface::DrawDirectly(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  Present();
  if (cellWidth == 0) return;
  const std::int32_t left = std::max(0, x) / cellWidth;
  const std::int32_t top = std::max(0, y) / cellHeight;
  const std::int32_t right = std::min(columns, (std::min(Width(), x + width) + cellWidth - 1) / cellWidth);
  const std::int32_t bottom = std::min(rows, (std::min(Height(), y + height) + cellHeight - 1) / cellHeight);
  for (std::int32_t row = top; row < bottom; ++row)
    for (std::int32_t column = left; column < right; ++column)
      cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)].shown = 0;
}
