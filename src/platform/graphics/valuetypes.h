#pragma once
// Graphic value types with the meanings the engine was built on: colours as
// RGB integers, fonts that know both their point size and their pixel height,
// pens with raster modes and dash styles, brushes with hatch styles, and
// rectangles whose right and bottom edges are exclusive.

#include "platform/graphics/units.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

namespace prenso {

// ---------------------------------------------------------------------------
// Integer geometry

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

// Right and Bottom are exclusive: (0, 0, 10, 10) covers 10 × 10 pixels.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    // Saturated, so a rectangle read from a damaged file cannot overflow.
    int Width() const { return clampSpan(static_cast<long long>(Right) - Left); }
    int Height() const { return clampSpan(static_cast<long long>(Bottom) - Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect &, const TRect &) = default;

private:
    static int clampSpan(long long v)
    {
        return static_cast<int>(v < -2147483647LL ? -2147483647LL : v > 2147483647LL ? 2147483647LL : v);
    }
};

// a + b, saturated to the int range. Inline with the two below: every
// object of every page is moved and clipped through them.
inline int SatAdd(int a, int b)
{
    const long long s = static_cast<long long>(a) + b;
    return static_cast<int>(s < -2147483647LL - 1 ? -2147483647LL - 1 : s > 2147483647LL ? 2147483647LL : s);
}

// Overlap of two rectangles; false (and an all-zero result) when they do not
// overlap, as the platform's IntersectRect.
inline bool IntersectRect(TRect &result, const TRect &a, const TRect &b)
{
    result.Left = a.Left > b.Left ? a.Left : b.Left;
    result.Top = a.Top > b.Top ? a.Top : b.Top;
    result.Right = a.Right < b.Right ? a.Right : b.Right;
    result.Bottom = a.Bottom < b.Bottom ? a.Bottom : b.Bottom;
    if (result.Right <= result.Left || result.Bottom <= result.Top) {
        result = TRect{};
        return false;
    }
    return true;
}

// r moved by (dx, dy), saturated.
inline TRect OffsetRect(const TRect &r, int dx, int dy)
{
    return TRect{SatAdd(r.Left, dx), SatAdd(r.Top, dy), SatAdd(r.Right, dx), SatAdd(r.Bottom, dy)};
}
// The smallest rectangle whose corners are the extreme points (right and
// bottom included, as for the points of a line); all zero for no points.
TRect PointsBounds(std::span<const TPoint> points);

// a * b / c rounded half away from zero, as the platform's MulDiv; c == 0 gives
// -1 like the platform. The result saturates at ±INT_MAX.
int MulDiv(int a, int b, int c);

// ---------------------------------------------------------------------------
// Colours: Red + Green * 256 + Blue * 65536. Negative values with the top bit
// set are system colours (0x80000000 | index) resolved by ColorToRGB.

using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;

inline constexpr TColor RGBColor(int r, int g, int b)
{
    return (r & 255) | ((g & 255) << 8) | ((b & 255) << 16);
}
inline constexpr int GetRValue(TColor c)
{
    return c & 255;
}
inline constexpr int GetGValue(TColor c)
{
    return (c >> 8) & 255;
}
inline constexpr int GetBValue(TColor c)
{
    return (c >> 16) & 255;
}

// System colours become the RGB value the desktop uses for them; clNone and
// clDefault become black and white like the platform does for drawing; an
// RGB value keeps its low 24 bits.
TColor ColorToRGB(TColor color);

// ---------------------------------------------------------------------------
// Pens, brushes and fonts

// The 16 binary raster operations, in the platform's order.
enum class TPenMode : std::uint8_t {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;

struct TPen {
    TColor Color = clBlack;
    TPenMode Mode = TPenMode::pmCopy;
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;
    friend bool operator==(const TPen &, const TPen &) = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
    friend bool operator==(const TBrush &, const TBrush &) = default;
};

class FontResource;

// A font by name, style and size. Height is the platform's font height in
// pixels (negative: character height without internal leading; positive: cell
// height), Size is in points, and the two are tied through PixelsPerInch:
// Height = -MulDiv(Size, PixelsPerInch, 72). Changing PixelsPerInch keeps the
// Height; Assign keeps the target's PixelsPerInch and carries the point size
// over when the two differ, so a font set on a 600-dpi printer from a screen
// font keeps its size in points.
class TFont {
public:
    TFont();

    const QString &Name() const { return m_name; }
    void SetName(const QString &name);
    int Height() const { return m_height; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int ppi);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return m_color; }
    void SetColor(TColor color) { m_color = color; }
    std::uint8_t Charset() const { return m_charset; }
    void SetCharset(std::uint8_t charset) { m_charset = charset; }
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch pitch);

    void Assign(const TFont &source);

    // The realised font (matched face, pixel size, advances of the 256 code
    // page characters). Resolved on first use and kept until a property that
    // changes the glyphs is set; needs a running QGuiApplication.
    const FontResource &Resource() const;

    friend bool operator==(const TFont &a, const TFont &b);

private:
    QString m_name;
    int m_height;
    int m_pixelsPerInch = kDesignPixelsPerInch;
    TFontStyles m_style = 0;
    TColor m_color = clBlack;
    std::uint8_t m_charset = 1; // the platform's DEFAULT_CHARSET
    TFontPitch m_pitch = TFontPitch::fpDefault;
    mutable std::shared_ptr<const FontResource> m_resource;
};

} // namespace prenso
