#pragma once
// Shared set-up of the fuzz targets: a GUI application on the offscreen
// platform (fonts and painting need one), small image allocation limits, and
// page files in a folder of their own.

namespace prenso::fuzz {
void initialise();
}
