#include "engine/deferred_surface.h"

#include <algorithm>

DeferredSurface::DeferredSurface(Surface& target) : target(target) {}

void DeferredSurface::SetFillColor(Color color) { fillColor = color; }

void DeferredSurface::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  std::size_t index = 0;
  if (GridCell(x, y, width, height, index)) {
    Content fill;
    fill.value = fillColor;
    fill.known = true;
    Hold(index, fill);
    return;
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
  if (GridCell(x, y, width, height, index)) {
    Content copy;
    copy.source = &source;
    copy.sourceX = sourceX;
    copy.sourceY = sourceY;
    copy.known = true;
    Hold(index, copy);
    return;
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
  for (const std::size_t index : changed) {
    Cell& cell = cells[index];
    cell.listed = false;
    if (cell.held == cell.shown) continue;
    const std::int32_t x = static_cast<std::int32_t>(index % static_cast<std::size_t>(columns)) * cellWidth;
    const std::int32_t y = static_cast<std::int32_t>(index / static_cast<std::size_t>(columns)) * cellHeight;
    const Content& held = cell.held;
    if (held.source) {
      target.CopyFrom(*held.source, held.sourceX, held.sourceY, cellWidth, cellHeight, x, y);
    } else {
      if (!targetFillKnown || targetFill != held.value) {
        target.SetFillColor(held.value);
        targetFill = held.value;
        targetFillKnown = true;
      }
      target.FillRect(x, y, cellWidth, cellHeight);
    }
    cell.shown = held;
  }
  changed.clear();
}

void DeferredSurface::Forget() {
  Present();
  cells.clear();
  cellWidth = cellHeight = columns = rows = 0;
  targetFillKnown = false;
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
    cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Cell{});
  }
  if (width != cellWidth || height != cellHeight || x % width != 0 || y % height != 0) return false;
  index = static_cast<std::size_t>(y / height) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x / width);
  return true;
}

void DeferredSurface::Hold(std::size_t index, const Content& content) {
  Cell& cell = cells[index];
  cell.held = content;
  if (!cell.listed) {
    cell.listed = true;
    changed.push_back(index);
  }
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
      cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)].shown = Content{};
}
