#pragma once
// A drawing surface with the platform canvas's meanings, painted through
// QPainter on an image, a widget or a printer.
//
// What the engine relies on and this class keeps:
// - coordinates are device pixels; rectangles exclude their right and bottom
//   edges; lines exclude their end point;
// - text is placed by the top of its character cell, each character advances
//   by a whole number of pixels (no kerning), so the width a text measures is
//   exactly the width it is drawn with, on every device;
// - a solid brush paints the background of text (the cell for TextOut, the
//   whole rectangle for TextRect) and the gaps of dashed one-pixel lines; hatch
//   brushes leave their background alone;
// - the pen's raster mode applies to lines and filled shapes, not to text and
//   pictures;
// - the font's PixelsPerInch is the device's, so a size in points gives the
//   right height in pixels on a 600-dpi printer as on a 96-dpi image.

#include "platform/graphics/fontface.h"
#include "platform/graphics/valuetypes.h"

#include <QFont>
#include <QImage>
#include <QRawFont>

#include <array>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

class QPainter;
class QPaintDevice;

namespace prenso {

class TGraphic;

// A realised font: the matched face at a whole pixel size plus its cell
// metrics and the advance of every code page character, all in pixels.
class FontResource {
public:
    QFont font; // pixel-sized, kerning off
    // The face's tables, for measuring and embedding; null when the font has
    // no outline face.
    std::shared_ptr<const fonts::FontFace> face;
    int emPixels = 0; // character height
    int ascent = 0;   // cell height = ascent + descent
    int descent = 0;
    std::array<int, 256> advances{};   // by Windows-1252 byte
    std::array<quint32, 256> glyphs{}; // glyph index by byte, 0 = none
    // The advance of every byte when all 256 are alike (a fixed-pitch face
    // such as the forms' Courier New), else -1.
    int uniformAdvance = -1;

    int height() const { return ascent + descent; }
    // Saturates at the largest int: a stored text can be long enough to
    // overflow a plain sum.
    int width(std::string_view bytes) const
    {
        // Every line is measured as it is laid out: with one advance for all
        // bytes by a product, otherwise four bytes a step into separate sums.
        const size_t n = bytes.size();
        if (uniformAdvance >= 0) {
            const long long w = static_cast<long long>(n) * uniformAdvance;
            return w > 2147483647LL ? 2147483647 : static_cast<int>(w);
        }
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
        long long w0 = 0, w1 = 0, w2 = 0, w3 = 0;
        size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            w0 += advances[p[i]];
            w1 += advances[p[i + 1]];
            w2 += advances[p[i + 2]];
            w3 += advances[p[i + 3]];
        }
        for (; i < n; ++i)
            w0 += advances[p[i]];
        const long long w = w0 + w1 + w2 + w3;
        return w > 2147483647LL ? 2147483647 : static_cast<int>(w);
    }
    int width(const QString &text) const;

    // The face realised by the toolkit at the font's size, to draw glyph runs
    // and to look up characters outside the code page. A face read from a
    // remembered file realises it only when it is first asked for: a run
    // that only prints never does.
    const QRawFont &rawFont() const;

    // The resource for a font description, shared by every TFont that asks
    // for the same one. The cache is process-wide and bounded.
    static std::shared_ptr<const FontResource> get(const QString &name, int height, TFontStyles style,
                                                   TFontPitch pitch);
    // Empties that cache: the next request realises its font afresh (after
    // the installed fonts changed; tests of how fonts are realised).
    static void forgetAll();

    mutable std::once_flag realisedOnce; // rawFont() realises its face once
    mutable QRawFont realised;
};

// The unhinted advances of `count` glyphs of a TrueType face at
// `pixelSize`, read from the face's metrics table and scaled as the rasteriser
// scales them, so that they equal the toolkit's design-metric advances to
// the 64th of a pixel; false for a face this cannot be done for (no
// TrueType outlines, a variable face), which then asks the toolkit.
// Loading every glyph to learn its advance was a third of a short job's
// font cost.
bool DesignAdvances(const fonts::FontFace &face, double pixelSize, const quint32 *glyphs, int count, double *advances);

class TCanvas {
public:
    // Paints on `device` (an image, a widget inside its paint event, a
    // printer) until destroyed. `pixelsPerInch` 0 takes the device's.
    explicit TCanvas(QPaintDevice *device, int pixelsPerInch = 0);
    // Paints through a painter someone else has begun and will end.
    TCanvas(QPainter &painter, int pixelsPerInch);
    ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    TFont &Font() { return m_font; }
    const TFont &Font() const { return m_font; }
    void SetFont(const TFont &font) { m_font.Assign(font); }
    TPen &Pen() { return m_pen; }
    void SetPen(const TPen &pen) { m_pen = pen; }
    TBrush &Brush() { return m_brush; }
    void SetBrush(const TBrush &brush) { m_brush = brush; }
    TPoint PenPos() const { return m_penPos; }
    int PixelsPerInch() const { return m_ppi; }
    QPainter *Painter() const { return m_painter; }
    QPaintDevice *Device() const;

    void MoveTo(int x, int y) { m_penPos = {x, y}; }
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect &r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // A rectangle with corners rounded by ellipses `cornerWidth` × `cornerHeight`.
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect &r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void FillRect(const TRect &r);

    // Texts are Windows-1252 bytes; the QString forms serve window code.
    void TextOut(int x, int y, std::string_view text);
    void TextOut(int x, int y, const QString &text);
    void TextRect(const TRect &r, int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const { return m_font.Resource().width(text); }
    int TextWidth(const QString &text) const { return m_font.Resource().width(text); }
    int TextHeight(std::string_view) const { return m_font.Resource().height(); }
    int TextHeight(const QString &) const { return m_font.Resource().height(); }

    void Draw(int x, int y, const TGraphic &graphic);
    void StretchDraw(const TRect &r, const TGraphic &graphic);
    void DrawImage(const TRect &r, const QImage &image);

    // Clipping to one rectangle, or none.
    void SetClipRect(const TRect &r);
    void ResetClipRect();
    bool Clipped() const { return m_clipped; }
    TRect ClipRect() const { return m_clip; }

    // A copy of part of what has been painted (images and widgets only; other
    // devices give white).
    QImage Grab(const TRect &source);

private:
    void drawText(int x, int y, const QString *wide, std::string_view bytes, const TRect *clip);
    void applyShapeState(bool usePen, bool useBrush);
    // The corners put in order and limited to device coordinates, and the
    // shape state applied; false when there is nothing to draw.
    bool beginBoxShape(int x1, int y1, int x2, int y2, TRect &box);
    void finishShapeState();

    std::unique_ptr<QPainter> m_ownPainter;
    QPainter *m_painter = nullptr;
    int m_ppi = kDesignPixelsPerInch;
    TFont m_font;
    TPen m_pen;
    TBrush m_brush;
    TPoint m_penPos;
    bool m_clipped = false;
    TRect m_clip;
};

// The engine's shared measuring surface: a 1×1 image at 96 pixels per inch,
// created on first use and kept for the life of the program. Texts recorded
// into pages are measured here rather than on a device.
TCanvas &MeasureCanvas();

} // namespace prenso
