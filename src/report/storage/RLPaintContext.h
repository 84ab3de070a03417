#pragma once
// How stored page positions become device pixels when a page is painted on a
// canvas or written as a printer draws it: the scale, the offset and what the
// device asks of boxes and pictures.

#include "platform/graphics/units.h"
#include "platform/graphics/valuetypes.h"

namespace prenso {

// What a device asks of the page painting beyond the scale. The screen, an
// image and the clipboard take the defaults; a printer wants every box to
// cover at least one of its pixels, however thin, and its pictures as 8-bit
// palette pictures (kPrinterPaintOptions).
struct TRLPaintOptions {
    // Every box (shapes, texts, pictures) covers at least one device pixel.
    // Pixels and rectangles always do; clips never are made bigger (a clip
    // without width or height means no clipping).
    bool MinimumPixel = false;
    // Pictures are reduced to 256 colours before they are drawn.
    bool PalettePictures = false;
};
inline constexpr TRLPaintOptions kPrinterPaintOptions{true, true};

// Page pixels to device pixels: scaled by the factors, then moved by the
// offsets, saturated at the int range.
class TRLPaintContext {
public:
    TRLPaintContext(double xFactor, double yFactor, int xDesloc, int yDesloc, TRLPaintOptions options = {})
        : FXFactor(xFactor), FYFactor(yFactor), FXDesloc(xDesloc), FYDesloc(yDesloc), FOptions(options)
    {}
    double XFactor() const { return FXFactor; }
    double YFactor() const { return FYFactor; }
    int X(int x) const { return SatAdd(FXDesloc, RoundCoord(x * FXFactor)); }
    int Y(int y) const { return SatAdd(FYDesloc, RoundCoord(y * FYFactor)); }
    TPoint Point(const TPoint &p) const { return TPoint{X(p.X), Y(p.Y)}; }
    TRect Rect(const TRect &r) const { return TRect{X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)}; }
    // At least one pixel wide and high however small the scale.
    TRect MinRect(const TRect &r) const;
    // The box of a shape, text or picture as the device wants it.
    TRect Box(const TRect &r) const { return FOptions.MinimumPixel ? MinRect(r) : Rect(r); }

private:
    double FXFactor, FYFactor;
    int FXDesloc, FYDesloc;
    TRLPaintOptions FOptions;
};

} // namespace prenso
