// Bounds in millimetres or inches that the pixel bounds of a control follow.
#include "report/controls/RLBand.h"
#include "report/controls/RLLabel.h"

namespace prenso {

int TRLRealBounds::ToPixels(double v) const
{
    return FUnit == TRLRealBoundsUnit::buInches ? InchesToPixels(v) : MMToPixels(v);
}

double TRLRealBounds::FromPixels(int pixels) const
{
    return FUnit == TRLRealBoundsUnit::buInches ? PixelsToInches(pixels) : PixelsToMillimetres(pixels);
}

void TRLRealBounds::SetUsedUnit(TRLRealBoundsUnit unit)
{
    if (unit == FUnit)
        return;
    FUnit = unit;
    if (!FParent)
        return;
    FParent->updateBoundsLinked();
    if (unit == TRLRealBoundsUnit::buNone)
        return;
    FLeft = FromPixels(FParent->Left());
    FTop = FromPixels(FParent->Top());
    FWidth = FromPixels(FParent->Width());
    FHeight = FromPixels(FParent->Height());
}

void TRLRealBounds::set(double &field, double v)
{
    if (v == field)
        return;
    field = v;
    if (FUnit == TRLRealBoundsUnit::buNone || !FParent)
        return;
    FParent->SetBounds(ToPixels(FLeft), ToPixels(FTop), ToPixels(FWidth), ToPixels(FHeight));
    // What the control refused (a fixed size, a holder's rule) is taken back,
    // also when the control did not move at all.
    PixelsChanged();
}

void TRLRealBounds::SetLeft(double v)
{
    set(FLeft, v);
}
void TRLRealBounds::SetTop(double v)
{
    set(FTop, v);
}
void TRLRealBounds::SetWidth(double v)
{
    set(FWidth, v);
}
void TRLRealBounds::SetHeight(double v)
{
    set(FHeight, v);
}

void TRLRealBounds::PixelsChanged()
{
    if (FUnit == TRLRealBoundsUnit::buNone || !FParent)
        return;
    auto follow = [this](double &field, int pixels) {
        if (ToPixels(field) != pixels)
            field = FromPixels(pixels);
    };
    follow(FLeft, FParent->Left());
    follow(FTop, FParent->Top());
    follow(FWidth, FParent->Width());
    follow(FHeight, FParent->Height());
}

} // namespace prenso
