#include "report/storage/RLPaintContext.h"

#include <algorithm>

namespace prenso {

// Out of line: Box, which every box of every output goes through, stays
// small enough to be inlined where it is called.
TRect TRLPaintContext::MinRect(const TRect &r) const
{
    TRect out = Rect(r);
    out.Right = std::max(SatAdd(out.Left, 1), out.Right);
    out.Bottom = std::max(SatAdd(out.Top, 1), out.Bottom);
    return out;
}

} // namespace prenso
