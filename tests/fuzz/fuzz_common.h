#pragma once
// Shared set-up of the fuzz targets: a GUI application on the offscreen
// platform (fonts and painting need one), small image allocation limits,
// page files in a folder of their own, and no printers (the draft filter asks
// the printer wrapper for paper and metrics; the print server is not asked).

namespace prenso {
class TRLGraphicStorage;
}

namespace prenso::fuzz {
void initialise();
// How many pages, from the first, a filter run takes: at most 16, and none
// from the first page of thousands of objects on (its output would only be
// slow to make, not more telling).
int pagesWorthFiltering(TRLGraphicStorage &storage);
} // namespace prenso::fuzz
