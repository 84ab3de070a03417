#include "report/storage/RLMetaVCL.h"

#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/fontmetrics.h"
#include "platform/graphic.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <limits>

namespace prenso {

TRLMetaColor ToMetaColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return TRLMetaColor{static_cast<std::uint8_t>(GetRValue(rgb)), static_cast<std::uint8_t>(GetGValue(rgb)),
                        static_cast<std::uint8_t>(GetBValue(rgb))};
}

TColor FromMetaColor(const TRLMetaColor &color)
{
    return RGBColor(color.Red, color.Green, color.Blue);
}

TRLMetaPenMode ToMetaPenMode(TPenMode mode)
{
    const int ordinal = static_cast<int>(mode);
    return ordinal >= 0 && ordinal < 16 ? static_cast<TRLMetaPenMode>(ordinal + 1) : MetaPenModeCopy;
}

TPenMode FromMetaPenMode(TRLMetaPenMode mode)
{
    return mode >= 1 && mode <= 16 ? static_cast<TPenMode>(mode - 1) : TPenMode::pmCopy;
}

TRLMetaPenStyle ToMetaPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psSolid: return MetaPenStyleSolid;
    case TPenStyle::psDash: return MetaPenStyleDash;
    case TPenStyle::psDot: return MetaPenStyleDot;
    case TPenStyle::psDashDot: return MetaPenStyleDashDot;
    case TPenStyle::psDashDotDot: return MetaPenStyleDashDotDot;
    case TPenStyle::psClear: return MetaPenStyleClear;
    case TPenStyle::psInsideFrame: return MetaPenStyleInsideFrame;
    }
    return MetaPenStyleSolid;
}

TPenStyle FromMetaPenStyle(TRLMetaPenStyle style)
{
    switch (style) {
    case MetaPenStyleDash: return TPenStyle::psDash;
    case MetaPenStyleDot: return TPenStyle::psDot;
    case MetaPenStyleDashDot: return TPenStyle::psDashDot;
    case MetaPenStyleDashDotDot: return TPenStyle::psDashDotDot;
    case MetaPenStyleClear: return TPenStyle::psClear;
    case MetaPenStyleInsideFrame: return TPenStyle::psInsideFrame;
    default: return TPenStyle::psSolid;
    }
}

TRLMetaBrushStyle ToMetaBrushStyle(TBrushStyle style)
{
    const int ordinal = static_cast<int>(style);
    return ordinal >= 0 && ordinal < 8 ? static_cast<TRLMetaBrushStyle>(ordinal + 1) : MetaBrushStyleSolid;
}

TBrushStyle FromMetaBrushStyle(TRLMetaBrushStyle style)
{
    return style >= 1 && style <= 8 ? static_cast<TBrushStyle>(style - 1) : TBrushStyle::bsSolid;
}

TRLMetaFontPitch ToMetaFontPitch(TFontPitch pitch)
{
    switch (pitch) {
    case TFontPitch::fpVariable: return MetaFontPitchVariable;
    case TFontPitch::fpFixed: return MetaFontPitchFixed;
    default: return MetaFontPitchDefault;
    }
}

TFontPitch FromMetaFontPitch(TRLMetaFontPitch pitch)
{
    switch (pitch) {
    case MetaFontPitchVariable: return TFontPitch::fpVariable;
    case MetaFontPitchFixed: return TFontPitch::fpFixed;
    default: return TFontPitch::fpDefault;
    }
}

void ToMetaPen(const TPen &pen, TRLMetaPen &metaPen)
{
    metaPen.SetColor(ToMetaColor(pen.Color));
    metaPen.SetMode(ToMetaPenMode(pen.Mode));
    metaPen.SetStyle(ToMetaPenStyle(pen.Style));
    metaPen.SetWidth(pen.Width);
}

void FromMetaPen(const TRLMetaPen &metaPen, TPen &pen)
{
    pen.Color = FromMetaColor(metaPen.Color());
    pen.Mode = FromMetaPenMode(metaPen.Mode());
    pen.Style = FromMetaPenStyle(metaPen.Style());
    pen.Width = metaPen.Width();
}

void ToMetaBrush(const TBrush &brush, TRLMetaBrush &metaBrush)
{
    metaBrush.SetColor(ToMetaColor(brush.Color));
    metaBrush.SetStyle(ToMetaBrushStyle(brush.Style));
}

void FromMetaBrush(const TRLMetaBrush &metaBrush, TBrush &brush)
{
    brush.Color = FromMetaColor(metaBrush.Color());
    brush.Style = FromMetaBrushStyle(metaBrush.Style());
}

void ToMetaFont(const TFont &font, TRLMetaFont &metaFont)
{
    metaFont.SetPixelsPerInch(font.PixelsPerInch());
    metaFont.SetCharset(font.Charset());
    metaFont.SetColor(ToMetaColor(font.Color()));
    metaFont.SetHeight(font.Height());
    metaFont.SetName(font.Name());
    metaFont.SetPitch(ToMetaFontPitch(font.Pitch()));
    metaFont.SetSize(font.Size());
    metaFont.SetStyle(static_cast<TRLMetaFontStyles>(font.Style() & 15));
}

void FromMetaFont(const TRLMetaFont &metaFont, TFont &font, double factor)
{
    font.SetCharset(metaFont.Charset());
    font.SetColor(FromMetaColor(metaFont.Color()));
    font.SetName(metaFont.Name());
    font.SetPitch(FromMetaFontPitch(metaFont.Pitch()));
    font.SetStyle(metaFont.Style() & 15);
    const double sourcePpi = metaFont.PixelsPerInch() != 0 ? metaFont.PixelsPerInch() : kDesignPixelsPerInch;
    const double targetPpi = font.PixelsPerInch() != 0 ? font.PixelsPerInch() : kDesignPixelsPerInch;
    font.SetSize(RoundCoord(metaFont.Size() * factor * sourcePpi / targetPpi));
}

void ScaleMetaPenWidth(TPen &pen, double factor)
{
    if (pen.Width >= 2)
        pen.Width = std::max(1, RoundCoord(pen.Width * factor));
}

std::string ToMetaGraphic(const TGraphic *graphic)
{
    if (!graphic)
        return "NIL";
    if (auto *bmp = dynamic_cast<const TBitmap *>(graphic))
        return "BMP" + bmp->SaveToBytes();
    if (auto *ico = dynamic_cast<const TIcon *>(graphic))
        return "ICO" + ico->SaveToBytes();
    if (graphic->Empty())
        return "NIL";
    TBitmap bitmap(graphic->Width(), graphic->Height());
    bitmap.Canvas().Draw(0, 0, *graphic);
    return "BMP" + bitmap.SaveToBytes();
}

std::unique_ptr<TGraphic> FromMetaGraphic(std::string_view data)
{
    if (data.size() < 3)
        return nullptr;
    const std::string_view tag = data.substr(0, 3);
    const std::string_view bytes = data.substr(3);
    if (tag == "BMP") {
        auto bmp = std::make_unique<TBitmap>();
        if (bmp->LoadFromBytes(bytes))
            return bmp;
    } else if (tag == "ICO") {
        auto ico = std::make_unique<TIcon>();
        if (ico->LoadFromBytes(bytes))
            return ico;
    }
    return nullptr;
}

TRLMetaPointArray ToMetaPointArray(std::span<const TPoint> points)
{
    return TRLMetaPointArray(points.begin(), points.end());
}

void CanvasSetClipRect(TCanvas &canvas, const TRect &r)
{
    canvas.ResetClipRect();
    if (r.Right != r.Left && r.Bottom != r.Top)
        canvas.SetClipRect(r);
}

void CanvasResetClipRect(TCanvas &canvas)
{
    canvas.ResetClipRect();
}

namespace {

bool isSeparator(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

int clampInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// However much room a damaged page claims, a justified line never grows by
// more spaces than this.
constexpr long long kMaxJustifySpaces = 65536;

} // namespace

std::string CanvasJustifyText(const TCanvas &canvas, std::string_view text, int maxWidth)
{
    return CanvasJustifyText(canvas.Font().Resource(), text, maxWidth);
}

std::string CanvasJustifyText(const FontResource &font, std::string_view text, int maxWidth)
{
    // Widths add up character by character, so the number of spaces the
    // one-at-a-time loop would insert is known in advance: each adds the width
    // of a space while the text plus one space still fits.
    std::string s(text);
    const long long spaceWidth = font.width(std::string_view(" "));
    const long long width = static_cast<long long>(font.width(s)) + spaceWidth;
    if (width > maxWidth)
        return s;
    // Gaps are runs of separators followed by a word; they take spaces from
    // the right, one each in turn, wrapping around.
    std::vector<size_t> gapStarts; // left to right
    size_t end = s.size();
    while (end > 0 && isSeparator(s[end - 1]))
        --end;
    for (size_t i = 0; i < end;) {
        if (isSeparator(s[i])) {
            gapStarts.push_back(i);
            while (i < end && isSeparator(s[i]))
                ++i;
        } else {
            ++i;
        }
    }
    if (gapStarts.empty())
        return s;
    long long n = spaceWidth > 0 ? (maxWidth - width) / spaceWidth + 1 : kMaxJustifySpaces;
    n = std::min(n, kMaxJustifySpaces);
    const long long g = static_cast<long long>(gapStarts.size());
    std::string out;
    out.reserve(s.size() + static_cast<size_t>(n));
    size_t from = 0;
    for (long long k = 0; k < g; ++k) {
        const long long fromRight = g - 1 - k;
        const long long extra = n / g + (fromRight < n % g ? 1 : 0);
        const size_t at = gapStarts[static_cast<size_t>(k)];
        out.append(s, from, at - from);
        out.append(static_cast<size_t>(extra), ' ');
        from = at;
    }
    out.append(s, from, std::string::npos);
    return out;
}

TRLTextPlacement CanvasTextPlacement(const FontResource &font, const TRect &r, int left, int top, std::string_view text,
                                     TRLMetaTextAlignment alignment, TRLMetaTextLayout layout)
{
    const int space = font.width(std::string_view(" "));
    const int half = space / 2;
    const long long w = static_cast<long long>(font.width(text)) + space;
    const long long h = font.height();
    long long x;
    switch (alignment) {
    case MetaTextAlignmentRight: x = r.Right - w + half; break;
    case MetaTextAlignmentCenter: x = (static_cast<long long>(r.Left) + r.Right - w) / 2 + half; break;
    default: x = static_cast<long long>(left) + half; break;
    }
    long long y;
    switch (layout) {
    case MetaTextLayoutBottom: y = r.Bottom - h; break;
    case MetaTextLayoutCenter: y = (static_cast<long long>(r.Top) + r.Bottom - h) / 2; break;
    default: y = top; break;
    }
    TRLTextPlacement placement{clampInt(x), clampInt(y), {}, false};
    if (alignment == MetaTextAlignmentJustify) {
        placement.Justified = CanvasJustifyText(font, text, clampInt(static_cast<long long>(r.Right) - placement.X));
        placement.IsJustified = true;
    }
    return placement;
}

void CanvasTextRectEx(TCanvas &canvas, const TRect &r, int left, int top, std::string_view text,
                      TRLMetaTextAlignment alignment, TRLMetaTextLayout layout, TRLMetaTextFlags flags)
{
    const TRLTextPlacement at = CanvasTextPlacement(canvas.Font().Resource(), r, left, top, text, alignment, layout);
    if (at.IsJustified)
        text = at.Justified;
    if (flags & MetaTextFlagAutoSize)
        canvas.TextOut(at.X, at.Y, text);
    else
        canvas.TextRect(r, at.X, at.Y, text);
}

void CanvasStretchDraw(TCanvas &canvas, const TRect &r, std::string_view data, bool parity, bool palette)
{
    const std::unique_ptr<TGraphic> graphic = FromMetaGraphic(data);
    if (!graphic)
        return;
    TRect target = r;
    // A picture without width cannot set a parity: it is drawn as given
    // rather than dividing by zero.
    if (parity && graphic->Width() > 0)
        target.Right =
            clampInt(static_cast<long long>(target.Left) +
                     (static_cast<long long>(target.Right) - target.Left) / graphic->Width() * graphic->Width() + 1);
    if (palette) {
        if (graphic->Empty())
            return;
        canvas.DrawImage(target, graphic->Image()
                                     .convertToFormat(QImage::Format_ARGB32)
                                     .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither));
        return;
    }
    canvas.StretchDraw(target, *graphic);
}

namespace {

std::span<const int> dashPattern(TPenStyle style)
{
    static constexpr int dash[] = {3, 1};
    static constexpr int dot[] = {1, 1};
    static constexpr int dashDot[] = {2, 1, 1, 1};
    static constexpr int dashDotDot[] = {3, 1, 1, 1, 1, 1};
    switch (style) {
    case TPenStyle::psDash: return dash;
    case TPenStyle::psDot: return dot;
    case TPenStyle::psDashDot: return dashDot;
    case TPenStyle::psDashDotDot: return dashDotDot;
    default: return {};
    }
}

// The part [t0, t1] of the segment start + t·(dx, dy), t in [0, 1], that lies
// inside box; false when none does.
bool clipSegment(double sx, double sy, double dx, double dy, double minX, double minY, double maxX, double maxY,
                 double &t0, double &t1)
{
    t0 = 0;
    t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {sx - minX, maxX - sx, sy - minY, maxY - sy};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

} // namespace

void CanvasLineToEx(TCanvas &canvas, int x, int y)
{
    TPen &pen = canvas.Pen();
    const std::span<const int> pattern = dashPattern(pen.Style);
    if (pattern.empty() || pen.Width <= 1) {
        canvas.LineTo(x, y);
        return;
    }
    const TPenStyle savedStyle = pen.Style;
    const int savedWidth = pen.Width;
    const TPoint start = canvas.PenPos();
    const double dx = static_cast<double>(x) - start.X;
    const double dy = static_cast<double>(y) - start.Y;
    const long long length = static_cast<long long>(std::nearbyint(std::sqrt(dx * dx + dy * dy)));
    const double theta = std::atan2(dy, dx);
    const double cosT = std::cos(theta), sinT = std::sin(theta);

    pen.Style = TPenStyle::psSolid;
    if (canvas.Brush().Style != TBrushStyle::bsClear) {
        // The gaps show the background, which the brush stands for.
        const TColor penColor = pen.Color;
        pen.Color = canvas.Brush().Color;
        canvas.MoveTo(start.X, start.Y);
        canvas.LineTo(x, y);
        pen.Color = penColor;
    }

    auto pointAt = [&](long long p) {
        return TPoint{SatAdd(start.X, RoundCoord(p * cosT)), SatAdd(start.Y, RoundCoord(p * sinT))};
    };
    const long long unit = 4LL * savedWidth;
    long long period = 0;
    for (int v : pattern)
        period += v * unit;

    // Only the stretch of the segment that can reach the device is walked;
    // whole periods before it are skipped (every pattern has an even length,
    // so a period starts again with a dash).
    long long first = 0, last = length;
    if (QPaintDevice *device = canvas.Device(); device && length > 0) {
        const double margin = static_cast<double>(savedWidth) + period;
        double t0 = 0, t1 = 1;
        if (!clipSegment(start.X, start.Y, dx, dy, -margin, -margin, device->width() + margin,
                         device->height() + margin, t0, t1)) {
            first = last = length;
        } else {
            first = static_cast<long long>(t0 * length) / period * period;
            last = std::min<long long>(length, static_cast<long long>(std::ceil(t1 * length)) + period);
        }
    }

    TPoint p0 = pointAt(first);
    canvas.MoveTo(p0.X, p0.Y);
    long long p = first;
    size_t i = 0;
    bool draw = true;
    while (p < last) {
        p = std::min(length, p + pattern[i] * unit);
        const TPoint pt = pointAt(p);
        if (draw)
            canvas.LineTo(pt.X, pt.Y);
        else
            canvas.MoveTo(pt.X, pt.Y);
        draw = !draw;
        i = (i + 1) % pattern.size();
    }
    if (last < length) {
        const TPoint end = pointAt(length);
        canvas.MoveTo(end.X, end.Y);
    }
    pen.Style = savedStyle;
    pen.Width = savedWidth;
}

void GetMetaFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics)
{
    // Size 750 on the 96-dpi measuring canvas is 1000 pixels per em.
    TFont font;
    font.SetPixelsPerInch(kDesignPixelsPerInch);
    font.SetName(fontName);
    font.SetStyle(fontStyle);
    font.SetSize(750);
    const int em = -font.Height();

    OutlineFontMetrics om;
    switch (GetOutlineFontMetrics(fontName, fontStyle, em, om)) {
    case OutlineMetricsResult::NotOutlineFont:
        throw Exception(QStringLiteral("Invalid font for GetOutlineTextMetrics"));
    case OutlineMetricsResult::Failed: throw Exception(QStringLiteral("GetOutlineTextMetrics failed"));
    case OutlineMetricsResult::Ok: break;
    }
    const std::string name = cp1252::encode(fontName);
    metrics.TrueType = om.trueTypeOutlines;
    metrics.BaseFont = name;
    metrics.FirstChar = om.firstChar & 255;
    metrics.LastChar = om.lastChar & 255;
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(font);
    for (int code = metrics.FirstChar; code <= metrics.LastChar; ++code) {
        const char ch = static_cast<char>(code);
        metrics.Widths[static_cast<size_t>(code)] = canvas.TextWidth(std::string_view(&ch, 1));
    }
    TRLMetaFontDescriptor &d = metrics.FontDescriptor;
    d.Name = name;
    d.Styles.clear();
    if (fontStyle & fsBold)
        d.Styles += "Bold";
    if (fontStyle & fsItalic)
        d.Styles += "Italic";
    if (fontStyle & fsUnderline)
        d.Styles += "Underline";
    if (fontStyle & fsStrikeOut)
        d.Styles += "StrikeOut";
    d.Flags = 32;
    d.FontBBox = om.fontBox;
    d.MissingWidth = 0;
    d.StemV = 0;
    d.StemH = 0;
    d.ItalicAngle = om.italicAngle;
    d.CapHeight = om.capHeight;
    d.XHeight = om.xHeight;
    d.Ascent = om.ascent;
    d.Descent = om.descent;
    d.Leading = om.internalLeading;
    d.MaxWidth = om.maxWidth;
    d.AvgWidth = om.avgWidth;
}

void GetCanvasFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics)
{
    try {
        GetMetaFontMetrics(fontName, fontStyle, metrics);
        return;
    } catch (const Exception &) {
        // A face without outline tables: what the canvas measures it with.
    }
    TFont font;
    font.SetPixelsPerInch(kDesignPixelsPerInch);
    font.SetName(fontName);
    font.SetStyle(fontStyle);
    font.SetSize(750);
    const FontResource &res = font.Resource();
    const std::string name = cp1252::encode(fontName);
    metrics = TRLMetaFontMetrics();
    metrics.BaseFont = name;
    metrics.FirstChar = 32;
    metrics.LastChar = 255;
    int widest = 0;
    long long sum = 0;
    for (int code = metrics.FirstChar; code <= metrics.LastChar; ++code) {
        const int w = res.advances[static_cast<size_t>(code)];
        metrics.Widths[static_cast<size_t>(code)] = w;
        widest = std::max(widest, w);
        sum += w;
    }
    TRLMetaFontDescriptor &d = metrics.FontDescriptor;
    d.Name = name;
    d.Flags = 32;
    d.FontBBox = TRect{0, res.ascent, widest, -res.descent};
    d.CapHeight = res.ascent * 7 / 10;
    d.XHeight = res.ascent / 2;
    d.Ascent = res.ascent;
    d.Descent = res.descent;
    d.Leading = std::max(0, res.height() - res.emPixels);
    d.MaxWidth = widest;
    d.AvgWidth = static_cast<int>(sum / (metrics.LastChar - metrics.FirstChar + 1));
}

} // namespace prenso
