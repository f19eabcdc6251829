// The rain of one drawing surface: a grid of glyph cells with one state byte each, and
// three kinds of actors moving over it a row per step. A step draws only the cells that
// change, straight onto the surface; the surface holds the picture, the grid only records
// what colour each cell was last given. Every random draw comes from RandomBelow, in an
// order that is part of the contract.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/display_scale.h"
#include "engine/soft_timer.h"
#include "engine/sprite.h"
#include "engine/surface.h"

enum CellState : std::uint8_t {
  CellEmpty = 0,
  CellNormal = 1,  // trail glyph
  CellDark = 2,    // glyph a riser has passed
  CellLight = 3,   // falling head
  CellKeep = 4,    // never stored: asks DrawCell for the state the cell has now
};

enum RespawnKind : std::int32_t {
  RespawnEraser = 0,
  RespawnInitial = 1,
  RespawnRiser = 2,
  RespawnFaller = 3,
};

// One actor of the rain. Rows count from the top; negative rows lie above the grid,
// rows at or past the grid's row count below it.
struct Drop {
  std::int32_t column;
  std::int32_t row;
};

class Vellix final : public SoftTimerEvent {
 public:
  // Loads the grey sheet of the display scale step `scaleStep` (display_scale.h) for the
  // surface's width: at the design step "INDEX" for surfaces wider than 320 pixels, else
  // "INDEX_S". A missing sheet throws Exception. `canvas` and `images` must outlive the field.
  Vellix(Surface& canvas, ImageFactory& images, std::int32_t width, std::int32_t height,
         std::int32_t scaleStep = kDesignScaleStep);
  ~Vellix();
  Vellix(const Vellix&) = delete;
  Vellix& operator=(const Vellix&) = delete;

  // Rebuilds the tinted sheets, the grid and the actors, and restarts the pacer; the
  // surface is left as it is. May be called any number of times.
  void Configure(std::int32_t stepInterval, std::int32_t fallerCount, std::int32_t eraserCount,
                 std::int32_t riserCount, std::int32_t noiseCount, std::int32_t normalColor,
                 std::int32_t lightColor, std::int32_t darkColor);

  // The pacer fired: one step of the rain.
  void OnSoftTimer() override;

  // Read-only views of the state, for tests. Grid sizes are 0 until configured.
  bool IsConfigured() const { return lightSheet != nullptr; }
  std::int32_t GridColumns() const { return gridColumns; }
  std::int32_t GridRows() const { return gridRows; }
  // State of a cell inside the grid of a configured field.
  CellState Cell(std::int32_t column, std::int32_t row) const {
    return static_cast<CellState>(cells[column + static_cast<std::size_t>(row) * gridColumns]);
  }
  const std::vector<Drop>& Fallers() const { return fallers; }
  const std::vector<Drop>& Erasers() const { return erasers; }
  const std::vector<Drop>& Risers() const { return risers; }
  std::int32_t NoiseCount() const { return noiseCount; }
  const Sprite& BaseSheet() const { return *baseSheet; }

 private:
  void Step();
  void StepNoise();
  void StepErasers();
  void StepFallers();
  void StepRisers();
  // Stamps a random glyph of `state`'s sheet into a cell; cells outside the grid are
  // ignored, and with `onlyIfSet` so are empty cells (without drawing a random value).
  void DrawCell(std::int32_t state, std::int32_t column, std::int32_t row, bool onlyIfSet);
  void Respawn(Drop& drop, std::int32_t kind);
  std::uint8_t& CellAt(std::int32_t column, std::int32_t row) {
    return cells[column + static_cast<std::size_t>(row) * gridColumns];
  }

  std::unique_ptr<Sprite> lightSheet;
  std::unique_ptr<Sprite> normalSheet;
  std::unique_ptr<Sprite> darkSheet;
  std::unique_ptr<Sprite> baseSheet;
  std::int32_t gridColumns = 0;
  std::int32_t gridRows = 0;
  std::int32_t fallerCount = 0;
  std::int32_t eraserCount = 0;
  std::int32_t riserCount = 0;
  std::int32_t noiseCount = 0;
  std::int32_t width;
  std::int32_t height;
  std::vector<Drop> fallers;
  std::vector<Drop> erasers;
  std::vector<Drop> risers;
  std::vector<std::uint8_t> cells;
  Surface& canvas;

 public:
  // Paces Step; the saver window polls it from its idle loop.
  SoftTimer timer;
};
