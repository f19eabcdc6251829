// How many GDI objects this process holds: Wine answers GetGuiResources with 0, so the count
// is read from the GDI handle table that the system maps into every process (the PEB's
// GdiSharedHandleTable, the layout Wine and Windows share). Stock objects do not count.
#pragma once

// -1 when the process has no such table.
int LiveGdiObjects();
