#include "report/controls/RLBorders.h"

#include "platform/graphics/canvas.h"
#include "report/controls/RLControl.h"
#include "report/controls/RLHosts.h"
#include "report/storage/RLGraphicSurface.h"

namespace prenso {

// ---------------------------------------------------------------------------
// Borders

void TRLBorders::SetSides(TRLBorderSides sides)
{
    FSides = sides;
    if (sides == TRLBorderSides::sdNone) {
        FDrawLeft = FDrawTop = FDrawRight = FDrawBottom = false;
        FFixedLeft = FFixedTop = FFixedRight = FFixedBottom = false;
    } else if (sides == TRLBorderSides::sdAll) {
        FDrawLeft = FDrawTop = FDrawRight = FDrawBottom = true;
    }
    changed();
}

bool TRLBorders::fullFeature() const
{
    const TRLReportHost *report = FParent ? FParent->FindReportHost() : nullptr;
    return report && report->FullFeatured();
}

// Pages and canvases take the same pen, brush and rectangles.
template <class Target>
void TRLBorders::paint(Target &target, const TRect &r) const
{
    if (FWidth <= 0)
        return;
    TPen pen;
    pen.Color = FColor;
    pen.Style = TPenStyle::psSolid;
    pen.Width = 1;
    TBrush brush;
    brush.Color = FColor;
    brush.Style = TBrushStyle::bsSolid;
    target.SetPen(pen);
    target.SetBrush(brush);
    const int w = FWidth;
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
    TRLCustomControl::NonClientChanged();
    if (FParent)
        FParent->AdjustBounds();
}

// ---------------------------------------------------------------------------
// Margins

void TRLMargins::SetLeftMargin(double v)
{
    if (v != FLeft) {
        FLeft = v;
        FPixels.Left = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetTopMargin(double v)
{
    if (v != FTop) {
        FTop = v;
        FPixels.Top = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetRightMargin(double v)
{
    if (v != FRight) {
        FRight = v;
        FPixels.Right = MMToPixels(v);
        changed();
    }
}
void TRLMargins::SetBottomMargin(double v)
{
    if (v != FBottom) {
        FBottom = v;
        FPixels.Bottom = MMToPixels(v);
        changed();
    }
}

void TRLMargins::SetDefaults(double left, double top, double right, double bottom)
{
    FDefLeft = left;
    FDefTop = top;
    FDefRight = right;
    FDefBottom = bottom;
}

void TRLMargins::Assign(const TRLMargins &source)
{
    SetLeftMargin(source.FLeft);
    SetTopMargin(source.FTop);
    SetRightMargin(source.FRight);
    SetBottomMargin(source.FBottom);
}

void TRLMargins::changed()
{
    TRLCustomControl::NonClientChanged();
    if (FParent) {
        FParent->AdjustBounds();
        FParent->RealignControls();
    }
}
} // namespace prenso
