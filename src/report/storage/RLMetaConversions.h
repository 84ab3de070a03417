#pragma once
// Conversions between the stored pen, brush, font, colour and picture
// records of a page and the canvas's own: recording turns canvas values into
// records, painting turns records back into canvas values.

#include "report/storage/RLMetaRecords.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace prenso {

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

} // namespace prenso
