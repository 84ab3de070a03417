// Bounds in millimetres or inches that the pixel bounds of a control follow.
#include "report/controls/RLBand.h"
#include "report/controls/RLLabel.h"

namespace prenso {

int TRLRealBounds::ToPixels(double v) const
{
    return m_unit == buInches ? InchesToPixels(v) : MMToPixels(v);
}

double TRLRealBounds::FromPixels(int pixels) const
{
    return m_unit == buInches ? pixels / 96.0 : pixels * 25.4 / 96.0;
}

void TRLRealBounds::SetUsedUnit(TRLRealBoundsUnit unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    if (!m_parent)
        return;
    m_parent->updateBoundsLinked();
    if (unit == buNone)
        return;
    m_left = FromPixels(m_parent->Left());
    m_top = FromPixels(m_parent->Top());
    m_width = FromPixels(m_parent->Width());
    m_height = FromPixels(m_parent->Height());
}

void TRLRealBounds::set(double &field, double v)
{
    if (v == field)
        return;
    field = v;
    if (m_unit == buNone || !m_parent)
        return;
    m_parent->SetBounds(ToPixels(m_left), ToPixels(m_top), ToPixels(m_width), ToPixels(m_height));
    // What the control refused (a fixed size, a holder's rule) is taken back,
    // also when the control did not move at all.
    PixelsChanged();
}

void TRLRealBounds::SetLeft(double v) { set(m_left, v); }
void TRLRealBounds::SetTop(double v) { set(m_top, v); }
void TRLRealBounds::SetWidth(double v) { set(m_width, v); }
void TRLRealBounds::SetHeight(double v) { set(m_height, v); }

void TRLRealBounds::PixelsChanged()
{
    if (m_unit == buNone || !m_parent)
        return;
    auto follow = [this](double &field, int pixels) {
        if (ToPixels(field) != pixels)
            field = FromPixels(pixels);
    };
    follow(m_left, m_parent->Left());
    follow(m_top, m_parent->Top());
    follow(m_width, m_parent->Width());
    follow(m_height, m_parent->Height());
}

} // namespace prenso
