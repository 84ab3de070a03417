#pragma once
// The orientation of a report's pages. A header of its own: the page setup,
// the page storage's description, the filters, the printer wrapper and the
// print dialog all speak of it, and the window hooks (RLUserInterface.h) need
// nothing else of the report. Only the storage keeps it as a number
// (storage/RLMetaTypes.h).

#include <cstdint>

namespace prenso {

enum class TRLPageOrientation : std::uint8_t { poPortrait, poLandscape };

} // namespace prenso
