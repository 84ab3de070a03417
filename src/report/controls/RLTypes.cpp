#include "report/controls/RLTypes.h"

#include "platform/graphics.h"

#include <cmath>

namespace prenso {

int MMToPixels(double mm)
{
    return RoundCoord(mm * 96.0 / 25.4);
}

int InchesToPixels(double inches)
{
    return RoundCoord(inches * 96.0);
}

bool IsWidthAlign(TRLControlAlign a)
{
    switch (a) {
    case faLeft: case faRight: case faLeftMost: case faRightMost: case faLeftTop: case faRightTop:
    case faLeftBottom: case faRightBottom: case faCenter: case faCenterLeft: case faCenterTop:
    case faCenterRight: case faCenterBottom: case faClientLeft: case faClientRight: case faHeight:
    case faLeftOnly: case faRightOnly: case faTopOnly: case faBottomOnly:
        return true;
    default:
        return false;
    }
}

bool IsHeightAlign(TRLControlAlign a)
{
    switch (a) {
    case faTop: case faBottom: case faLeftTop: case faRightTop: case faLeftBottom: case faRightBottom:
    case faCenter: case faCenterLeft: case faCenterTop: case faCenterRight: case faCenterBottom:
    case faClientTop: case faClientBottom: case faWidth: case faLeftOnly: case faRightOnly: case faTopOnly:
    case faBottomOnly:
        return true;
    default:
        return false;
    }
}
} // namespace prenso
