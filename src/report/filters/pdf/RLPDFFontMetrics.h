#pragma once
// The metrics a PDF needs of a font to embed it or name it: its widths in
// thousandths of an em and the fields of its font descriptor.

#include "platform/graphics/valuetypes.h"

#include <QString>

#include <array>
#include <string>

namespace prenso {

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
