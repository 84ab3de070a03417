#include "report/storage/RLCanvasPainter.h"

#include "platform/graphics/canvas.h"
#include "report/storage/RLCanvasRoutines.h"
#include "report/storage/RLGraphicPage.h"
#include "report/storage/RLMetaConversions.h"

namespace prenso {

void TRLCanvasPainter::Paint(const TRLGraphicPage &page, const TRect &r)
{
    // In doubles: the target may span more than the int range.
    const double xf = page.Width() != 0 ? (static_cast<double>(r.Right) - r.Left) / page.Width() : 1.0;
    const double yf = page.Height() != 0 ? (static_cast<double>(r.Bottom) - r.Top) / page.Height() : 1.0;
    FContext = TRLPaintContext(xf, yf, r.Left, r.Top, FOptions);
    FPaintRect = r;
    FClipRect = r;
    FClipStack.clear();
    CanvasSetClipRect(FCanvas, r);
    try {
        const int count = page.ObjectCount();
        for (int i = 0; i < count; ++i)
            page.Objects(i)->Accept(*this);
    } catch (...) {
        CanvasResetClipRect(FCanvas);
        throw;
    }
    CanvasResetClipRect(FCanvas);
}

void TRLCanvasPainter::applyPen(const TRLMetaPen &pen)
{
    FromMetaPen(pen, FCanvas.Pen());
    ScaleMetaPenWidth(FCanvas.Pen(), FContext.XFactor());
}

const std::vector<TPoint> &TRLCanvasPainter::points(const TRLMetaPointArray &stored)
{
    FPoints.clear();
    FPoints.reserve(stored.size());
    for (const TRLMetaPoint &p : stored)
        FPoints.push_back(FContext.Point(p));
    return FPoints;
}

// Pixels and rectangles cover at least one device pixel on every device:
// a hairline frame or a dot of a chart must not vanish when the page is
// shown small.

void TRLCanvasPainter::VisitPixel(const TRLPixelObject &o)
{
    FCanvas.Brush().Style = TBrushStyle::bsSolid;
    FCanvas.Brush().Color = FromMetaColor(o.Color());
    FCanvas.FillRect(FContext.MinRect(o.BoundsRect()));
}

void TRLCanvasPainter::VisitLine(const TRLLineObject &o)
{
    applyPen(o.Pen());
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    const TPoint from = FContext.Point(o.FromPoint()), to = FContext.Point(o.ToPoint());
    FCanvas.MoveTo(from.X, from.Y);
    CanvasLineToEx(FCanvas, to.X, to.Y);
}

void TRLCanvasPainter::VisitRectangle(const TRLRectangleObject &o)
{
    const TRect r = FContext.MinRect(o.BoundsRect());
    applyPen(o.Pen());
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    FCanvas.Rectangle(r);
}

void TRLCanvasPainter::VisitEllipse(const TRLEllipseObject &o)
{
    const TRect r = FContext.Box(o.BoundsRect());
    applyPen(o.Pen());
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    FCanvas.Ellipse(r);
}

void TRLCanvasPainter::VisitText(const TRLTextObject &o)
{
    const TRect r = FContext.Box(o.BoundsRect());
    const TPoint origin = FContext.Point(o.Origin());
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    FromMetaFont(o.Font(), FCanvas.Font(), FContext.YFactor());
    CanvasTextRectEx(FCanvas, r, origin.X, origin.Y, o.DisplayText(), o.Alignment(), o.Layout(), o.TextFlags());
}

void TRLCanvasPainter::VisitFillRect(const TRLFillRectObject &o)
{
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    FCanvas.FillRect(FContext.Box(o.BoundsRect()));
}

void TRLCanvasPainter::VisitPolygon(const TRLPolygonObject &o)
{
    const std::vector<TPoint> &pts = points(o.Points());
    applyPen(o.Pen());
    FromMetaBrush(o.Brush(), FCanvas.Brush());
    FCanvas.Polygon(pts);
}

void TRLCanvasPainter::VisitPolyline(const TRLPolylineObject &o)
{
    const std::vector<TPoint> &pts = points(o.Points());
    applyPen(o.Pen());
    FCanvas.Brush().Style = TBrushStyle::bsClear;
    FCanvas.Polyline(pts);
}

void TRLCanvasPainter::VisitImage(const TRLImageObject &o)
{
    CanvasStretchDraw(FCanvas, FContext.Box(o.BoundsRect()), o.Data(), o.Parity(), FOptions.PalettePictures);
}

void TRLCanvasPainter::VisitSetClipRect(const TRLSetClipRectObject &o)
{
    // A clip without width or height clips nothing, on every device: made
    // one pixel wide for a printer, it would hide the whole page there.
    FClipStack.push_back(FClipRect);
    FClipRect = FContext.Rect(o.BoundsRect());
    CanvasSetClipRect(FCanvas, FClipRect);
}

void TRLCanvasPainter::VisitResetClipRect(const TRLResetClipRectObject &)
{
    // A reset without its set (a damaged or hand-made page) goes back to the
    // clipping the page started with instead of failing the whole page.
    if (FClipStack.empty()) {
        FClipRect = FPaintRect;
    } else {
        FClipRect = FClipStack.back();
        FClipStack.pop_back();
    }
    CanvasSetClipRect(FCanvas, FClipRect);
}

} // namespace prenso
