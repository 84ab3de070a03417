#include "report/storage/RLGraphicSurface.h"

#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/graphic.h"
#include "platform/streams.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLMetaVCL.h"

#include <algorithm>

namespace prenso {

// ===========================================================================
// Surface

namespace {

constexpr std::string_view kSurfaceMagic("RLGraphicSurface3\x1A", 18);
constexpr size_t kBaseSize = 24;

// Reads the magic the way every version is recognised: up to 20 bytes one at
// a time, stopping after a byte 26 or at the end.
std::string_view readMagic(TRLStreamReader &r)
{
    const std::string_view data = r.Data().substr(r.Position());
    size_t n = 0;
    while (n < data.size() && n < 20) {
        ++n;
        if (data[n - 1] == 26)
            break;
    }
    return r.Bytes(n, "the header");
}

std::unique_ptr<TRLGraphicObject> newObjectOfKind(std::uint8_t kind, TRLGraphicSurface *s)
{
    switch (kind) {
    case 1: return std::make_unique<TRLPixelObject>(s);
    case 2: return std::make_unique<TRLLineObject>(s);
    case 3: return std::make_unique<TRLRectangleObject>(s);
    case 4: return std::make_unique<TRLTextObject>(s);
    case 5: return std::make_unique<TRLFillRectObject>(s);
    case 6: return std::make_unique<TRLEllipseObject>(s);
    case 7: return std::make_unique<TRLPolygonObject>(s);
    case 8: return std::make_unique<TRLPolylineObject>(s);
    case 9: return std::make_unique<TRLImageObject>(s);
    case 10: return std::make_unique<TRLSetClipRectObject>(s);
    case 11: return std::make_unique<TRLResetClipRectObject>(s);
    default: return nullptr;
    }
}

TRect grow(const TRect &r, int by)
{
    return TRect{SatAdd(r.Left, -by), SatAdd(r.Top, -by), SatAdd(r.Right, by), SatAdd(r.Bottom, by)};
}

} // namespace

TRLGraphicSurface::TRLGraphicSurface()
{
    FBrush.Color = clWhite;
    FBrush.Style = TBrushStyle::bsSolid;
    FPen.Color = clBlack;
    FFont.SetColor(clBlack);
}

TRLGraphicSurface::~TRLGraphicSurface()
{
    if (FStorage)
        FStorage->CacheRemove(this);
}

void TRLGraphicSurface::SetStorage(TRLGraphicStorage *storage)
{
    if (storage == FStorage)
        return;
    if (FStorage)
        FStorage->CacheRemove(this);
    FStorage = storage;
}

void TRLGraphicSurface::AdoptObject(std::unique_ptr<TRLGraphicObject> object)
{
    FObjects.push_back(std::move(object));
}

void TRLGraphicSurface::DeleteObject(TRLGraphicObject *object)
{
    auto it = std::find_if(FObjects.begin(), FObjects.end(), [object](const auto &p) { return p.get() == object; });
    if (object == FUnusedClip)
        FUnusedClip = nullptr;
    if (it != FObjects.end())
        FObjects.erase(it);
}

int TRLGraphicSurface::Orientation() const
{
    return FMacros.IntValue("Orientation", MetaOrientationPortrait);
}

void TRLGraphicSurface::SetOrientation(int orientation)
{
    FMacros.SetValue("Orientation", std::to_string(orientation));
}

double TRLGraphicSurface::PaperWidth() const
{
    return FMacros.MillimetreValue("PaperWidth");
}

void TRLGraphicSurface::SetPaperWidth(double mm)
{
    FMacros.SetMillimetreValue("PaperWidth", mm);
}

double TRLGraphicSurface::PaperHeight() const
{
    return FMacros.MillimetreValue("PaperHeight");
}

void TRLGraphicSurface::SetPaperHeight(double mm)
{
    FMacros.SetMillimetreValue("PaperHeight", mm);
}

double TRLGraphicSurface::OrientedPaperWidth() const
{
    return Orientation() == MetaOrientationPortrait ? PaperWidth() : PaperHeight();
}

double TRLGraphicSurface::OrientedPaperHeight() const
{
    return Orientation() == MetaOrientationPortrait ? PaperHeight() : PaperWidth();
}

int TRLGraphicSurface::OrientedWidth() const
{
    return Orientation() == MetaOrientationPortrait ? FWidth : FHeight;
}

int TRLGraphicSurface::OrientedHeight() const
{
    return Orientation() == MetaOrientationPortrait ? FHeight : FWidth;
}

namespace {
// Equal texts; the names of a page's fonts are mostly copies of one string,
// told apart from others without comparing their characters.
bool sameName(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}
} // namespace

int TRLGraphicSurface::FontNameId(const QString &name)
{
    if (FLastFontId >= 0 && FLastFontId < static_cast<int>(FFonts.size()) && sameName(FLastFontName, name) &&
        sameName(FFonts[static_cast<size_t>(FLastFontId)], name))
        return FLastFontId;
    int id = -1;
    for (size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i].compare(name, Qt::CaseInsensitive) == 0) {
            id = static_cast<int>(i);
            break;
        }
    if (id < 0) {
        FFonts.push_back(name);
        id = static_cast<int>(FFonts.size()) - 1;
    }
    FLastFontName = name;
    FLastFontId = id;
    return id;
}

void TRLGraphicSurface::Open()
{
    if (FOpened)
        return;
    FOpened = true;
    FPenPos = TPoint{FMargins.Left, FMargins.Top};
    FGeneratorId = nullptr;
    FClipRect = TRect{0, 0, FWidth, FHeight};
    FClipStack.clear();
    FUnusedClip = nullptr;
}

void TRLGraphicSurface::Clear()
{
    FUnusedClip = nullptr;
    FObjects.clear();
    FFonts.clear();
    FMacros.Clear();
    FPenPos = TPoint{};
    FModified = true;
    FGeneratorId = nullptr;
    FLastFontId = -1;
}

void TRLGraphicSurface::MoveTo(int x, int y)
{
    Open();
    FPenPos = TPoint{x, y};
}

void TRLGraphicSurface::LineTo(int x, int y)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLLineObject>();
    const TPoint from = FPenPos, to{x, y};
    obj->SetBoundsRect(grow(PointsBounds(std::array<TPoint, 2>{from, to}), 1));
    obj->SetFromPoint(from);
    obj->SetToPoint(to);
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
    FPenPos = to;
}

void TRLGraphicSurface::Rectangle(int left, int top, int right, int bottom)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLRectangleObject>();
    obj->SetBoundsRect(TRect{left, top, right, bottom});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLEllipseObject>();
    obj->SetBoundsRect(TRect{x1, y1, x2, y2});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polygon(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolygonObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(PointsBounds(points), 1));
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polyline(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolylineObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(PointsBounds(points), 1));
    ToMetaPen(FPen, obj->Pen());
}

void TRLGraphicSurface::FillRect(const TRect &r)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLFillRectObject>();
    obj->SetBoundsRect(r);
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::TextOut(int left, int top, std::string_view text)
{
    TextOutEx(left, top, text, MetaTextFlagAutoSize | MetaTextFlagNoSplit);
}

void TRLGraphicSurface::TextOutEx(int left, int top, std::string_view text, TRLMetaTextFlags flags)
{
    const TRect r{left, top, SatAdd(left, TextWidth(text)), SatAdd(top, TextHeight(text))};
    TextRectEx(r, left, top, text, MetaTextAlignmentLeft, MetaTextLayoutTop, flags);
}

void TRLGraphicSurface::TextRect(const TRect &r, int left, int top, std::string_view text)
{
    TextRectEx(r, left, top, text, MetaTextAlignmentLeft, MetaTextLayoutTop, MetaTextFlagNoSplit);
}

void TRLGraphicSurface::TextRectEx(const TRect &r, int left, int top, std::string_view text,
                                   TRLMetaTextAlignment alignment, TRLMetaTextLayout layout, TRLMetaTextFlags flags)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLTextObject>();
    obj->SetBoundsRect(r);
    obj->SetOrigin(TPoint{left, top});
    obj->SetText(std::string(text));
    obj->SetAlignment(alignment);
    obj->SetLayout(layout);
    obj->SetTextFlags(flags);
    ToMetaBrush(FBrush, obj->Brush());
    ToMetaFont(FFont, obj->Font());
}

void TRLGraphicSurface::Write(std::string_view text)
{
    Open();
    TextOut(FPenPos.X, FPenPos.Y, text);
    FPenPos.X = SatAdd(FPenPos.X, TextWidth(text));
}

void TRLGraphicSurface::Writeln(std::string_view text)
{
    Open();
    TextOut(FPenPos.X, FPenPos.Y, text);
    FPenPos = TPoint{FMargins.Left, SatAdd(FPenPos.Y, TextHeight(text))};
}

int TRLGraphicSurface::TextWidth(std::string_view text) const
{
    if (FFont.PixelsPerInch() == kDesignPixelsPerInch)
        return FFont.Resource().width(text);
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextWidth(text);
}

int TRLGraphicSurface::TextHeight(std::string_view text) const
{
    if (FFont.PixelsPerInch() == kDesignPixelsPerInch)
        return FFont.Resource().height();
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextHeight(text);
}

void TRLGraphicSurface::Draw(int x, int y, const TGraphic *graphic, bool parity)
{
    const int w = graphic ? graphic->Width() : 0;
    const int h = graphic ? graphic->Height() : 0;
    StretchDraw(TRect{x, y, SatAdd(x, w), SatAdd(y, h)}, graphic, parity);
}

void TRLGraphicSurface::Draw(int x, int y, const TRLGraphicSurface &surface)
{
    Open();
    FModified = true;
    const int count = surface.ObjectCount(); // drawing a page onto itself copies it once
    for (int i = 0; i < count; ++i)
        surface.Objects(i)->Clone(*this)->Offset(x, y);
    FMacros.AddStrings(surface.Macros());
}

void TRLGraphicSurface::DrawTaking(int x, int y, TRLGraphicSurface &surface)
{
    if (&surface == this) {
        Draw(x, y, surface);
        return;
    }
    Open();
    FModified = true;
    FObjects.reserve(FObjects.size() + surface.FObjects.size());
    // A report's surface goes onto its page where it stands (0, 0): every
    // object of the page passes here, and moving by nothing changes nothing.
    const bool moved = x != 0 || y != 0;
    for (auto &obj : surface.FObjects) {
        obj->Rehome(*this);
        if (moved)
            obj->Offset(x, y);
        FObjects.push_back(std::move(obj));
    }
    surface.FObjects.clear();
    surface.FUnusedClip = nullptr;
    surface.FModified = true;
    FMacros.AddStrings(surface.Macros());
}

void TRLGraphicSurface::StretchDraw(const TRect &r, const TGraphic *graphic, bool parity)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLImageObject>();
    obj->SetBoundsRect(r);
    obj->SetData(ToMetaGraphic(graphic));
    obj->SetParity(parity);
}

void TRLGraphicSurface::StretchDraw(const TRect &r, const TRLGraphicSurface &surface)
{
    CopyRect(r, surface, TRect{0, 0, surface.Width(), surface.Height()});
}

namespace {

TRect fitRect(const TRect &r, int sw, int sh, bool center)
{
    if (sw == 0 || sh == 0)
        throw EZeroDivide();
    const int dw = r.Width(), dh = r.Height();
    int w, h;
    if (static_cast<double>(dw) / sw > static_cast<double>(dh) / sh) {
        h = dh;
        w = RoundCoord(static_cast<double>(sw) * dh / sh);
    } else {
        w = dw;
        h = RoundCoord(static_cast<double>(sh) * dw / sw);
    }
    TRect out{r.Left, r.Top, SatAdd(r.Left, w), SatAdd(r.Top, h)};
    if (center)
        out = OffsetRect(out, static_cast<int>((static_cast<long long>(dw) - w) / 2),
                         static_cast<int>((static_cast<long long>(dh) - h) / 2));
    return out;
}

TRect placeRect(const TRect &r, int sw, int sh, bool center)
{
    TRect placed{r.Left, r.Top, SatAdd(r.Left, sw), SatAdd(r.Top, sh)};
    if (center)
        placed = OffsetRect(placed, static_cast<int>((static_cast<long long>(r.Width()) - sw) / 2),
                            static_cast<int>((static_cast<long long>(r.Height()) - sh) / 2));
    return placed;
}

} // namespace

void TRLGraphicSurface::ScaleDraw(const TRect &r, const TGraphic *graphic, bool center)
{
    const TRect fitted = fitRect(r, graphic ? graphic->Width() : 0, graphic ? graphic->Height() : 0, center);
    StretchDraw(fitted, graphic, false);
}

void TRLGraphicSurface::ScaleDraw(const TRect &r, const TRLGraphicSurface &surface, bool center)
{
    StretchDraw(fitRect(r, surface.Width(), surface.Height(), center), surface);
}

void TRLGraphicSurface::ClipDraw(const TRect &r, const TGraphic *graphic, bool center)
{
    if (!graphic)
        return;
    const TRect placed = placeRect(r, graphic->Width(), graphic->Height(), center);
    TRect inter;
    if (!IntersectRect(inter, placed, r))
        return;
    TBitmap bitmap(inter.Width(), inter.Height());
    bitmap.Canvas().Draw(placed.Left - inter.Left, placed.Top - inter.Top, *graphic);
    StretchDraw(inter, &bitmap, false);
}

void TRLGraphicSurface::ClipDraw(const TRect &r, const TRLGraphicSurface &surface, bool center)
{
    const TRect placed = placeRect(r, surface.Width(), surface.Height(), center);
    TRect inter;
    if (!IntersectRect(inter, placed, r))
        return;
    TRLGraphicSurface part;
    part.SetWidth(inter.Width());
    part.SetHeight(inter.Height());
    part.Draw(placed.Left - inter.Left, placed.Top - inter.Top, surface);
    StretchDraw(inter, part);
}

void TRLGraphicSurface::CopyRect(const TRect &dest, TCanvas &canvas, const TRect &source)
{
    TBitmap bitmap;
    bitmap.SetImage(canvas.Grab(source));
    StretchDraw(dest, &bitmap, false);
}

void TRLGraphicSurface::CopyRect(const TRect &dest, const TRLGraphicSurface &surface, const TRect &source)
{
    if (source.Width() == 0 || source.Height() == 0)
        throw EZeroDivide();
    const double xf = static_cast<double>(dest.Width()) / source.Width();
    const double yf = static_cast<double>(dest.Height()) / source.Height();
    const int dx = SatAdd(dest.Left, -RoundCoord(source.Left * xf));
    const int dy = SatAdd(dest.Top, -RoundCoord(source.Top * yf));
    SetClipRect(dest);
    try {
        const int count = surface.ObjectCount();
        for (int i = 0; i < count; ++i) {
            const TRLGraphicObject *obj = surface.Objects(i);
            TRect inter;
            if (!IntersectRect(inter, obj->BoundsRect(), source))
                continue;
            TRLGraphicObject *copy = obj->Clone(*this);
            copy->Inflate(xf, yf);
            copy->Offset(dx, dy);
        }
    } catch (...) {
        ResetClipRect();
        throw;
    }
    ResetClipRect();
}

void TRLGraphicSurface::CopyRectTaking(const TRect &dest, TRLGraphicSurface &surface, const TRect &source)
{
    if (&surface == this) {
        CopyRect(dest, surface, source);
        return;
    }
    if (source.Width() == 0 || source.Height() == 0)
        throw EZeroDivide();
    const double xf = static_cast<double>(dest.Width()) / source.Width();
    const double yf = static_cast<double>(dest.Height()) / source.Height();
    const bool scaled = xf != 1.0 || yf != 1.0;
    // A band placed whole is not scaled: its offsets need no rounding.
    const int dx = SatAdd(dest.Left, -(xf == 1.0 ? source.Left : RoundCoord(source.Left * xf)));
    const int dy = SatAdd(dest.Top, -(yf == 1.0 ? source.Top : RoundCoord(source.Top * yf)));
    SetClipRect(dest);
    FObjects.reserve(FObjects.size() + surface.FObjects.size() + 1); // nothing below may throw
    for (auto &obj : surface.FObjects) {
        TRect inter;
        if (!IntersectRect(inter, obj->BoundsRect(), source))
            continue;
        obj->Rehome(*this);
        if (scaled)
            obj->Inflate(xf, yf);
        obj->Offset(dx, dy);
        FObjects.push_back(std::move(obj));
    }
    surface.FObjects.clear();
    surface.FUnusedClip = nullptr;
    surface.FModified = true;
    ResetClipRect();
}

void TRLGraphicSurface::SetClipRect(const TRect &r)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLSetClipRectObject>();
    obj->SetBoundsRect(r);
    pushClipRect(r);
    FUnusedClip = obj;
}

void TRLGraphicSurface::ResetClipRect()
{
    Open();
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    FModified = true;
    // A clip that nothing was drawn into changes no pixel on any device:
    // it is taken back instead of being closed. Every band's frame sets
    // one, mostly around nothing, and it would cost two objects a line in
    // the page file, in each page read back and in the PDF.
    if (FUnusedClip && !FObjects.empty() && FObjects.back().get() == FUnusedClip) {
        FUnusedClip = nullptr;
        FObjects.pop_back();
        popClipRect();
        return;
    }
    FUnusedClip = nullptr;
    auto *obj = NewObject<TRLResetClipRectObject>();
    obj->SetBoundsRect(FClipRect);
    popClipRect();
}

void TRLGraphicSurface::popClipRect()
{
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    FClipRect = FClipStack.back();
    FClipStack.pop_back();
}

bool TRLGraphicSurface::FindFreeRow(int nearRow, int &row) const
{
    row = nearRow;
    bool moved;
    do {
        moved = false;
        for (const auto &obj : FObjects) {
            if (obj->Kind() != TRLGraphicKind::Text)
                continue;
            const auto *text = static_cast<const TRLTextObject *>(obj.get());
            const TRect &b = text->BoundsRect();
            if ((text->TextFlags() & MetaTextFlagNoSplit) && b.Top < row && row < b.Bottom) {
                row = b.Top;
                moved = true;
            }
        }
    } while (moved && row > 0);
    return row > 0;
}

void TRLGraphicSurface::SaveToBytes(std::string &out) const
{
    TRLStreamWriter w(out);
    w.Bytes(kSurfaceMagic);
    w.I32(FWidth);
    w.I32(FHeight);
    w.I32(FMacros.Count());
    for (const std::string &line : FMacros.Lines())
        w.String(line);
    w.I32(static_cast<std::int32_t>(FFonts.size()));
    for (const QString &name : FFonts)
        w.String(cp1252::encode(name));
    w.I32(static_cast<std::int32_t>(FObjects.size()));
    for (const auto &obj : FObjects) {
        // The kind, then the size of what follows, known once it is written.
        w.Take(5)[0] = static_cast<char>(obj->Kind());
        const size_t sizeAt = w.Position() - 4;
        obj->SaveToStream(w);
        w.PatchI32(sizeAt, static_cast<std::int32_t>(w.Position() - sizeAt - 4));
    }
}

void TRLGraphicSurface::load(TRLStreamReader &r)
{
    if (readMagic(r) != kSurfaceMagic)
        TRLStreamReader::Fail(QStringLiteral("File is corrupted!"));
    FWidth = r.I32("the page size");
    FHeight = r.I32("the page size");
    const std::int32_t macroCount =
        TRLStreamReader::AtMost(r.Count(4, "the macro list"), TRLMacroList::kMaxStoredCount, "the macro list");
    for (std::int32_t i = 0; i < macroCount; ++i)
        FMacros.Add(r.String("a macro"));
    const std::int32_t fontCount = r.Count(4, "the font list");
    FFonts.reserve(static_cast<size_t>(fontCount));
    for (std::int32_t i = 0; i < fontCount; ++i)
        FFonts.push_back(cp1252::decode(r.String("a font name")));
    const std::int32_t objectCount = r.Count(5, "the object list");
    FObjects.reserve(static_cast<size_t>(objectCount));
    for (std::int32_t i = 0; i < objectCount; ++i) {
        const std::uint8_t kind = r.U8("an object kind");
        const std::int32_t size = r.I32("an object size");
        if (size < 0)
            TRLStreamReader::Fail(QStringLiteral("File is corrupted: object %1 has a negative size").arg(i));
        TRLStreamReader payload = r.Sub(static_cast<size_t>(size), "an object");
        std::unique_ptr<TRLGraphicObject> obj = newObjectOfKind(kind, this);
        if (!obj)
            continue; // a kind this version does not know: skipped by its size
        if (payload.Remaining() < kBaseSize)
            TRLStreamReader::Fail(
                QStringLiteral("File is corrupted: object %1 is shorter than its fields (%2 bytes)").arg(i).arg(size));
        obj->LoadFromStream(payload);
        FObjects.push_back(std::move(obj));
    }
}

size_t TRLGraphicSurface::LoadFromBytes(std::string_view data)
{
    Clear();
    TRLStreamReader r(data);
    try {
        load(r);
    } catch (...) {
        Clear();
        FModified = false;
        throw;
    }
    FModified = false;
    return r.Position();
}

void TRLGraphicSurface::SaveToStream(TStream &stream) const
{
    std::string bytes;
    SaveToBytes(bytes);
    stream.WriteBuffer(bytes);
}

void TRLGraphicSurface::LoadFromStream(TStream &stream)
{
    const std::int64_t pos = stream.Position();
    const std::int64_t size = std::max<std::int64_t>(0, stream.Size() - pos);
    std::string bytes(static_cast<size_t>(size), '\0');
    stream.ReadBuffer(bytes.data(), size);
    const size_t used = LoadFromBytes(bytes);
    stream.SetPosition(pos + static_cast<std::int64_t>(used));
}

void TRLGraphicSurface::SaveToFile(const QString &fileName) const
{
    TFileStream file(fileName, TFileStream::Mode::fmCreate);
    SaveToStream(file);
}

void TRLGraphicSurface::LoadFromFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    LoadFromStream(file);
}

} // namespace prenso
