// The report as a designer shows it: the page with its unprintable edges
// shaded, the margins as dotted tracks, every control in its colours and
// borders, labels with their captions, and the name tags of the report and
// its bands. It is painted on a canvas (an image, a widget) and never on a
// page surface, so none of it can be printed.
#include "report/RLReport.h"

#include "platform/canvas.h"
#include "platform/codepage.h"

#include <algorithm>

namespace prenso {

namespace {

constexpr TColor kUnprintableShade = RGBColor(244, 244, 244);
constexpr TColor kDesignerInk = clGray;

TRect offsetBy(const TRect &r, int dx, int dy)
{
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void setBrush(TCanvas &canvas, TColor color, TBrushStyle style = TBrushStyle::bsSolid)
{
    TBrush brush;
    brush.Color = color;
    brush.Style = style;
    canvas.SetBrush(brush);
}

void setPen(TCanvas &canvas, TColor color, TPenStyle style = TPenStyle::psSolid)
{
    TPen pen;
    pen.Color = color;
    pen.Style = style;
    canvas.SetPen(pen);
}

void dottedFrame(TCanvas &canvas, const TRect &r)
{
    setPen(canvas, kDesignerInk, TPenStyle::psDot);
    setBrush(canvas, clWhite, TBrushStyle::bsClear);
    canvas.Rectangle(r);
}

struct TagStyle {
    const char *fontName;
    int points;
    TColor ink, paper;
    bool rounded;
    bool atRight; // at the top-right corner of the area rather than the top-left
};

// Text in a filled box 4 pixels inside a corner of `area`.
void drawTag(TCanvas &canvas, const TRect &area, const QString &text, const TagStyle &style)
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
    setPen(canvas, paper);
    setBrush(canvas, paper);
    if (style.rounded)
        canvas.RoundRect(x, y, x + w, y + h, 6, 6);
    else
        canvas.Rectangle(x, y, x + w, y + h);
    setBrush(canvas, paper, TBrushStyle::bsClear);
    canvas.TextOut(x + pad, y + 1, text);
}

// Small L-shaped marks at the four corners of a control that has no frame of
// its own, so that its extent shows.
void cornerMarks(TCanvas &canvas, const TRect &r)
{
    const int n = 4;
    setPen(canvas, kDesignerInk);
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

const char *const kBandTypeNames[kBandTypeCount] = {"Header",       "Title",   "ColumnHeader", "Detail",
                                                    "ColumnFooter", "Summary", "Footer"};

} // namespace

void TRLCustomControl::PaintDesign(TCanvas &canvas)
{
    DesignPaint(canvas, ReportBoundsRect());
}

void TRLCustomControl::DesignPaintFrame(TCanvas &canvas, const TRect &rect)
{
    if (!Transparent()) {
        setBrush(canvas, Color());
        canvas.FillRect(rect);
    }
    if (IsSite())
        static_cast<TRLCustomSite *>(this)->Background().PaintTo(canvas, rect);
    Borders().PaintTo(canvas, rect);
}

void TRLCustomControl::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
}

void TRLCustomLabel::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
    QString text;
    InternalMakeCaption(text);
    if (text.isEmpty())
        text = Name();
    const std::string bytes = cp1252::encode(text);
    canvas.SetFont(Font());
    const int space = canvas.TextWidth(std::string_view(" "));
    const TRect client = offsetBy(ClientRect(), rect.Left, rect.Top);
    const TPoint at = CaptionOrigin(client, canvas.TextWidth(bytes) + space, canvas.TextHeight(bytes), space);
    setBrush(canvas, clWhite, TBrushStyle::bsClear);
    canvas.TextRect(client, at.X, at.Y, bytes);
    if (ShowDesigners())
        cornerMarks(canvas, rect);
}

void TRLCustomSite::DesignPaintChildren(TCanvas &canvas, const TRect &rect)
{
    // A designer shows every control, visible at run time or not.
    for (const auto &child : m_children)
        child->DesignPaint(canvas, offsetBy(child->BoundsRect(), rect.Left, rect.Top));
}

void TRLCustomSite::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
    DesignPaintChildren(canvas, rect);
}

void TRLCustomBand::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    TRLCustomBandSet::DesignPaint(canvas, rect);
    // The dotted frame shows where a band without borders ends.
    if (ShowDesigners() && !Borders().Visible())
        dottedFrame(canvas, rect);
    // The tag sits at the band's right end, where the content of a form
    // rarely is; a short band shows only the top of it.
    const QString tag = QLatin1String(kBandTypeNames[m_bandType]) + QLatin1Char(' ') + Name();
    drawTag(canvas, rect, tag, TagStyle{"Small Fonts", 6, clWhite, kDesignerInk, false, true});
}

void TRLCustomReport::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    setBrush(canvas, clWhite);
    canvas.FillRect(rect);
    DesignPaintFrame(canvas, rect);
    // What the printer cannot reach, shaded.
    const TRect m = PrinterMarginPixels();
    setBrush(canvas, kUnprintableShade);
    canvas.FillRect(TRect{rect.Left, rect.Top, rect.Left + m.Left, rect.Bottom});
    canvas.FillRect(TRect{rect.Right - m.Right, rect.Top, rect.Right, rect.Bottom});
    canvas.FillRect(TRect{rect.Left + m.Left, rect.Top, rect.Right - m.Right, rect.Top + m.Top});
    canvas.FillRect(TRect{rect.Left + m.Left, rect.Bottom - m.Bottom, rect.Right - m.Right, rect.Bottom});
    if (m_showTracks)
        dottedFrame(canvas, offsetBy(ClientRect(), rect.Left, rect.Top));
    DesignPaintChildren(canvas, rect);
    if (m_showDesigners)
        drawTag(canvas, rect, QStringLiteral("Report ") + Name(), TagStyle{"MS Sans Serif", 8, clWhite, clBlue, true, false});
}

} // namespace prenso
