#pragma once
// The values a stored page is made of: the codes that objects keep for pen
// modes and styles, brush styles, font pitch and style, text alignment and
// layout, and colours, points and rectangles. Records hold these codes,
// never canvas enumerations; unknown codes read from a file are kept as they
// are and drawn as the default of their kind.

#include "platform/graphics/valuetypes.h"
#include "report/RLPageOrientation.h"

#include <cstdint>
#include <vector>

namespace prenso {

using TRLMetaPenMode = std::uint8_t; // 1..16: canvas raster mode ordinal + 1
inline constexpr TRLMetaPenMode MetaPenModeCopy = 5;

using TRLMetaPenStyle = std::uint8_t;
inline constexpr TRLMetaPenStyle MetaPenStyleSolid = 1;
inline constexpr TRLMetaPenStyle MetaPenStyleDash = 2;
inline constexpr TRLMetaPenStyle MetaPenStyleDot = 3;
inline constexpr TRLMetaPenStyle MetaPenStyleDashDot = 4;
inline constexpr TRLMetaPenStyle MetaPenStyleDashDotDot = 5;
inline constexpr TRLMetaPenStyle MetaPenStyleClear = 6;
inline constexpr TRLMetaPenStyle MetaPenStyleInsideFrame = 7;

using TRLMetaBrushStyle = std::uint8_t;
inline constexpr TRLMetaBrushStyle MetaBrushStyleSolid = 1;
inline constexpr TRLMetaBrushStyle MetaBrushStyleClear = 2;
inline constexpr TRLMetaBrushStyle MetaBrushStyleHorizontal = 3;
inline constexpr TRLMetaBrushStyle MetaBrushStyleVertical = 4;
inline constexpr TRLMetaBrushStyle MetaBrushStyleFDiagonal = 5;
inline constexpr TRLMetaBrushStyle MetaBrushStyleBDiagonal = 6;
inline constexpr TRLMetaBrushStyle MetaBrushStyleCross = 7;
inline constexpr TRLMetaBrushStyle MetaBrushStyleDiagCross = 8;

using TRLMetaFontPitch = std::uint8_t;
inline constexpr TRLMetaFontPitch MetaFontPitchDefault = 1;
inline constexpr TRLMetaFontPitch MetaFontPitchVariable = 2;
inline constexpr TRLMetaFontPitch MetaFontPitchFixed = 3;

using TRLMetaFontStyles = std::uint8_t;
inline constexpr TRLMetaFontStyles MetaFontStyleBold = 1;
inline constexpr TRLMetaFontStyles MetaFontStyleItalic = 2;
inline constexpr TRLMetaFontStyles MetaFontStyleUnderline = 4;
inline constexpr TRLMetaFontStyles MetaFontStyleStrikeOut = 8;

using TRLMetaTextAlignment = std::uint8_t;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentLeft = 1;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentRight = 2;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentCenter = 3;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentJustify = 4;

using TRLMetaTextLayout = std::uint8_t;
inline constexpr TRLMetaTextLayout MetaTextLayoutTop = 1;
inline constexpr TRLMetaTextLayout MetaTextLayoutBottom = 2;
inline constexpr TRLMetaTextLayout MetaTextLayoutCenter = 3;

using TRLMetaTextFlags = std::uint16_t;
inline constexpr TRLMetaTextFlags MetaTextFlagAutoSize = 1; // drawn at the origin, not clipped
inline constexpr TRLMetaTextFlags MetaTextFlagNoSplit = 4;  // a page split may not cut through it

using TRLMetaOrientation = int;
inline constexpr TRLMetaOrientation MetaOrientationPortrait = 1;
inline constexpr TRLMetaOrientation MetaOrientationLandscape = 2;

// The orientation code that the page description is stored with. Only the
// storage and its file formats deal in codes; everything else speaks of a
// TRLPageOrientation.
constexpr TRLMetaOrientation StoredOrientationCode(TRLPageOrientation orientation)
{
    return orientation == TRLPageOrientation::poLandscape ? MetaOrientationLandscape : MetaOrientationPortrait;
}

// The orientation a stored code stands for. A file may hold any number there:
// every code but the landscape one is read as portrait.
constexpr TRLPageOrientation OrientationOfStoredCode(TRLMetaOrientation code)
{
    return code == MetaOrientationLandscape ? TRLPageOrientation::poLandscape : TRLPageOrientation::poPortrait;
}

// Whether the oriented sizes of a page of that code are its width and height
// swapped: for every code but the portrait one. For a code that is neither
// (0, 3, ...) this is not the orientation above: such a page goes to the
// printer as portrait yet keeps its swapped sizes in the preview, the PDF and
// the draft output, as saved reports holding one always have.
constexpr bool StoredCodeTurnsPage(TRLMetaOrientation code)
{
    return code != MetaOrientationPortrait;
}

struct TRLMetaColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const TRLMetaColor &, const TRLMetaColor &) = default;
};

using TRLMetaRect = TRect;
using TRLMetaPoint = TPoint;
using TRLMetaPointArray = std::vector<TRLMetaPoint>;

// ---------------------------------------------------------------------------
// Stored pen, brush and font. Each belongs to one graphic object and is copied
// by value.

} // namespace prenso
