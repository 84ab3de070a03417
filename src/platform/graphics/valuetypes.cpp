#include "platform/graphics/valuetypes.h"

#include "platform/graphics/canvas.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace prenso {

TRect PointsBounds(std::span<const TPoint> points)
{
    if (points.empty())
        return TRect{};
    TRect b{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint &p : points) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X);
        b.Bottom = std::max(b.Bottom, p.Y);
    }
    return b;
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    long long p = static_cast<long long>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const long long ap = std::llabs(p), ac = std::llabs(c);
    long long q = (ap + ac / 2) / ac;
    if (negative)
        q = -q;
    // Symmetric range, so that callers may negate the result.
    return static_cast<int>(
        std::clamp<long long>(q, -std::numeric_limits<int>::max(), std::numeric_limits<int>::max()));
}

TColor ColorToRGB(TColor color)
{
    if (color == clNone)
        return clBlack;
    if (color == clDefault)
        return clWhite;
    if (color >= 0)
        return color & 0xFFFFFF;
    // The desktop's colours where a palette exists; the classic defaults otherwise.
    const int index = color & 0xFF;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        const QPalette pal = QGuiApplication::palette();
        QColor c;
        switch (index) {
        case 5: c = pal.color(QPalette::Base); break;
        case 8: c = pal.color(QPalette::Text); break;
        case 13: c = pal.color(QPalette::Highlight); break;
        case 14: c = pal.color(QPalette::HighlightedText); break;
        case 15: c = pal.color(QPalette::Button); break;
        case 16: c = pal.color(QPalette::Dark); break;
        case 17: c = pal.color(QPalette::Disabled, QPalette::Text); break;
        case 18: c = pal.color(QPalette::ButtonText); break;
        case 23: c = pal.color(QPalette::ToolTipText); break;
        case 24: c = pal.color(QPalette::ToolTipBase); break;
        default: break;
        }
        if (c.isValid())
            return RGBColor(c.red(), c.green(), c.blue());
    }
    switch (index) {
    case 5: return clWhite;
    case 8:
    case 18:
    case 23: return clBlack;
    case 13: return RGBColor(0, 120, 215);
    case 14: return clWhite;
    case 15: return RGBColor(240, 240, 240);
    case 16: return RGBColor(160, 160, 160);
    case 17: return RGBColor(109, 109, 109);
    case 24: return RGBColor(255, 255, 225);
    default: return RGBColor(192, 192, 192);
    }
}

// ---------------------------------------------------------------------------

TFont::TFont() : m_name(QStringLiteral("Arial")), m_height(-MulDiv(8, kDesignPixelsPerInch, kPointsPerInch))
{}

void TFont::SetName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    m_resource.reset();
}

void TFont::SetHeight(int height)
{
    if (height == m_height)
        return;
    m_height = height;
    m_resource.reset();
}

int TFont::Size() const
{
    return -MulDiv(m_height, 72, m_pixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, m_pixelsPerInch, 72));
}

void TFont::SetPixelsPerInch(int ppi)
{
    m_pixelsPerInch = ppi > 0 ? ppi : kDesignPixelsPerInch;
}

void TFont::SetStyle(TFontStyles style)
{
    style &= 15;
    if (style == m_style)
        return;
    m_style = style;
    m_resource.reset();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == m_pitch)
        return;
    m_pitch = pitch;
    m_resource.reset();
}

void TFont::Assign(const TFont &source)
{
    if (&source == this)
        return;
    m_name = source.m_name;
    m_style = source.m_style;
    m_color = source.m_color;
    m_charset = source.m_charset;
    m_pitch = source.m_pitch;
    if (m_pixelsPerInch == source.m_pixelsPerInch) {
        m_height = source.m_height;
        m_resource = source.m_resource;
    } else {
        m_resource.reset();
        SetSize(source.Size());
    }
}

const FontResource &TFont::Resource() const
{
    if (!m_resource)
        m_resource = FontResource::get(m_name, m_height, m_style, m_pitch);
    return *m_resource;
}

bool operator==(const TFont &a, const TFont &b)
{
    return a.m_name == b.m_name && a.m_height == b.m_height && a.m_pixelsPerInch == b.m_pixelsPerInch &&
           a.m_style == b.m_style && a.m_color == b.m_color && a.m_charset == b.m_charset && a.m_pitch == b.m_pitch;
}

} // namespace prenso
