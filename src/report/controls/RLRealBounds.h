#pragma once

#include "report/controls/RLTypes.h"

namespace prenso {

class TRLCustomControl;

// Bounds of a control in millimetres or inches. With a unit, the control's
// pixel bounds follow these values, and when something else moves or sizes
// the control (alignment, auto size, a holder) the values follow the pixels.
// Only the values whose pixels really changed are taken back, so that 10 mm
// stays 10 mm rather than becoming the 38 pixels it rounds to. With buNone
// the values are kept but have no effect.
class TRLRealBounds {
public:
    explicit TRLRealBounds(TRLCustomControl *parent) : m_parent(parent) {}

    TRLRealBoundsUnit UsedUnit() const { return m_unit; }
    // A new unit takes the control's current pixel bounds in that unit, so
    // that choosing a unit never moves the control.
    void SetUsedUnit(TRLRealBoundsUnit unit);
    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
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
    TRLCustomControl *m_parent;
    TRLRealBoundsUnit m_unit = buNone;
    double m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

} // namespace prenso
