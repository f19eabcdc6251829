// The step is four passes in a fixed order (noise, erasers, fallers, risers), and each pass
// draws its random values in a fixed order: changing either changes the rain. A step only
// touches memory that Configure allocated.
#include "engine/vellix.h"

#include <algorithm>

#include "engine/random.h"

namespace {

constexpr std::int32_t kSheetColumns = 1;
constexpr std::int32_t kSheetRows = 50;
constexpr std::int32_t kInitialInterval = 1000;
constexpr std::int32_t kLongestNoiseRun = 4;

}  // namespace

Vellix::Vellix(Surface& canvas, ImageFactory& images, std::int32_t width, std::int32_t height,
               std::int32_t scaleStep)
    : width(std::max(0, width)),
      height(std::max(0, height)),
      canvas(canvas),
      timer(this, kInitialInterval) {
  Randomize();
  baseSheet = std::make_unique<Sprite>(images, SheetForSurface(this->width, scaleStep).resource,
                                       kSheetColumns, kSheetRows);
  canvas.SetFillColor(0);  // erasers fill with the canvas's fill colour
}

Vellix::~Vellix() = default;

void Vellix::Configure(std::int32_t stepInterval, std::int32_t fallerCount, std::int32_t eraserCount,
                       std::int32_t riserCount, std::int32_t noiseCount, std::int32_t normalColor,
                       std::int32_t lightColor, std::int32_t darkColor) {
  // Everything that can fail is made before anything is replaced, the pace included, so a
  // field whose Configure throws keeps stepping as before, at its old interval, instead of
  // stepping over a half-built state.
  std::unique_ptr<Sprite> newLightSheet = baseSheet->Copy();
  std::unique_ptr<Sprite> newNormalSheet = baseSheet->Copy();
  std::unique_ptr<Sprite> newDarkSheet = baseSheet->Copy();
  newLightSheet->Tint(static_cast<Color>(lightColor));
  newNormalSheet->Tint(static_cast<Color>(normalColor));
  newDarkSheet->Tint(static_cast<Color>(darkColor));

  const std::int32_t newColumns = width / newLightSheet->cellWidth + 1;
  const std::int32_t newRows = height / newLightSheet->cellHeight + 1;
  std::vector<std::uint8_t> newCells(static_cast<std::size_t>(newColumns) * newRows, CellEmpty);

  // A negative count would be a negative array length; it means "none".
  std::vector<Drop> newFallers(std::max(0, fallerCount));
  std::vector<Drop> newErasers(std::max(0, eraserCount));
  std::vector<Drop> newRisers(std::max(0, riserCount));

  timer.SetInterval(stepInterval);  // the first step comes one interval from here
  lightSheet = std::move(newLightSheet);
  normalSheet = std::move(newNormalSheet);
  darkSheet = std::move(newDarkSheet);
  gridColumns = newColumns;
  gridRows = newRows;
  cells = std::move(newCells);
  this->fallerCount = static_cast<std::int32_t>(newFallers.size());
  this->eraserCount = static_cast<std::int32_t>(newErasers.size());
  this->riserCount = static_cast<std::int32_t>(newRisers.size());
  this->noiseCount = std::max(0, noiseCount);
  fallers = std::move(newFallers);
  erasers = std::move(newErasers);
  risers = std::move(newRisers);

  for (Drop& drop : fallers) Respawn(drop, RespawnInitial);
  for (Drop& drop : erasers) Respawn(drop, RespawnInitial);
  for (Drop& drop : risers) Respawn(drop, RespawnInitial);
}

void Vellix::OnSoftTimer() { Step(); }

void Vellix::Step() {
  if (!IsConfigured()) return;
  StepNoise();
  StepErasers();
  StepFallers();
  StepRisers();
}

// Re-rolls the glyphs of a short vertical run; empty cells in it stay empty.
void Vellix::StepNoise() {
  for (std::int32_t n = 0; n < noiseCount; ++n) {
    const std::int32_t column = RandomBelow(gridColumns);
    const std::int32_t start = RandomBelow(gridRows);
    const std::int32_t length = RandomBelow(kLongestNoiseRun + 1);
    for (std::int32_t i = 0; i < length; ++i) DrawCell(CellKeep, column, start + i, true);
  }
}

// An eraser below the grid restarts above it at the start of the next step, so it
// spends one step at row gridRows.
void Vellix::StepErasers() {
  for (Drop& eraser : erasers) {
    if (eraser.row >= gridRows) {
      Respawn(eraser, RespawnEraser);
      continue;
    }
    if (eraser.row >= 0) {
      CellAt(eraser.column, eraser.row) = CellEmpty;
      canvas.FillRect(eraser.column * lightSheet->cellWidth, eraser.row * lightSheet->cellHeight,
                      lightSheet->cellWidth, lightSheet->cellHeight);
    }
    ++eraser.row;
  }
}

// Heads overwrite whatever their cell holds; the cell a head leaves becomes a trail glyph.
void Vellix::StepFallers() {
  for (Drop& faller : fallers) {
    ++faller.row;
    if (faller.row < 0) continue;
    if (faller.row > 0) DrawCell(CellNormal, faller.column, faller.row - 1, false);
    if (faller.row < gridRows)
      DrawCell(CellLight, faller.column, faller.row, false);
    else
      Respawn(faller, RespawnFaller);
  }
}

// Risers darken the lit cells they pass and restart below the grid once above it.
void Vellix::StepRisers() {
  for (Drop& riser : risers) {
    --riser.row;
    if (riser.row >= gridRows) continue;
    if (riser.row < 0)
      Respawn(riser, RespawnRiser);
    else
      DrawCell(CellDark, riser.column, riser.row, true);
  }
}

void Vellix::DrawCell(std::int32_t state, std::int32_t column, std::int32_t row, bool onlyIfSet) {
  if (column >= gridColumns || column < 0 || row >= gridRows || row < 0) return;
  std::uint8_t& cell = CellAt(column, row);
  if (state == CellKeep) state = cell;
  const Sprite& sheet = state == CellLight ? *lightSheet : state == CellDark ? *darkSheet : *normalSheet;
  if (onlyIfSet && cell == CellEmpty) return;
  cell = static_cast<std::uint8_t>(state);
  const std::int32_t glyph = RandomBelow(sheet.rows);
  canvas.CopyFrom(*sheet.bitmap, 0, glyph * sheet.cellHeight, sheet.cellWidth, sheet.cellHeight,
                  column * sheet.cellWidth, row * sheet.cellHeight);
}

// The column is always drawn first; with fewer than 4 rows a quarter of the grid is 0 rows
// and erasers and risers restart right at the edge without drawing a row.
void Vellix::Respawn(Drop& drop, std::int32_t kind) {
  drop.column = RandomBelow(gridColumns);
  const std::int32_t quarter = gridRows / 4;
  const std::int32_t half = gridRows / 2;
  switch (kind) {
    case RespawnEraser: drop.row = -RandomBelow(quarter); break;
    case RespawnInitial: drop.row = RandomBelow(gridRows); break;
    case RespawnRiser: drop.row = gridRows + RandomBelow(quarter); break;
    case RespawnFaller: drop.row = RandomBelow(half) - quarter; break;
    default: break;
  }
}
