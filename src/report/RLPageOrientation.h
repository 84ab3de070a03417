#pragma once
// The orientation of a report's pages. A header of its own: the page setup,
// the page storage's description and the print dialog all speak of it, and
// the window hooks (RLUserInterface.h) need nothing else of the report.

#include <cstdint>

namespace prenso {

enum class TRLPageOrientation : std::uint8_t { poPortrait, poLandscape };

} // namespace prenso
