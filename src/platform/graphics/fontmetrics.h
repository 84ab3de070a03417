#pragma once
// Outline metrics of a scalable font, read from the font's own tables
// (head, hhea, OS/2, post, cmap) of the face that a name and style resolve to.

#include "platform/graphics/valuetypes.h"

#include <QString>

namespace prenso::fonts {

struct OutlineFontMetrics {
    bool trueTypeOutlines = false; // glyf outlines (not CFF)
    QString family;                // the face actually used
    int unitsPerEm = 0;
    // All values below are in pixels at the requested em size, rounded.
    TRect fontBox;       // head xMin, yMax, xMax, yMin as Left, Top, Right, Bottom (y up: Top > Bottom)
    int italicAngle = 0; // tenths of a degree, counter-clockwise from vertical (post)
    int capHeight = 0;
    int xHeight = 0;
    int ascent = 0;          // cell ascent (OS/2 usWinAscent)
    int descent = 0;         // cell descent, positive (OS/2 usWinDescent)
    int internalLeading = 0; // ascent + descent - em
    int maxWidth = 0;        // hhea advanceWidthMax
    int avgWidth = 0;        // OS/2 xAvgCharWidth
    int firstChar = 0;       // lowest and highest Windows-1252 byte from the space up that the face has a glyph for
    int lastChar = 0;
};

enum class OutlineMetricsResult { Ok, NotOutlineFont, Failed };

// Fills `out` for the face that `name` and `style` resolve to at `emPixels`.
// NotOutlineFont when the face has no scalable outline tables; Failed when a
// table is there but too short to read.
OutlineMetricsResult outlineMetrics(const QString &name, TFontStyles style, int emPixels, OutlineFontMetrics &out);

} // namespace prenso::fonts
