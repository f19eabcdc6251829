// The glyph sheets compiled into the Linux program: every sheet of every scale step is there,
// one column of 50 glyphs at its step's cell size, and a name it lacks is refused.
#include <gtest/gtest.h>

#include "base/exception.h"
#include "engine/display_scale.h"
#include "linux/sheets.h"

TEST(EmbeddedSheetsTest, EverySheetOfEveryStepIsCompiledInAtItsCellSize) {
  for (const GlyphSheetSize& sheet : AllGlyphSheets()) {
    SCOPED_TRACE(sheet.resource);
    const MemoryImage image = LoadEmbeddedSheet(sheet.resource);
    EXPECT_EQ(image.Width(), sheet.cellWidth);
    EXPECT_EQ(image.Height(), 50 * sheet.cellHeight);
  }
}

TEST(EmbeddedSheetsTest, ANameWithoutASheetIsRefused) {
  EmbeddedSheetFactory factory;
  try {
    factory.LoadResource("INDEX_400");
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Resource INDEX_400 not found");
  }
}
