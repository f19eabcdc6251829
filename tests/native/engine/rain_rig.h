// A rain field over a memory canvas with fixture sheets and a scripted random stream.
// The default is a grid of 4 columns x 8 rows of 2 x 3 pixel cells (small sheet), on a
// canvas that shows every cell of the grid whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/memory_image.h"
#include "engine/vellix.h"
#include "glyph_fixtures.h"
#include "scripted_random.h"

constexpr std::int32_t kCellWidth = 2;
constexpr std::int32_t kCellHeight = 3;

struct RainRig {
  explicit RainRig(std::int32_t width = 6, std::int32_t height = 21)
      : sheetsRegistered(RegisterSheets(images)),
        canvas((width / kCellWidth + 1) * kCellWidth, (height / kCellHeight + 1) * kCellHeight),
        field(canvas, images, width, height) {}

  // Configures with the fixture colours; `script` is what the initial placement draws.
  void Configure(std::int32_t fallers, std::int32_t erasers, std::int32_t risers, std::int32_t noise,
                 std::vector<std::uint32_t> script) {
    random.Expect(std::move(script));
    field.Configure(60, fallers, erasers, risers, noise, kFixtureNormal, kFixtureLight, kFixtureDark);
    EXPECT_EQ(random.Left(), 0u) << "Configure left scripted values undrawn";
  }

  // One step that must draw exactly `script`.
  void Step(std::vector<std::uint32_t> script) {
    random.Expect(std::move(script));
    field.OnSoftTimer();
    EXPECT_EQ(random.Left(), 0u) << "the step left scripted values undrawn";
  }

  std::vector<std::string> Picture() const { return ::Picture(canvas, kCellWidth, kCellHeight); }

  // The grid as one string per row: '.', 'N', 'D', 'L' per cell.
  std::vector<std::string> States() const {
    std::vector<std::string> rows;
    for (std::int32_t row = 0; row < field.GridRows(); ++row) {
      std::string text;
      for (std::int32_t column = 0; column < field.GridColumns(); ++column) text += ".NDL"[field.Cell(column, row)];
      rows.push_back(text);
    }
    return rows;
  }

  // Paints the whole canvas white (and leaves the canvas brush black again).
  void PaintWhite() {
    canvas.SetFillColor(0x00FFFFFF);
    canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
    canvas.SetFillColor(0);
  }

  MemoryImageFactory images;
  bool sheetsRegistered;  // before the field, which loads a sheet
  ScriptedRandom random;
  MemoryImage canvas;
  Vellix field;

 private:
  static bool RegisterSheets(MemoryImageFactory& images) {
    images.AddResource("INDEX_S", MakeFixtureSheet(kCellWidth, kCellHeight));
    images.AddResource("INDEX", MakeFixtureSheet(10, 15));
    return true;
  }
};
