#pragma once
// Pages with one object of every kind, and byte builders for hand-made
// streams, shared by the page storage tests.

#include "platform/graphics/pictures.h"
#include "platform/io/streams.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QImage>

#include <memory>
#include <string>

namespace prenso::test {

// Little-endian byte builder for expected streams, written independently of
// the code under test.
class Bytes {
public:
    Bytes &raw(std::string_view s)
    {
        m_s.append(s);
        return *this;
    }
    Bytes &u8(int v)
    {
        m_s.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes &u16(int v) { return u8(v & 255).u8((v >> 8) & 255); }
    Bytes &i32(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        return u8(u & 255).u8((u >> 8) & 255).u8((u >> 16) & 255).u8(u >> 24);
    }
    Bytes &str(std::string_view s) { return i32(static_cast<std::int32_t>(s.size())).raw(s); }
    Bytes &zeros(size_t n)
    {
        m_s.append(n, '\0');
        return *this;
    }
    const std::string &s() const { return m_s; }
    size_t size() const { return m_s.size(); }

private:
    std::string m_s;
};

inline std::string redBitmapBytes(int w, int h)
{
    TBitmap bmp(w, h);
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    bmp.SetImage(img);
    return bmp.SaveToBytes();
}

// A surface with one object of each of the eleven kinds, every field set to
// something other than its default.
inline void fillEveryKind(TRLGraphicSurface &s)
{
    s.SetWidth(794);
    s.SetHeight(1123);
    s.SetOrientation(TRLPageOrientation::poLandscape);
    s.SetPaperWidth(210);
    s.SetPaperHeight(297);
    s.Macros().SetValue("PageNo", "7");

    auto *px = s.NewObject<TRLPixelObject>();
    px->SetBoundsRect({1, 2, 3, 4});
    px->SetColor({10, 20, 30});
    px->SetGroupId(11);

    auto *ln = s.NewObject<TRLLineObject>();
    ln->SetBoundsRect({4, 5, 60, 70});
    ln->SetFromPoint({5, 6});
    ln->SetToPoint({59, 69});
    ln->Pen().SetColor({1, 2, 3});
    ln->Pen().SetMode(15);
    ln->Pen().SetStyle(MetaPenStyleDash);
    ln->Pen().SetWidth(3);
    ln->Brush().SetColor({4, 5, 6});
    ln->Brush().SetStyle(MetaBrushStyleCross);

    auto *rc = s.NewObject<TRLRectangleObject>();
    rc->SetBoundsRect({10, 10, 50, 40});
    rc->Pen().SetWidth(2);
    rc->Pen().SetStyle(MetaPenStyleInsideFrame);
    rc->Brush().SetStyle(MetaBrushStyleClear);
    rc->Brush().SetColor({200, 100, 50});

    auto *tx = s.NewObject<TRLTextObject>();
    tx->SetBoundsRect({20, 30, 200, 45});
    tx->SetOrigin({22, 31});
    tx->SetText("Pag. {PageNo} \xe7\xe3o");
    tx->SetAlignment(MetaTextAlignmentRight);
    tx->SetLayout(MetaTextLayoutCenter);
    tx->SetTextFlags(MetaTextFlagAutoSize | MetaTextFlagNoSplit);
    tx->Brush().SetStyle(MetaBrushStyleClear);
    tx->Font().SetName(QStringLiteral("Courier New"));
    tx->Font().SetPixelsPerInch(96);
    tx->Font().SetHeight(-16);
    tx->Font().SetSize(12);
    tx->Font().SetStyle(MetaFontStyleBold | MetaFontStyleUnderline);
    tx->Font().SetColor({0, 0, 255});
    tx->Font().SetPitch(MetaFontPitchFixed);
    tx->Font().SetCharset(0);

    auto *fr = s.NewObject<TRLFillRectObject>();
    fr->SetBoundsRect({0, 100, 794, 110});
    fr->Brush().SetColor({240, 240, 240});
    fr->Brush().SetStyle(MetaBrushStyleHorizontal);

    auto *el = s.NewObject<TRLEllipseObject>();
    el->SetBoundsRect({300, 300, 340, 330});
    el->Pen().SetColor({9, 9, 9});
    el->Brush().SetStyle(MetaBrushStyleDiagCross);

    auto *pg = s.NewObject<TRLPolygonObject>();
    pg->SetBoundsRect({99, 99, 201, 151});
    pg->SetPoints({{100, 100}, {200, 100}, {150, 150}});
    pg->Pen().SetMode(7);
    pg->Brush().SetColor({1, 1, 1});

    auto *pl = s.NewObject<TRLPolylineObject>();
    pl->SetBoundsRect({9, 199, 31, 221});
    pl->SetPoints({{10, 200}, {20, 220}, {30, 200}});
    pl->Pen().SetStyle(MetaPenStyleDot);

    auto *im = s.NewObject<TRLImageObject>();
    im->SetBoundsRect({400, 400, 430, 420});
    im->SetData("BMP" + redBitmapBytes(3, 2));

    auto *sc = s.NewObject<TRLSetClipRectObject>();
    sc->SetBoundsRect({0, 0, 500, 500});
    auto *rs = s.NewObject<TRLResetClipRectObject>();
    rs->SetBoundsRect({0, 0, 794, 1123});
}

// A page recorded after it went to `st` (a page kept in its cache, whose
// texts see the storage's macros): the recorder the storage now holds.
inline TRLGraphicSurface *addSurface(TRLGraphicStorage &st)
{
    auto surface = std::make_unique<TRLGraphicSurface>();
    TRLGraphicSurface *raw = surface.get();
    st.Add(std::move(surface));
    return raw;
}

inline std::string surfaceBytes(const TRLGraphicPage &s)
{
    std::string out;
    s.SaveToBytes(out);
    return out;
}

inline std::string storageBytes(TRLGraphicStorage &st, int version)
{
    st.SetFileVersion(version);
    TMemoryStream m;
    st.SaveToStream(m);
    return m.Data();
}

} // namespace prenso::test
