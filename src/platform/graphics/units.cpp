#include "platform/graphics/units.h"

#include <cmath>
#include <limits>

namespace prenso {

int RoundCoord(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

int MMToPixels(double mm)
{
    return RoundCoord(MillimetresToPixels(mm));
}

int InchesToPixels(double inches)
{
    return RoundCoord(inches * kDesignPixelsPerInch);
}

} // namespace prenso
