#include "report/controls/RLTypes.h"

#include "platform/graphics/valuetypes.h"

#include <cmath>

namespace prenso {

bool IsWidthAlign(TRLControlAlign a)
{
    switch (a) {
    case TRLControlAlign::faLeft:
    case TRLControlAlign::faRight:
    case TRLControlAlign::faLeftMost:
    case TRLControlAlign::faRightMost:
    case TRLControlAlign::faLeftTop:
    case TRLControlAlign::faRightTop:
    case TRLControlAlign::faLeftBottom:
    case TRLControlAlign::faRightBottom:
    case TRLControlAlign::faCenter:
    case TRLControlAlign::faCenterLeft:
    case TRLControlAlign::faCenterTop:
    case TRLControlAlign::faCenterRight:
    case TRLControlAlign::faCenterBottom:
    case TRLControlAlign::faClientLeft:
    case TRLControlAlign::faClientRight:
    case TRLControlAlign::faHeight:
    case TRLControlAlign::faLeftOnly:
    case TRLControlAlign::faRightOnly:
    case TRLControlAlign::faTopOnly:
    case TRLControlAlign::faBottomOnly: return true;
    default: return false;
    }
}

bool IsHeightAlign(TRLControlAlign a)
{
    switch (a) {
    case TRLControlAlign::faTop:
    case TRLControlAlign::faBottom:
    case TRLControlAlign::faLeftTop:
    case TRLControlAlign::faRightTop:
    case TRLControlAlign::faLeftBottom:
    case TRLControlAlign::faRightBottom:
    case TRLControlAlign::faCenter:
    case TRLControlAlign::faCenterLeft:
    case TRLControlAlign::faCenterTop:
    case TRLControlAlign::faCenterRight:
    case TRLControlAlign::faCenterBottom:
    case TRLControlAlign::faClientTop:
    case TRLControlAlign::faClientBottom:
    case TRLControlAlign::faWidth:
    case TRLControlAlign::faLeftOnly:
    case TRLControlAlign::faRightOnly:
    case TRLControlAlign::faTopOnly:
    case TRLControlAlign::faBottomOnly: return true;
    default: return false;
    }
}
} // namespace prenso
