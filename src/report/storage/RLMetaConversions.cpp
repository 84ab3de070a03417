#include "report/storage/RLMetaConversions.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"

#include <algorithm>

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

} // namespace prenso
