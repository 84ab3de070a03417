// The report as a designer shows it: the page with its unprintable edges
// shaded, the margins as dotted tracks, every control in its colours and
// borders, labels with their captions, and the name tags of the report and
// its bands. It is painted on a canvas (an image, a widget) and never on a
// page surface, so none of it can be printed. These are the pieces the
// controls' own DesignPaint draw with.
#include "report/controls/RLDesignPaint.h"

#include "platform/graphics/canvas.h"

#include <algorithm>

namespace prenso {

TRect DesignOffset(const TRect &r, int dx, int dy)
{
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void DesignSetBrush(TCanvas &canvas, TColor color, TBrushStyle style)
{
    TBrush brush;
    brush.Color = color;
    brush.Style = style;
    canvas.SetBrush(brush);
}

void DesignSetPen(TCanvas &canvas, TColor color, TPenStyle style)
{
    TPen pen;
    pen.Color = color;
    pen.Style = style;
    canvas.SetPen(pen);
}

void DesignDottedFrame(TCanvas &canvas, const TRect &r)
{
    DesignSetPen(canvas, kDesignerInk, TPenStyle::psDot);
    DesignSetBrush(canvas, clWhite, TBrushStyle::bsClear);
    canvas.Rectangle(r);
}

// Text in a filled box 4 pixels inside a corner of `area`.
void DesignDrawTag(TCanvas &canvas, const TRect &area, const QString &text, const TRLDesignTagStyle &style)
{
    TFont font;
    font.SetName(QLatin1String(style.fontName));
    font.SetSize(style.points);
    font.SetColor(style.ink);
    canvas.SetFont(font);
    const int pad = 3, inset = 4;
    const int w = canvas.TextWidth(text) + 2 * pad, h = canvas.TextHeight(text) + 2;
    const int x = style.atRight ? std::max(area.Left, area.Right - inset - w) : area.Left + inset;
    const int y = area.Top + inset;
    const TColor paper = style.paper;
    DesignSetPen(canvas, paper);
    DesignSetBrush(canvas, paper);
    if (style.rounded)
        canvas.RoundRect(x, y, x + w, y + h, 6, 6);
    else
        canvas.Rectangle(x, y, x + w, y + h);
    DesignSetBrush(canvas, paper, TBrushStyle::bsClear);
    canvas.TextOut(x + pad, y + 1, text);
}

// Small L-shaped marks at the four corners of a control that has no frame of
// its own, so that its extent shows.
void DesignCornerMarks(TCanvas &canvas, const TRect &r)
{
    const int n = 4;
    DesignSetPen(canvas, kDesignerInk);
    const int l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
    auto mark = [&](int x, int y, int dx, int dy) {
        // One polyline, so that the corner pixel itself is drawn.
        const TPoint points[] = {{x + dx * n, y}, {x, y}, {x, y + dy * n}};
        canvas.Polyline(points);
    };
    mark(l, t, 1, 1);
    mark(rr, t, -1, 1);
    mark(l, b, 1, -1);
    mark(rr, b, -1, -1);
}

namespace {
const char *const kBandTypeNames[kBandTypeCount] = {"Header",       "Title",   "ColumnHeader", "Detail",
                                                    "ColumnFooter", "Summary", "Footer"};
} // namespace

const char *DesignBandTypeName(TRLBandType type)
{
    return kBandTypeNames[Ord(type)];
}

} // namespace prenso
