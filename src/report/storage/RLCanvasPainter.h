#pragma once
// Stored pages painted on a canvas: the screen (preview, page pictures,
// the clipboard) and the printer. Every graphic object becomes the canvas
// operation of its kind, its positions scaled into the target rectangle as
// the device asks (TRLPaintOptions).

#include "report/storage/RLGraphicObjects.h"
#include "report/storage/RLPaintContext.h"

#include <vector>

namespace prenso {

class TCanvas;
class TRLGraphicPage;

class TRLCanvasPainter : private TRLGraphicVisitor {
public:
    explicit TRLCanvasPainter(TCanvas &canvas, TRLPaintOptions options = {}) : FCanvas(canvas), FOptions(options) {}

    // Paints `page` scaled into r, clipped to r. The canvas is left without
    // a clip, also when an object fails to paint.
    void Paint(const TRLGraphicPage &page, const TRect &r);

private:
    void VisitPixel(const TRLPixelObject &o) override;
    void VisitLine(const TRLLineObject &o) override;
    void VisitRectangle(const TRLRectangleObject &o) override;
    void VisitEllipse(const TRLEllipseObject &o) override;
    void VisitText(const TRLTextObject &o) override;
    void VisitFillRect(const TRLFillRectObject &o) override;
    void VisitPolygon(const TRLPolygonObject &o) override;
    void VisitPolyline(const TRLPolylineObject &o) override;
    void VisitImage(const TRLImageObject &o) override;
    void VisitSetClipRect(const TRLSetClipRectObject &o) override;
    void VisitResetClipRect(const TRLResetClipRectObject &o) override;

    void applyPen(const TRLMetaPen &pen);
    const std::vector<TPoint> &points(const TRLMetaPointArray &stored);

    TCanvas &FCanvas;
    TRLPaintOptions FOptions;
    // Set for each page painted.
    TRLPaintContext FContext{1, 1, 0, 0};
    // The target rectangle, the outermost clip.
    TRect FPaintRect;
    // The clip in force and the ones it replaced, innermost at the back.
    TRect FClipRect;
    std::vector<TRect> FClipStack;
    std::vector<TPoint> FPoints;
};

} // namespace prenso
