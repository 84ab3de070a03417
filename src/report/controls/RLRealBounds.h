#pragma once

#include "report/controls/RLTypes.h"

namespace prenso {

class TRLCustomControl;

// Bounds of a control in millimetres or inches. With a unit, the control's
// pixel bounds follow these values, and when something else moves or sizes
// the control (alignment, auto size, a holder) the values follow the pixels.
// Only the values whose pixels really changed are taken back, so that 10 mm
// stays 10 mm rather than becoming the 38 pixels it rounds to. With TRLRealBoundsUnit::buNone
// the values are kept but have no effect.
class TRLRealBounds {
public:
    explicit TRLRealBounds(TRLCustomControl *parent) : FParent(parent) {}

    TRLRealBoundsUnit UsedUnit() const { return FUnit; }
    // A new unit takes the control's current pixel bounds in that unit, so
    // that choosing a unit never moves the control.
    void SetUsedUnit(TRLRealBoundsUnit unit);
    double Left() const { return FLeft; }
    double Top() const { return FTop; }
    double Width() const { return FWidth; }
    double Height() const { return FHeight; }
    void SetLeft(double v);
    void SetTop(double v);
    void SetWidth(double v);
    void SetHeight(double v);

    // A length in the used unit as pixels, and back.
    int ToPixels(double v) const;
    double FromPixels(int pixels) const;
    // Told by the control when its pixel bounds changed.
    void PixelsChanged();

private:
    void set(double &field, double v);
    TRLCustomControl *FParent;
    TRLRealBoundsUnit FUnit = TRLRealBoundsUnit::buNone;
    double FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
};

} // namespace prenso
