#pragma once
// Drawing pieces of the design view of a report (see each control's
// DesignPaint): colours, dotted frames, name tags and corner marks.

#include "platform/graphics/valuetypes.h"
#include "report/controls/RLTypes.h"

#include <QString>

namespace prenso {

class TCanvas;

inline constexpr TColor kUnprintableShade = RGBColor(244, 244, 244);
inline constexpr TColor kDesignerInk = clGray;

struct TRLDesignTagStyle {
    const char *fontName;
    int points;
    TColor ink, paper;
    bool rounded;
    bool atRight; // at the top-right corner of the area rather than the top-left
};

TRect DesignOffset(const TRect &r, int dx, int dy);
void DesignSetBrush(TCanvas &canvas, TColor color, TBrushStyle style = TBrushStyle::bsSolid);
void DesignSetPen(TCanvas &canvas, TColor color, TPenStyle style = TPenStyle::psSolid);
void DesignDottedFrame(TCanvas &canvas, const TRect &r);
// Text in a filled box 4 pixels inside a corner of `area`.
void DesignDrawTag(TCanvas &canvas, const TRect &area, const QString &text, const TRLDesignTagStyle &style);
// Small L-shaped marks at the four corners of a control that has no frame of
// its own, so that its extent shows.
void DesignCornerMarks(TCanvas &canvas, const TRect &r);
// "Header", "Title", ... "Footer".
const char *DesignBandTypeName(TRLBandType type);

} // namespace prenso
