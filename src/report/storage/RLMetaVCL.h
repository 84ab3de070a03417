#pragma once
// Conversions between stored pen, brush, font and picture records and the
// canvas's own, and the canvas routines every output shares: clipping, text
// placement with alignment and justification, pictures with parity, and
// lines drawn with wide dashed pens.

#include "report/storage/RLMetaRecords.h"

#include <QString>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace prenso {

class FontResource;
class TCanvas;
class TGraphic;

TRLMetaColor ToMetaColor(TColor color);
TColor FromMetaColor(const TRLMetaColor &color);

TRLMetaPenMode ToMetaPenMode(TPenMode mode);
TPenMode FromMetaPenMode(TRLMetaPenMode mode);
TRLMetaPenStyle ToMetaPenStyle(TPenStyle style);
TPenStyle FromMetaPenStyle(TRLMetaPenStyle style);
TRLMetaBrushStyle ToMetaBrushStyle(TBrushStyle style);
TBrushStyle FromMetaBrushStyle(TRLMetaBrushStyle style);
TRLMetaFontPitch ToMetaFontPitch(TFontPitch pitch);
TFontPitch FromMetaFontPitch(TRLMetaFontPitch pitch);

void ToMetaPen(const TPen &pen, TRLMetaPen &metaPen);
void FromMetaPen(const TRLMetaPen &metaPen, TPen &pen);
void ToMetaBrush(const TBrush &brush, TRLMetaBrush &metaBrush);
void FromMetaBrush(const TRLMetaBrush &metaBrush, TBrush &brush);
void ToMetaFont(const TFont &font, TRLMetaFont &metaFont);
// Size := round(stored size × factor × stored ppi ÷ the target font's ppi).
void FromMetaFont(const TRLMetaFont &metaFont, TFont &font, double factor = 1.0);
// Pens of width 2 or more get max(1, round(width × factor)).
void ScaleMetaPenWidth(TPen &pen, double factor);

// "NIL" for no picture, "BMP" + bitmap file bytes, "ICO" + icon file bytes;
// any other picture is drawn onto a bitmap and stored as "BMP".
std::string ToMetaGraphic(const TGraphic *graphic);
// nullptr for empty data, "NIL", an unknown tag or bytes that do not decode.
std::unique_ptr<TGraphic> FromMetaGraphic(std::string_view data);
TRLMetaPointArray ToMetaPointArray(std::span<const TPoint> points);

// Clips drawing to r; a rectangle without width or height removes clipping.
void CanvasSetClipRect(TCanvas &canvas, const TRect &r);
void CanvasResetClipRect(TCanvas &canvas);
// Draws a stored text: half a space in from the left, aligned, laid out and
// justified in r; clipped to r unless `flags` has MetaTextFlagAutoSize.
void CanvasTextRectEx(TCanvas &canvas, const TRect &r, int left, int top, std::string_view text,
                      TRLMetaTextAlignment alignment, TRLMetaTextLayout layout, TRLMetaTextFlags flags);
// The text as CanvasTextRectEx would justify it for `maxWidth` pixels of room.
std::string CanvasJustifyText(const TCanvas &canvas, std::string_view text, int maxWidth);
std::string CanvasJustifyText(const FontResource &font, std::string_view text, int maxWidth);

// Where CanvasTextRectEx puts a text in `font`: the top left corner of its
// cell, and for justified texts the text with the spaces it gains. Outputs
// that draw texts themselves (the printer's PDF) place them so too.
struct TRLTextPlacement {
    int X = 0;
    int Y = 0;
    std::string Justified;
    bool IsJustified = false;
};
TRLTextPlacement CanvasTextPlacement(const FontResource &font, const TRect &r, int left, int top, std::string_view text,
                                     TRLMetaTextAlignment alignment, TRLMetaTextLayout layout);
// Draws stored picture data stretched into r; with parity the drawn width is
// a whole multiple of the picture's width plus one pixel. With `palette` the
// picture is reduced to 256 colours first, as printers take pictures.
void CanvasStretchDraw(TCanvas &canvas, const TRect &r, std::string_view data, bool parity, bool palette = false);
// A line from the pen position to (x, y); wide dashed pens get dashes of
// 4 × width units that follow the segment in any direction.
void CanvasLineToEx(TCanvas &canvas, int x, int y);

struct TRLMetaFontDescriptor {
    std::string Name;
    std::string Styles;
    int Flags = 0;
    TRect FontBBox;
    int MissingWidth = 0;
    int StemV = 0;
    int StemH = 0;
    int ItalicAngle = 0; // tenths of a degree, as the outline metrics give it
    int CapHeight = 0;
    int XHeight = 0;
    int Ascent = 0;
    int Descent = 0; // positive, below the baseline
    int Leading = 0; // internal leading
    int MaxWidth = 0;
    int AvgWidth = 0;
};

struct TRLMetaFontMetrics {
    bool TrueType = false;
    std::string BaseFont;
    int FirstChar = 0;
    int LastChar = 0;
    std::array<int, 256> Widths{};
    TRLMetaFontDescriptor FontDescriptor;
};

// Metrics of a font at 1000 pixels per em (750 points at 96 dpi), so widths
// are thousandths of an em. Raises "Invalid font for GetOutlineTextMetrics"
// for a font without outlines and "GetOutlineTextMetrics failed" when its
// tables cannot be read.
void GetMetaFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics);
// The same, and for a face without outline tables (a Type 1 face) what the
// canvas measures it with, so that an output that must not fail over a font
// (a printer) still has its widths.
void GetCanvasFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics);

} // namespace prenso
