#include "report/controls/RLBorders.h"

#include "platform/canvas.h"
#include "report/controls/RLControl.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicSurface.h"

namespace prenso {


// ---------------------------------------------------------------------------
// Borders

void TRLBorders::SetSides(TRLBorderSides sides)
{
    m_sides = sides;
    if (sides == sdNone) {
        m_drawLeft = m_drawTop = m_drawRight = m_drawBottom = false;
        m_fixedLeft = m_fixedTop = m_fixedRight = m_fixedBottom = false;
    } else if (sides == sdAll) {
        m_drawLeft = m_drawTop = m_drawRight = m_drawBottom = true;
    }
    changed();
}

bool TRLBorders::canDraw(bool draw, bool fixed) const
{
    if (!draw)
        return false;
    if (fixed)
        return true;
    const TRLCustomReport *master = m_parent ? m_parent->MasterReport() : nullptr;
    return master && master->PrintQuality() == pqFullFeature;
}

bool TRLBorders::CanDrawLeft() const { return canDraw(m_drawLeft, m_fixedLeft); }
bool TRLBorders::CanDrawTop() const { return canDraw(m_drawTop, m_fixedTop); }
bool TRLBorders::CanDrawRight() const { return canDraw(m_drawRight, m_fixedRight); }
bool TRLBorders::CanDrawBottom() const { return canDraw(m_drawBottom, m_fixedBottom); }

// Pages and canvases take the same pen, brush and rectangles.
template <class Target>
void TRLBorders::paint(Target &target, const TRect &r) const
{
    if (m_width <= 0)
        return;
    TPen pen;
    pen.Color = m_color;
    pen.Style = TPenStyle::psSolid;
    pen.Width = 1;
    TBrush brush;
    brush.Color = m_color;
    brush.Style = TBrushStyle::bsSolid;
    target.SetPen(pen);
    target.SetBrush(brush);
    const int w = m_width;
    if (CanDrawLeft())
        target.Rectangle(r.Left, r.Top, r.Left + w, r.Bottom);
    if (CanDrawTop())
        target.Rectangle(r.Left, r.Top, r.Right, r.Top + w);
    if (CanDrawRight())
        target.Rectangle(r.Right - w, r.Top, r.Right, r.Bottom);
    if (CanDrawBottom())
        target.Rectangle(r.Left, r.Bottom - w, r.Right, r.Bottom);
}

void TRLBorders::PaintTo(TRLGraphicSurface &surface, const TRect &r) const
{
    paint(surface, r);
}

void TRLBorders::PaintTo(TCanvas &canvas, const TRect &r) const
{
    paint(canvas, r);
}

void TRLBorders::changed()
{
    if (m_parent)
        m_parent->AdjustBounds();
}

// ---------------------------------------------------------------------------
// Margins

void TRLMargins::SetLeftMargin(double v)
{
    if (v != m_left) {
        m_left = v;
        m_pixels.Left = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetTopMargin(double v)
{
    if (v != m_top) {
        m_top = v;
        m_pixels.Top = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetRightMargin(double v)
{
    if (v != m_right) {
        m_right = v;
        m_pixels.Right = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetBottomMargin(double v)
{
    if (v != m_bottom) {
        m_bottom = v;
        m_pixels.Bottom = MMToPixels(v);
        changed();
    }
}

void TRLMargins::SetDefaults(double left, double top, double right, double bottom)
{
    m_defLeft = left;
    m_defTop = top;
    m_defRight = right;
    m_defBottom = bottom;
}

bool TRLMargins::IsDefault() const
{
    return m_left == m_defLeft && m_top == m_defTop && m_right == m_defRight && m_bottom == m_defBottom;
}

void TRLMargins::Assign(const TRLMargins &source)
{
    SetLeftMargin(source.m_left);
    SetTopMargin(source.m_top);
    SetRightMargin(source.m_right);
    SetBottomMargin(source.m_bottom);
}

void TRLMargins::changed()
{
    if (m_parent) {
        m_parent->AdjustBounds();
        m_parent->RealignControls();
    }
}
} // namespace prenso
