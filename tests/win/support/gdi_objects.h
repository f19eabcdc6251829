// How many GDI objects this process holds: Wine answers GetGuiResources with 0, so the count
// is read from the GDI handle table that the system maps into every process (the PEB's
// GdiSharedHandleTable, the layout Wine and Windows share). Stock objects do not count.
#pragma once

#include <gtest/gtest.h>

// -1 when the process has no such table.
int LiveGdiObjects();

// Whether the count is one higher while a brush made for the purpose lives and back where it
// was once the brush is gone: a count that read 0 or missed new objects would let every
// comparison of counts pass.
::testing::AssertionResult GdiCountSeesANewObject();
