#include "report/storage/RLCanvasRoutines.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/storage/RLMetaConversions.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace prenso {

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

} // namespace prenso
