#include "report/storage/RLMetaRecords.h"

#include "report/storage/RLGraphicPage.h"

namespace prenso {

// ===========================================================================
// Pen, brush, font

void TRLMetaPen::Inflate(double factor)
{
    if (FWidth != 0)
        FWidth = std::max(1, RoundCoord(FWidth * factor));
}

void TRLMetaPen::Save(TRLStreamWriter &w) const
{
    w.Color(FColor);
    w.U8(FMode);
    w.U8(FStyle);
    w.I32(FWidth);
}

void TRLMetaPen::Load(TRLStreamReader &r)
{
    FColor = r.Color("a pen");
    FMode = r.U8("a pen");
    FStyle = r.U8("a pen");
    FWidth = r.I32("a pen");
}

void TRLMetaBrush::Save(TRLStreamWriter &w) const
{
    char *p = w.Take(4);
    TRLStreamWriter::PutColor(p, FColor);
    p[3] = static_cast<char>(FStyle);
}

void TRLMetaBrush::Load(TRLStreamReader &r)
{
    FColor = r.Color("a brush");
    FStyle = r.U8("a brush");
}

QString TRLMetaFont::Name() const
{
    const TRLGraphicPage *page = FUser ? FUser->Page() : nullptr;
    if (!page || FNameId < 0 || FNameId >= static_cast<int>(page->Fonts().size()))
        return QString();
    return page->Fonts()[static_cast<size_t>(FNameId)];
}

void TRLMetaFont::SetName(const QString &name)
{
    TRLGraphicPage *page = FUser ? FUser->Page() : nullptr;
    if (page)
        FNameId = page->FontNameId(name);
}

void TRLMetaFont::Assign(const TRLMetaFont &other)
{
    if (&other == this)
        return;
    FPixelsPerInch = other.FPixelsPerInch;
    FCharset = other.FCharset;
    FColor = other.FColor;
    FHeight = other.FHeight;
    FPitch = other.FPitch;
    FSize = other.FSize;
    FStyle = other.FStyle;
    if (FUser && other.FUser && FUser->Page() == other.FUser->Page())
        FNameId = other.FNameId;
    else
        SetName(other.Name());
}

void TRLMetaFont::Save(TRLStreamWriter &w) const
{
    char *p = w.Take(23);
    TRLStreamWriter::PutI32(p, FPixelsPerInch);
    p[4] = static_cast<char>(FCharset);
    TRLStreamWriter::PutColor(p + 5, FColor);
    TRLStreamWriter::PutI32(p + 8, FHeight);
    TRLStreamWriter::PutI32(p + 12, FNameId);
    p[16] = static_cast<char>(FPitch);
    TRLStreamWriter::PutI32(p + 17, FSize);
    TRLStreamWriter::PutU16(p + 21, FStyle);
}

void TRLMetaFont::Load(TRLStreamReader &r)
{
    FPixelsPerInch = r.I32("a font");
    FCharset = r.U8("a font");
    FColor = r.Color("a font");
    FHeight = r.I32("a font");
    FNameId = r.I32("a font");
    FPitch = r.U8("a font");
    FSize = r.I32("a font");
    // The style takes two bytes, which makes the 23-byte font of the format;
    // a font cut one byte short is still read.
    FStyle = static_cast<TRLMetaFontStyles>(r.Remaining() >= 2 ? r.U16("a font") : r.U8("a font"));
}

} // namespace prenso
