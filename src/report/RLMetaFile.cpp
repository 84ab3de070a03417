#include "report/RLMetaFile.h"

#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/graphic.h"
#include "platform/streams.h"
#include "report/RLMetaVCL.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace prenso {

// ===========================================================================
// Byte streams

void TRLStreamWriter::String(std::string_view s)
{
    if (s.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A text is too long to be stored"));
    I32(static_cast<std::int32_t>(s.size()));
    m_out.append(s);
}

void TRLStreamWriter::PatchI32(size_t at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    m_out[at] = static_cast<char>(u & 255);
    m_out[at + 1] = static_cast<char>((u >> 8) & 255);
    m_out[at + 2] = static_cast<char>((u >> 16) & 255);
    m_out[at + 3] = static_cast<char>(u >> 24);
}

void TRLStreamReader::Fail(const QString &message)
{
    throw EReadError(message);
}

void TRLStreamReader::FailPastEnd(const char *what)
{
    Fail(QStringLiteral("File is corrupted: %1 runs past the end of the data").arg(QLatin1String(what)));
}

std::string TRLStreamReader::String(const char *what)
{
    const std::int32_t n = I32(what);
    if (n < 0)
        Fail(QStringLiteral("File is corrupted: %1 has a negative length").arg(QLatin1String(what)));
    return std::string(Bytes(static_cast<size_t>(n), what));
}

TRLMetaColor TRLStreamReader::Color(const char *what)
{
    const std::string_view b = Bytes(3, what);
    return TRLMetaColor {static_cast<std::uint8_t>(b[0]), static_cast<std::uint8_t>(b[1]),
                         static_cast<std::uint8_t>(b[2])};
}

TRLMetaRect TRLStreamReader::Rect(const char *what)
{
    TRLMetaRect r;
    r.Left = I32(what);
    r.Top = I32(what);
    r.Right = I32(what);
    r.Bottom = I32(what);
    return r;
}

TRLMetaPoint TRLStreamReader::Point(const char *what)
{
    TRLMetaPoint p;
    p.X = I32(what);
    p.Y = I32(what);
    return p;
}

std::int32_t TRLStreamReader::Count(size_t minItemSize, const char *what)
{
    const std::int32_t n = I32(what);
    if (n < 0)
        Fail(QStringLiteral("File is corrupted: %1 has a negative count (%2)").arg(QLatin1String(what)).arg(n));
    if (minItemSize > 0 && static_cast<size_t>(n) > Remaining() / minItemSize)
        Fail(QStringLiteral("File is corrupted: %1 claims %2 entries, more than the data can hold")
                 .arg(QLatin1String(what))
                 .arg(n));
    return n;
}

// ===========================================================================
// Macros

namespace {

// Letter case folding for Windows-1252: ASCII, the Latin-1 letters and the
// few letters of 0x80..0x9F.
unsigned char foldCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

bool parseInt(std::string_view text, int &value)
{
    return TryStrToInt(cp1252::decode(text), value);
}

int macroInt(const TRLMacroList &macros, std::string_view name, int fallback)
{
    std::string_view v;
    int n = 0;
    if (macros.Find(name, v) && parseInt(v, n))
        return n;
    return fallback;
}

double macroMillimetres(const TRLMacroList &macros, std::string_view name)
{
    std::string_view v;
    if (!macros.Find(name, v))
        return 0;
    QString text = cp1252::decode(trimmed(v));
    text.replace(u',', u'.');
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok ? d : 0;
}

void setMillimetres(TRLMacroList &macros, std::string_view name, double mm)
{
    macros.SetValue(name, QString::number(mm, 'f', 4).toStdString());
}

constexpr double kPixelsPerMillimetre = 3.7795275590551181103;

} // namespace

void TRLMacroList::AddStrings(const TRLMacroList &other)
{
    if (&other == this) {
        const std::vector<std::string> copy = m_lines;
        m_lines.insert(m_lines.end(), copy.begin(), copy.end());
        return;
    }
    m_lines.insert(m_lines.end(), other.m_lines.begin(), other.m_lines.end());
}

int TRLMacroList::IndexOfName(std::string_view name) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const std::string &line = m_lines[i];
        const size_t eq = line.find('=');
        if (eq != std::string::npos && sameText(std::string_view(line).substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

bool TRLMacroList::Find(std::string_view name, std::string_view &value) const
{
    const int i = IndexOfName(name);
    if (i < 0)
        return false;
    const std::string &line = m_lines[static_cast<size_t>(i)];
    value = std::string_view(line).substr(line.find('=') + 1);
    return true;
}

std::string TRLMacroList::Value(std::string_view name) const
{
    std::string_view v;
    return Find(name, v) ? std::string(v) : std::string();
}

void TRLMacroList::SetValue(std::string_view name, std::string_view value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append("=").append(value);
    if (i >= 0)
        m_lines[static_cast<size_t>(i)] = std::move(line);
    else
        m_lines.push_back(std::move(line));
}

QString TRLMacroList::ValueText(const QString &name) const
{
    return cp1252::decode(Value(cp1252::encode(name)));
}

void TRLMacroList::SetValueText(const QString &name, const QString &value)
{
    SetValue(cp1252::encode(name), cp1252::encode(value));
}

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
    w.Color(FColor);
    w.U8(FStyle);
}

void TRLMetaBrush::Load(TRLStreamReader &r)
{
    FColor = r.Color("a brush");
    FStyle = r.U8("a brush");
}

QString TRLMetaFont::Name() const
{
    const TRLGraphicSurface *surface = FUser ? FUser->Surface() : nullptr;
    if (!surface || FNameId < 0 || FNameId >= static_cast<int>(surface->Fonts().size()))
        return QString();
    return surface->Fonts()[static_cast<size_t>(FNameId)];
}

void TRLMetaFont::SetName(const QString &name)
{
    TRLGraphicSurface *surface = FUser ? FUser->Surface() : nullptr;
    if (surface)
        FNameId = surface->FontNameId(name);
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
    if (FUser && other.FUser && FUser->Surface() == other.FUser->Surface())
        FNameId = other.FNameId;
    else
        SetName(other.Name());
}

void TRLMetaFont::Save(TRLStreamWriter &w) const
{
    w.I32(FPixelsPerInch);
    w.U8(FCharset);
    w.Color(FColor);
    w.I32(FHeight);
    w.I32(FNameId);
    w.U8(FPitch);
    w.I32(FSize);
    w.U16(FStyle);
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

// ===========================================================================
// Graphic objects

namespace {

std::uint32_t g_groupId = 0;

struct Scaler {
    double xf, yf;
    int xd, yd;
    int X(int x) const { return SatAdd(xd, RoundCoord(x * xf)); }
    int Y(int y) const { return SatAdd(yd, RoundCoord(y * yf)); }
    TRect Rect(const TRect &r) const { return TRect {X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)}; }
    TPoint Point(const TPoint &p) const { return TPoint {X(p.X), Y(p.Y)}; }
    // Pixels and rectangles cover at least one pixel however small the scale.
    TRect MinRect(const TRect &r) const
    {
        TRect s = Rect(r);
        s.Right = std::max(SatAdd(s.Left, 1), s.Right);
        s.Bottom = std::max(SatAdd(s.Top, 1), s.Bottom);
        return s;
    }
};

TRect offsetRect(const TRect &r, int dx, int dy)
{
    return TRect {SatAdd(r.Left, dx), SatAdd(r.Top, dy), SatAdd(r.Right, dx), SatAdd(r.Bottom, dy)};
}

TPoint offsetPoint(const TPoint &p, int dx, int dy)
{
    return TPoint {SatAdd(p.X, dx), SatAdd(p.Y, dy)};
}

TPoint inflatePoint(const TPoint &p, double xf, double yf)
{
    return TPoint {RoundCoord(p.X * xf), RoundCoord(p.Y * yf)};
}

void applyPen(TCanvas &canvas, const TRLMetaPen &pen, double xf)
{
    FromMetaPen(pen, canvas.Pen());
    ScaleMetaPenWidth(canvas.Pen(), xf);
}

void savePoints(TRLStreamWriter &w, const TRLMetaPointArray &points)
{
    w.I32(static_cast<std::int32_t>(points.size()));
    for (const TRLMetaPoint &p : points)
        w.Point(p);
}

TRLMetaPointArray loadPoints(TRLStreamReader &r)
{
    const std::int32_t n = r.Count(8, "a point list");
    TRLMetaPointArray points(static_cast<size_t>(n));
    for (TRLMetaPoint &p : points)
        p = r.Point("a point list");
    return points;
}

std::vector<TPoint> scalePoints(const TRLMetaPointArray &points, const Scaler &s)
{
    std::vector<TPoint> out;
    out.reserve(points.size());
    for (const TRLMetaPoint &p : points)
        out.push_back(s.Point(p));
    return out;
}

} // namespace

std::uint32_t NewGroupId()
{
    return ++g_groupId;
}

std::uint32_t CurrentGroupId()
{
    return g_groupId;
}

TRLGraphicObject::TRLGraphicObject(TRLGraphicSurface *surface) : FSurface(surface), FGroupId(g_groupId)
{
}

TRLGraphicObject::~TRLGraphicObject() = default;

void TRLGraphicObject::SaveToStream(TRLStreamWriter &w) const
{
    w.Rect(FBoundsRect);
    w.U32(FGroupId);
    w.U32(FGeneratorId);
}

void TRLGraphicObject::LoadFromStream(TRLStreamReader &r)
{
    FBoundsRect = r.Rect("an object's bounds");
    FGroupId = r.U32("an object's group");
    FGeneratorId = r.U32("an object's generator");
}

void TRLGraphicObject::Assign(const TRLGraphicObject &other)
{
    FBoundsRect = other.FBoundsRect;
    FGroupId = other.FGroupId;
    FGeneratorId = other.FGeneratorId;
}

void TRLGraphicObject::Offset(int xDesloc, int yDesloc)
{
    FBoundsRect = offsetRect(FBoundsRect, xDesloc, yDesloc);
}

void TRLGraphicObject::Inflate(double xFactor, double yFactor)
{
    FBoundsRect.Left = RoundCoord(FBoundsRect.Left * xFactor);
    FBoundsRect.Top = RoundCoord(FBoundsRect.Top * yFactor);
    FBoundsRect.Right = RoundCoord(FBoundsRect.Right * xFactor);
    FBoundsRect.Bottom = RoundCoord(FBoundsRect.Bottom * yFactor);
}

TRLGraphicObject *TRLGraphicObject::Clone(TRLGraphicSurface &surface) const
{
    std::unique_ptr<TRLGraphicObject> copy = NewInstance(&surface);
    TRLGraphicObject *raw = copy.get();
    surface.AdoptObject(std::move(copy));
    raw->Assign(*this);
    return raw;
}

#define PRENSO_NEW_INSTANCE(Class)                                                                                   \
    std::unique_ptr<TRLGraphicObject> Class::NewInstance(TRLGraphicSurface *s) const                                 \
    {                                                                                                                \
        return std::make_unique<Class>(s);                                                                           \
    }
PRENSO_NEW_INSTANCE(TRLPixelObject)
PRENSO_NEW_INSTANCE(TRLLineObject)
PRENSO_NEW_INSTANCE(TRLRectangleObject)
PRENSO_NEW_INSTANCE(TRLEllipseObject)
PRENSO_NEW_INSTANCE(TRLTextObject)
PRENSO_NEW_INSTANCE(TRLFillRectObject)
PRENSO_NEW_INSTANCE(TRLPolygonObject)
PRENSO_NEW_INSTANCE(TRLPolylineObject)
PRENSO_NEW_INSTANCE(TRLImageObject)
PRENSO_NEW_INSTANCE(TRLSetClipRectObject)
PRENSO_NEW_INSTANCE(TRLResetClipRectObject)
#undef PRENSO_NEW_INSTANCE

// --- pixel

void TRLPixelObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    w.Color(FColor);
}

void TRLPixelObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FColor = r.Color("a pixel");
}

void TRLPixelObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const TRect r = Scaler {xf, yf, xd, yd}.MinRect(FBoundsRect);
    canvas.Brush().Style = TBrushStyle::bsSolid;
    canvas.Brush().Color = FromMetaColor(FColor);
    canvas.FillRect(r);
}

void TRLPixelObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLPixelObject *>(&other))
        FColor = o->FColor;
}

// --- line

void TRLLineObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    w.Point(FFromPoint);
    w.Point(FToPoint);
    FPen.Save(w);
    FBrush.Save(w);
}

void TRLLineObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FFromPoint = r.Point("a line");
    FToPoint = r.Point("a line");
    FPen.Load(r);
    FBrush.Load(r);
}

void TRLLineObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const Scaler s {xf, yf, xd, yd};
    applyPen(canvas, FPen, xf);
    FromMetaBrush(FBrush, canvas.Brush());
    const TPoint from = s.Point(FFromPoint), to = s.Point(FToPoint);
    canvas.MoveTo(from.X, from.Y);
    CanvasLineToEx(canvas, to.X, to.Y);
}

void TRLLineObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLLineObject *>(&other)) {
        FFromPoint = o->FFromPoint;
        FToPoint = o->FToPoint;
        FPen.Assign(o->FPen);
        FBrush.Assign(o->FBrush);
    }
}

void TRLLineObject::Offset(int dx, int dy)
{
    TRLGraphicObject::Offset(dx, dy);
    FFromPoint = offsetPoint(FFromPoint, dx, dy);
    FToPoint = offsetPoint(FToPoint, dx, dy);
}

void TRLLineObject::Inflate(double xf, double yf)
{
    TRLGraphicObject::Inflate(xf, yf);
    FFromPoint = inflatePoint(FFromPoint, xf, yf);
    FToPoint = inflatePoint(FToPoint, xf, yf);
    FPen.Inflate(xf);
}

// --- rectangle and ellipse

void TRLPenBrushObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    FPen.Save(w);
    FBrush.Save(w);
}

void TRLPenBrushObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FPen.Load(r);
    FBrush.Load(r);
}

void TRLPenBrushObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLPenBrushObject *>(&other)) {
        FPen.Assign(o->FPen);
        FBrush.Assign(o->FBrush);
    }
}

void TRLPenBrushObject::Inflate(double xf, double yf)
{
    TRLGraphicObject::Inflate(xf, yf);
    FPen.Inflate(xf);
}

void TRLRectangleObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const TRect r = Scaler {xf, yf, xd, yd}.MinRect(FBoundsRect);
    applyPen(canvas, FPen, xf);
    FromMetaBrush(FBrush, canvas.Brush());
    canvas.Rectangle(r);
}

void TRLEllipseObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const TRect r = Scaler {xf, yf, xd, yd}.Rect(FBoundsRect);
    applyPen(canvas, FPen, xf);
    FromMetaBrush(FBrush, canvas.Brush());
    canvas.Ellipse(r);
}

// --- text

void TRLTextObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    w.U8(FAlignment);
    w.U8(FLayout);
    w.Point(FOrigin);
    w.U16(FTextFlags);
    w.String(FText);
    FBrush.Save(w);
    FFont.Save(w);
}

void TRLTextObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FAlignment = r.U8("a text");
    FLayout = r.U8("a text");
    FOrigin = r.Point("a text");
    FTextFlags = r.U16("a text");
    FText = r.String("a text");
    FBrush.Load(r);
    FFont.Load(r);
}

std::string TRLTextObject::DisplayText() const
{
    if (FText.find('{') == std::string::npos)
        return FText;
    std::string s = FText;
    const TRLGraphicStorage *storage = FSurface ? FSurface->Storage() : nullptr;
    size_t i = 0;
    for (;;) {
        const size_t open = s.find('{', i);
        if (open == std::string::npos)
            break;
        const size_t close = s.find('}', open + 1);
        if (close == std::string::npos)
            break;
        const std::string_view name(s.data() + open + 1, close - open - 1);
        std::string_view value;
        bool found = FSurface && FSurface->Macros().Find(name, value);
        if (!found && storage)
            found = storage->Macros().Find(name, value);
        if (found) {
            const std::string v(value); // the list may hold the text being changed
            s.replace(open, close - open + 1, v);
            i = open + v.size();
        } else {
            i = close + 1;
        }
    }
    return s;
}

void TRLTextObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const Scaler s {xf, yf, xd, yd};
    const TRect r = s.Rect(FBoundsRect);
    const TPoint o = s.Point(FOrigin);
    FromMetaBrush(FBrush, canvas.Brush());
    FromMetaFont(FFont, canvas.Font(), yf);
    CanvasTextRectEx(canvas, r, o.X, o.Y, DisplayText(), FAlignment, FLayout, FTextFlags);
}

void TRLTextObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLTextObject *>(&other)) {
        FBrush.Assign(o->FBrush);
        FFont.Assign(o->FFont);
        FText = o->FText;
        FOrigin = o->FOrigin;
        FAlignment = o->FAlignment;
        FLayout = o->FLayout;
        FTextFlags = o->FTextFlags;
    }
}

void TRLTextObject::Rehome(TRLGraphicSurface &surface)
{
    // The font's name is an index into the surface's font table.
    const QString name = FFont.Name();
    TRLGraphicObject::Rehome(surface);
    FFont.SetName(name);
}

void TRLTextObject::Offset(int dx, int dy)
{
    TRLGraphicObject::Offset(dx, dy);
    FOrigin = offsetPoint(FOrigin, dx, dy);
}

void TRLTextObject::Inflate(double xf, double yf)
{
    TRLGraphicObject::Inflate(xf, yf);
    FOrigin = inflatePoint(FOrigin, xf, yf);
    FFont.SetSize(RoundCoord(FFont.Size() * yf));
}

// --- fill rectangle

void TRLFillRectObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    FBrush.Save(w);
}

void TRLFillRectObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FBrush.Load(r);
}

void TRLFillRectObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    FromMetaBrush(FBrush, canvas.Brush());
    canvas.FillRect(Scaler {xf, yf, xd, yd}.Rect(FBoundsRect));
}

void TRLFillRectObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLFillRectObject *>(&other))
        FBrush.Assign(o->FBrush);
}

// --- polygon

void TRLPolygonObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    FPen.Save(w);
    FBrush.Save(w);
    savePoints(w, FPoints);
}

void TRLPolygonObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FPen.Load(r);
    FBrush.Load(r);
    FPoints = loadPoints(r);
}

void TRLPolygonObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const std::vector<TPoint> pts = scalePoints(FPoints, Scaler {xf, yf, xd, yd});
    applyPen(canvas, FPen, xf);
    FromMetaBrush(FBrush, canvas.Brush());
    canvas.Polygon(pts);
}

void TRLPolygonObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLPolygonObject *>(&other)) {
        FPen.Assign(o->FPen);
        FBrush.Assign(o->FBrush);
        FPoints = o->FPoints;
    }
}

void TRLPolygonObject::Offset(int dx, int dy)
{
    TRLGraphicObject::Offset(dx, dy);
    for (TRLMetaPoint &p : FPoints)
        p = offsetPoint(p, dx, dy);
}

void TRLPolygonObject::Inflate(double xf, double yf)
{
    TRLGraphicObject::Inflate(xf, yf);
    for (TRLMetaPoint &p : FPoints)
        p = inflatePoint(p, xf, yf);
    FPen.Inflate(xf);
}

// --- polyline

void TRLPolylineObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    FPen.Save(w);
    savePoints(w, FPoints);
}

void TRLPolylineObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FPen.Load(r);
    FPoints = loadPoints(r);
}

void TRLPolylineObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    const std::vector<TPoint> pts = scalePoints(FPoints, Scaler {xf, yf, xd, yd});
    applyPen(canvas, FPen, xf);
    canvas.Brush().Style = TBrushStyle::bsClear;
    canvas.Polyline(pts);
}

void TRLPolylineObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLPolylineObject *>(&other)) {
        FPen.Assign(o->FPen);
        FPoints = o->FPoints;
    }
}

void TRLPolylineObject::Offset(int dx, int dy)
{
    TRLGraphicObject::Offset(dx, dy);
    for (TRLMetaPoint &p : FPoints)
        p = offsetPoint(p, dx, dy);
}

void TRLPolylineObject::Inflate(double xf, double yf)
{
    TRLGraphicObject::Inflate(xf, yf);
    for (TRLMetaPoint &p : FPoints)
        p = inflatePoint(p, xf, yf);
    FPen.Inflate(xf);
}

// --- image

void TRLImageObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    w.String(FData);
    w.U8(FParity ? 1 : 0);
}

void TRLImageObject::LoadFromStream(TRLStreamReader &r)
{
    TRLGraphicObject::LoadFromStream(r);
    FData = r.String("an image");
    FParity = r.U8("an image") != 0;
}

void TRLImageObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    CanvasStretchDraw(canvas, Scaler {xf, yf, xd, yd}.Rect(FBoundsRect), FData, FParity);
}

void TRLImageObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLImageObject *>(&other)) {
        FData = o->FData;
        FParity = o->FParity;
    }
}

// --- clipping

void TRLSetClipRectObject::PaintTo(TCanvas &canvas, double xf, double yf, int xd, int yd)
{
    FSurface->PushClipRect(Scaler {xf, yf, xd, yd}.Rect(FBoundsRect));
    CanvasSetClipRect(canvas, FSurface->ClipRect());
}

void TRLResetClipRectObject::PaintTo(TCanvas &canvas, double, double, int, int)
{
    // A reset without its set (a damaged or hand-made page) goes back to the
    // clipping the page started with instead of failing the whole page.
    TRect r = FSurface->PaintRect();
    if (!FSurface->ClipStackEmpty())
        FSurface->PopClipRect(r);
    FSurface->SetCurrentClipRect(r);
    CanvasSetClipRect(canvas, r);
}

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

TRect boundsOf(std::span<const TPoint> points)
{
    if (points.empty())
        return TRect {};
    TRect b {points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint &p : points) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X);
        b.Bottom = std::max(b.Bottom, p.Y);
    }
    return b;
}

TRect grow(const TRect &r, int by)
{
    return TRect {SatAdd(r.Left, -by), SatAdd(r.Top, -by), SatAdd(r.Right, by), SatAdd(r.Bottom, by)};
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
    if (it != FObjects.end())
        FObjects.erase(it);
}

int TRLGraphicSurface::Orientation() const
{
    return macroInt(FMacros, "Orientation", MetaOrientationPortrait);
}

void TRLGraphicSurface::SetOrientation(int orientation)
{
    FMacros.SetValue("Orientation", std::to_string(orientation));
}

double TRLGraphicSurface::PaperWidth() const
{
    return macroMillimetres(FMacros, "PaperWidth");
}

void TRLGraphicSurface::SetPaperWidth(double mm)
{
    setMillimetres(FMacros, "PaperWidth", mm);
}

double TRLGraphicSurface::PaperHeight() const
{
    return macroMillimetres(FMacros, "PaperHeight");
}

void TRLGraphicSurface::SetPaperHeight(double mm)
{
    setMillimetres(FMacros, "PaperHeight", mm);
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

int TRLGraphicSurface::FontNameId(const QString &name)
{
    if (FLastFontId >= 0 && FLastFontId < static_cast<int>(FFonts.size()) && FLastFontName == name &&
        FFonts[static_cast<size_t>(FLastFontId)] == name)
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
    FPenPos = TPoint {FMargins.Left, FMargins.Top};
    FGeneratorId = nullptr;
    FClipRect = TRect {0, 0, FWidth, FHeight};
    FClipStack.clear();
}

void TRLGraphicSurface::Clear()
{
    FObjects.clear();
    FFonts.clear();
    FMacros.Clear();
    FPenPos = TPoint {};
    FModified = true;
    FGeneratorId = nullptr;
    FLastFontId = -1;
}

void TRLGraphicSurface::MoveTo(int x, int y)
{
    Open();
    FPenPos = TPoint {x, y};
}

void TRLGraphicSurface::LineTo(int x, int y)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLLineObject>();
    const TPoint from = FPenPos, to {x, y};
    obj->SetBoundsRect(grow(boundsOf(std::array<TPoint, 2> {from, to}), 1));
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
    obj->SetBoundsRect(TRect {left, top, right, bottom});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLEllipseObject>();
    obj->SetBoundsRect(TRect {x1, y1, x2, y2});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polygon(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolygonObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(boundsOf(points), 1));
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polyline(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolylineObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(boundsOf(points), 1));
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
    const TRect r {left, top, SatAdd(left, TextWidth(text)), SatAdd(top, TextHeight(text))};
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
    obj->SetOrigin(TPoint {left, top});
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
    FPenPos = TPoint {FMargins.Left, SatAdd(FPenPos.Y, TextHeight(text))};
}

int TRLGraphicSurface::TextWidth(std::string_view text) const
{
    if (FFont.PixelsPerInch() == 96)
        return FFont.Resource().width(text);
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextWidth(text);
}

int TRLGraphicSurface::TextHeight(std::string_view text) const
{
    if (FFont.PixelsPerInch() == 96)
        return FFont.Resource().height();
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextHeight(text);
}

void TRLGraphicSurface::Draw(int x, int y, const TGraphic *graphic, bool parity)
{
    const int w = graphic ? graphic->Width() : 0;
    const int h = graphic ? graphic->Height() : 0;
    StretchDraw(TRect {x, y, SatAdd(x, w), SatAdd(y, h)}, graphic, parity);
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
    for (auto &obj : surface.FObjects) {
        obj->Rehome(*this);
        obj->Offset(x, y);
        FObjects.push_back(std::move(obj));
    }
    surface.FObjects.clear();
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
    CopyRect(r, surface, TRect {0, 0, surface.Width(), surface.Height()});
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
    TRect out {r.Left, r.Top, SatAdd(r.Left, w), SatAdd(r.Top, h)};
    if (center)
        out = offsetRect(out, static_cast<int>((static_cast<long long>(dw) - w) / 2),
                         static_cast<int>((static_cast<long long>(dh) - h) / 2));
    return out;
}

TRect placeRect(const TRect &r, int sw, int sh, bool center)
{
    TRect placed {r.Left, r.Top, SatAdd(r.Left, sw), SatAdd(r.Top, sh)};
    if (center)
        placed = offsetRect(placed, static_cast<int>((static_cast<long long>(r.Width()) - sw) / 2),
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
    const int dx = SatAdd(dest.Left, -RoundCoord(source.Left * xf));
    const int dy = SatAdd(dest.Top, -RoundCoord(source.Top * yf));
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
    surface.FModified = true;
    ResetClipRect();
}

void TRLGraphicSurface::SetClipRect(const TRect &r)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLSetClipRectObject>();
    obj->SetBoundsRect(r);
    PushClipRect(r);
}

void TRLGraphicSurface::ResetClipRect()
{
    Open();
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    FModified = true;
    auto *obj = NewObject<TRLResetClipRectObject>();
    obj->SetBoundsRect(FClipRect);
    PopClipRect(FClipRect);
}

void TRLGraphicSurface::PopClipRect(TRect &r)
{
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    r = FClipStack.back();
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

void TRLGraphicSurface::PaintTo(TCanvas &canvas, const TRect &r)
{
    const double xf = FWidth != 0 ? static_cast<double>(r.Right - r.Left) / FWidth : 1.0;
    const double yf = FHeight != 0 ? static_cast<double>(r.Bottom - r.Top) / FHeight : 1.0;
    FClipStack.clear();
    FClipRect = r;
    FPaintRect = r;
    CanvasSetClipRect(canvas, r);
    auto finish = [&] {
        CanvasResetClipRect(canvas);
        if (!FClipStack.empty())
            FClipRect = FClipStack.front();
        FClipStack.clear();
    };
    try {
        for (const auto &obj : FObjects)
            obj->PaintTo(canvas, xf, yf, r.Left, r.Top);
    } catch (...) {
        finish();
        throw;
    }
    finish();
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
        w.U8(static_cast<std::uint8_t>(obj->Kind()));
        const size_t sizeAt = w.Position();
        w.I32(0);
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
    const std::int32_t macroCount = r.Count(4, "the macro list");
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

// ===========================================================================
// Storage

namespace {

constexpr size_t kCacheSize = 5;
constexpr std::string_view kHeaderV1("Quorta Metafile\x1A", 16);
constexpr std::string_view kHeaderV2("QRF2\x1A", 5);
constexpr std::string_view kHeaderV3("RLGraphicStorage3\x1A", 18);
constexpr size_t kLegacyRecordSize = 120;

[[noreturn]] void corrupt(const QString &what)
{
    throw EReadError(QStringLiteral("File is corrupted: %1").arg(what));
}

// Reading primitives on a stream whose every count is checked against the
// bytes that are left, so nothing larger than the stream is ever allocated.
class StreamIn {
public:
    explicit StreamIn(TStream &s) : m_s(s), m_size(s.Size()) {}
    std::int64_t Remaining() { return std::max<std::int64_t>(0, m_size - m_s.Position()); }
    std::int64_t Size() const { return m_size; }
    std::string Bytes(std::int64_t n, const char *what)
    {
        if (n < 0 || n > Remaining())
            corrupt(QStringLiteral("%1 runs past the end of the file").arg(QLatin1String(what)));
        std::string out(static_cast<size_t>(n), '\0');
        m_s.ReadBuffer(out.data(), n);
        return out;
    }
    std::int32_t I32(const char *what)
    {
        const std::string b = Bytes(4, what);
        return TRLStreamReader(b).I32(what);
    }
    std::int32_t Count(std::int64_t minItemSize, const char *what)
    {
        const std::int32_t n = I32(what);
        if (n < 0 || static_cast<std::int64_t>(n) * minItemSize > Remaining())
            corrupt(QStringLiteral("%1 claims %2 entries, more than the file can hold").arg(QLatin1String(what)).arg(n));
        return n;
    }
    std::string String(const char *what) { return Bytes(I32(what), what); }
    void Seek(std::int64_t pos, const char *what)
    {
        if (pos < 0 || pos > m_size)
            corrupt(QStringLiteral("%1 points outside the file").arg(QLatin1String(what)));
        m_s.SetPosition(pos);
    }
    std::int64_t Position() { return m_s.Position(); }

private:
    TStream &m_s;
    std::int64_t m_size;
};

void writeI32(std::string &out, std::int32_t v)
{
    TRLStreamWriter(out).I32(v);
}

// Legacy pages keep "Orientation" 0-based; only that line is rewritten.
std::string shiftOrientation(const std::string &line, int delta, int notANumber)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos || !sameText(trimmed(std::string_view(line).substr(0, eq)), "Orientation"))
        return line;
    int value = 0;
    if (!parseInt(std::string_view(line).substr(eq + 1), value))
        value = notANumber;
    return std::string(trimmed(std::string_view(line).substr(0, eq))) + "=" + std::to_string(value + delta);
}

std::int32_t leI32(const char *p)
{
    return TRLStreamReader(std::string_view(p, 4)).I32("a record");
}

void putI32(char *p, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<char>(u & 255);
    p[1] = static_cast<char>((u >> 8) & 255);
    p[2] = static_cast<char>((u >> 16) & 255);
    p[3] = static_cast<char>(u >> 24);
}

} // namespace

TRLGraphicStorage::TRLGraphicStorage(TComponent *owner) : TComponent(nullptr)
{
    if (owner)
        Link(owner);
}

TRLGraphicStorage::~TRLGraphicStorage()
{
    BeginDestroy();
    for (TComponent *c : FReferenceList)
        RemoveFreeNotification(c);
    FReferenceList.clear();
    std::vector<std::unique_ptr<TRLGraphicSurface>> cache = std::move(FPageCache);
    FPageCache.clear();
    for (auto &s : cache)
        s->FStorage = nullptr;
    cache.clear();
    FTempStream.reset();
    if (!FTempFileName.isEmpty()) {
        files::deleteFile(FTempFileName);
        files::unregisterTempFile(FTempFileName);
    }
}

void TRLGraphicStorage::Link(TComponent *component)
{
    if (!component || std::find(FReferenceList.begin(), FReferenceList.end(), component) != FReferenceList.end())
        return;
    FReferenceList.push_back(component);
    FreeNotification(component);
}

void TRLGraphicStorage::Unlink(TComponent *component)
{
    auto it = std::find(FReferenceList.begin(), FReferenceList.end(), component);
    if (it == FReferenceList.end())
        return;
    FReferenceList.erase(it);
    RemoveFreeNotification(component);
    if (FReferenceList.empty() && !Destroying())
        delete this;
}

void TRLGraphicStorage::Notification(TComponent *component, Operation operation)
{
    TComponent::Notification(component, operation);
    if (operation == Operation::Remove)
        Unlink(component);
}

void TRLGraphicStorage::EnsureTempFile()
{
    if (FTempStream)
        return;
    QString path;
    const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
    FTempStream = std::make_unique<TFileStream>(fd);
    FTempFileName = path;
}

void TRLGraphicStorage::AppendPageRecord(std::string_view surfaceBytes)
{
    EnsureTempFile();
    if (surfaceBytes.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A page is too large to be stored"));
    std::string record;
    record.reserve(4 + surfaceBytes.size());
    writeI32(record, static_cast<std::int32_t>(surfaceBytes.size()));
    record.append(surfaceBytes);
    const std::int64_t pos = FTempStream->Seek(0, TStream::Origin::soEnd);
    FTempStream->WriteBuffer(record);
    FPageAllocation.push_back(pos);
}

void TRLGraphicStorage::StorePage(TRLGraphicSurface *surface)
{
    EnsureTempFile();
    std::string record(4, '\0');
    record.reserve(16384);
    surface->SaveToBytes(record);
    if (record.size() - 4 > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError(QStringLiteral("A page is too large to be stored"));
    putI32(record.data(), static_cast<std::int32_t>(record.size() - 4));
    const std::int64_t pos = FTempStream->Seek(0, TStream::Origin::soEnd);
    FTempStream->WriteBuffer(record);
    const int index = surface->PageIndex();
    if (index < 0 || index >= PageCount()) {
        surface->SetPageIndex(PageCount());
        FPageAllocation.push_back(pos);
    } else {
        FPageAllocation[static_cast<size_t>(index)] = pos;
    }
}

std::string TRLGraphicStorage::ReadPageRecord(int index)
{
    if (!FTempStream || index < 0 || index >= PageCount())
        corrupt(QStringLiteral("page %1 is not in the page file").arg(index));
    const std::int64_t pos = FPageAllocation[static_cast<size_t>(index)];
    StreamIn in(*FTempStream);
    in.Seek(pos, "a page");
    const std::int32_t size = in.I32("a page size");
    return in.Bytes(size, "a page");
}

void TRLGraphicStorage::RetrievePage(TRLGraphicSurface *surface)
{
    const std::string bytes = ReadPageRecord(surface->PageIndex());
    surface->LoadFromBytes(bytes);
}

std::unique_ptr<TRLGraphicSurface> TRLGraphicStorage::LoadPage(int index)
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    auto surface = std::make_unique<TRLGraphicSurface>();
    surface->FStorage = this;
    surface->SetPageIndex(index);
    try {
        RetrievePage(surface.get());
    } catch (const std::exception &) {
        surface->FStorage = nullptr;
        return nullptr;
    }
    return surface;
}

void TRLGraphicStorage::CacheAdd(std::unique_ptr<TRLGraphicSurface> surface)
{
    if (FPageCache.size() >= kCacheSize) {
        TRLGraphicSurface *oldest = FPageCache.front().get();
        if (oldest->Modified())
            Update(oldest);
        std::unique_ptr<TRLGraphicSurface> evicted = std::move(FPageCache.front());
        FPageCache.erase(FPageCache.begin());
        evicted.reset();
    }
    FPageCache.push_back(std::move(surface));
}

TRLGraphicSurface *TRLGraphicStorage::CacheFind(int index) const
{
    for (const auto &s : FPageCache)
        if (s->PageIndex() == index)
            return s.get();
    return nullptr;
}

void TRLGraphicStorage::CacheRemove(TRLGraphicSurface *surface)
{
    for (auto it = FPageCache.begin(); it != FPageCache.end(); ++it)
        if (it->get() == surface) {
            it->release(); // the caller is taking it away or destroying it
            FPageCache.erase(it);
            return;
        }
}

std::vector<int> TRLGraphicStorage::CachedPageIndexes() const
{
    std::vector<int> out;
    for (const auto &s : FPageCache)
        out.push_back(s->PageIndex());
    return out;
}

std::int64_t TRLGraphicStorage::PageFileSize() const
{
    return FTempStream ? FTempStream->Size() : 0;
}

TRLGraphicSurface *TRLGraphicStorage::Add(std::unique_ptr<TRLGraphicSurface> surface)
{
    TRLGraphicSurface *raw = surface.get();
    raw->SetStorage(this);
    raw->SetPageIndex(-1);
    StorePage(raw);
    // The stored copy is the page as it is now: evicting it later needs no
    // second write.
    raw->SetModified(false);
    CacheAdd(std::move(surface));
    return raw;
}

void TRLGraphicStorage::Update(TRLGraphicSurface *surface)
{
    StorePage(surface);
    surface->SetModified(false);
}

TRLGraphicSurface *TRLGraphicStorage::Pages(int index)
{
    if (TRLGraphicSurface *cached = CacheFind(index))
        return cached;
    std::unique_ptr<TRLGraphicSurface> page = LoadPage(index);
    if (!page)
        return nullptr;
    TRLGraphicSurface *raw = page.get();
    CacheAdd(std::move(page));
    return raw;
}

void TRLGraphicStorage::Clear()
{
    if (FTempStream)
        FTempStream->SetSize(0);
    FPageAllocation.clear();
    std::vector<std::unique_ptr<TRLGraphicSurface>> cache = std::move(FPageCache);
    FPageCache.clear();
    for (auto &s : cache)
        s->FStorage = nullptr;
    cache.clear();
    FMacros.Clear();
}

void TRLGraphicStorage::FlushPages()
{
    for (const auto &s : FPageCache)
        if (s->Modified())
            Update(s.get());
}

void TRLGraphicStorage::SetFileVersion(int version)
{
    if (version < 1 || version > 3)
        throw Exception(QStringLiteral("Invalid file version!"));
    FFileVersion = version;
}

int TRLGraphicStorage::FirstPageNumber() const
{
    return macroInt(FMacros, "FirstPageNumber", 0);
}

void TRLGraphicStorage::SetFirstPageNumber(int n)
{
    FMacros.SetValue("FirstPageNumber", std::to_string(n));
}

int TRLGraphicStorage::LastPageNumber() const
{
    return macroInt(FMacros, "LastPageNumber", 0);
}

void TRLGraphicStorage::SetLastPageNumber(int n)
{
    FMacros.SetValue("LastPageNumber", std::to_string(n));
}

QString TRLGraphicStorage::Title() const
{
    return FMacros.ValueText(QStringLiteral("Title"));
}

void TRLGraphicStorage::SetTitle(const QString &title)
{
    FMacros.SetValueText(QStringLiteral("Title"), title);
}

QString TRLGraphicStorage::JobTitle() const
{
    return FMacros.ValueText(QStringLiteral("JobTitle"));
}

void TRLGraphicStorage::SetJobTitle(const QString &title)
{
    FMacros.SetValueText(QStringLiteral("JobTitle"), title);
}

int TRLGraphicStorage::Orientation() const
{
    return macroInt(FMacros, "Orientation", MetaOrientationPortrait);
}

void TRLGraphicStorage::SetOrientation(int orientation)
{
    FMacros.SetValue("Orientation", std::to_string(orientation));
}

double TRLGraphicStorage::PaperWidth() const
{
    return macroMillimetres(FMacros, "PaperWidth");
}

void TRLGraphicStorage::SetPaperWidth(double mm)
{
    setMillimetres(FMacros, "PaperWidth", mm);
}

double TRLGraphicStorage::PaperHeight() const
{
    return macroMillimetres(FMacros, "PaperHeight");
}

void TRLGraphicStorage::SetPaperHeight(double mm)
{
    setMillimetres(FMacros, "PaperHeight", mm);
}

double TRLGraphicStorage::OrientedPaperWidth() const
{
    return Orientation() == MetaOrientationPortrait ? PaperWidth() : PaperHeight();
}

double TRLGraphicStorage::OrientedPaperHeight() const
{
    return Orientation() == MetaOrientationPortrait ? PaperHeight() : PaperWidth();
}

int TRLGraphicStorage::Width() const
{
    return RoundCoord(PaperWidth() * kPixelsPerMillimetre);
}

int TRLGraphicStorage::Height() const
{
    return RoundCoord(PaperHeight() * kPixelsPerMillimetre);
}

int TRLGraphicStorage::OrientedWidth() const
{
    return RoundCoord(OrientedPaperWidth() * kPixelsPerMillimetre);
}

int TRLGraphicStorage::OrientedHeight() const
{
    return RoundCoord(OrientedPaperHeight() * kPixelsPerMillimetre);
}

// --- stream formats

void TRLGraphicStorage::WriteHeader(TStream &stream) const
{
    switch (FFileVersion) {
    case 1: stream.WriteBuffer(kHeaderV1); break;
    case 2: stream.WriteBuffer(kHeaderV2); break;
    case 3: stream.WriteBuffer(kHeaderV3); break;
    default: throw Exception(QStringLiteral("Incorrect file version \"%1\"!").arg(FFileVersion));
    }
}

int TRLGraphicStorage::ReadHeader(TStream &stream)
{
    std::string header;
    char c = 0;
    while (header.size() < 20 && stream.Read(&c, 1) == 1) {
        header.push_back(c);
        if (c == 26)
            break;
    }
    if (header == kHeaderV1)
        return 1;
    if (header == kHeaderV2)
        return 2;
    if (header == kHeaderV3)
        return 3;
    throw EReadError(QStringLiteral("Corrupt file header \"%1\"!").arg(cp1252::decode(header)));
}

void TRLGraphicStorage::SaveToStream(TStream &stream)
{
    FlushPages();
    if (FFileVersion == 3)
        SaveCurrent(stream);
    else
        SaveLegacy(stream, FFileVersion);
}

void TRLGraphicStorage::SaveToFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmCreate);
    SaveToStream(file);
}

void TRLGraphicStorage::LoadFromStream(TStream &stream)
{
    Clear();
    try {
        const int version = ReadHeader(stream);
        if (version == 3)
            LoadCurrent(stream);
        else
            LoadLegacy(stream, version);
        FFileVersion = version;
    } catch (...) {
        Clear();
        throw;
    }
}

void TRLGraphicStorage::LoadFromFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    LoadFromStream(file);
}

void TRLGraphicStorage::SaveCurrent(TStream &stream)
{
    std::string head;
    head.append(kHeaderV3);
    writeI32(head, FMacros.Count());
    for (const std::string &line : FMacros.Lines())
        TRLStreamWriter(head).String(line);
    writeI32(head, PageCount());
    const std::int64_t tableAt = stream.Position() + static_cast<std::int64_t>(head.size());
    head.append(static_cast<size_t>(PageCount()) * 4, '\0');
    stream.WriteBuffer(head);

    std::string table;
    table.reserve(static_cast<size_t>(PageCount()) * 4);
    for (int i = 0; i < PageCount(); ++i) {
        const std::int64_t pos = stream.Position();
        if (pos > std::numeric_limits<std::int32_t>::max())
            throw EWriteError(QStringLiteral("The report is too large for its file format"));
        writeI32(table, static_cast<std::int32_t>(pos));
        const std::string bytes = ReadPageRecord(i);
        std::string record;
        record.reserve(4 + bytes.size());
        writeI32(record, static_cast<std::int32_t>(bytes.size()));
        record.append(bytes);
        stream.WriteBuffer(record);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(tableAt);
    stream.WriteBuffer(table);
    stream.SetPosition(end);
}

void TRLGraphicStorage::LoadCurrent(TStream &stream)
{
    StreamIn in(stream);
    const std::int32_t macroCount = in.Count(4, "the macro list");
    for (std::int32_t i = 0; i < macroCount; ++i)
        FMacros.Add(in.String("a macro"));
    const std::int32_t pageCount = in.Count(4, "the page table");
    const std::string table = in.Bytes(static_cast<std::int64_t>(pageCount) * 4, "the page table");
    // Page records follow the table and one another: a table that points
    // several pages at the same bytes (or back into itself) would let a small
    // file fill the disk with copies.
    std::int64_t minPos = in.Position();
    EnsureTempFile();
    for (std::int32_t i = 0; i < pageCount; ++i) {
        const std::int64_t pos = leI32(table.data() + 4 * i);
        if (pos < minPos)
            corrupt(QStringLiteral("page %1 starts at %2, inside data already read").arg(i + 1).arg(pos));
        in.Seek(pos, "a page position");
        const std::int32_t size = in.I32("a page size");
        const std::string bytes = in.Bytes(size, "a page");
        AppendPageRecord(bytes);
        minPos = in.Position();
    }
}

// --- legacy versions

namespace {

// One legacy page turned into a current surface.
void readLegacyPage(StreamIn &in, TRLGraphicSurface &surface, const TRLGraphicStorage &storage)
{
    surface.SetWidth(in.I32("a page width"));
    surface.SetHeight(in.I32("a page height"));
    surface.SetOrientation(storage.Orientation());
    surface.SetPaperWidth(storage.PaperWidth());
    surface.SetPaperHeight(storage.PaperHeight());

    const std::int32_t stringCount = in.Count(4, "the page's string list");
    std::vector<std::string> strings;
    strings.reserve(static_cast<size_t>(stringCount));
    std::int64_t stringBytes = 0;
    for (std::int32_t i = 0; i < stringCount; ++i) {
        strings.push_back(in.String("a page string"));
        stringBytes += static_cast<std::int64_t>(strings.back().size());
    }
    const std::int32_t recordCount = in.Count(kLegacyRecordSize, "the page's record list");
    const std::string records = in.Bytes(static_cast<std::int64_t>(recordCount) * kLegacyRecordSize, "a record");

    // Records name their strings by index. Each string is meant for one
    // record; a page may not expand into more text than it holds (plus some
    // slack), or a few bytes could name one long string a million times.
    std::int64_t budget = stringBytes + (1 << 20);
    auto stringAt = [&](std::int32_t index, bool &present) -> const std::string & {
        static const std::string none;
        present = false;
        if (index == -1)
            return none;
        if (index < 0 || index >= static_cast<std::int32_t>(strings.size()))
            corrupt(QStringLiteral("a record names string %1 of %2").arg(index).arg(strings.size()));
        const std::string &s = strings[static_cast<size_t>(index)];
        budget -= static_cast<std::int64_t>(s.size());
        if (budget < 0)
            corrupt(QStringLiteral("the records of a page use its strings over and over"));
        present = true;
        return s;
    };

    std::vector<TRect> clipStack;
    TRect clip {0, 0, surface.Width(), surface.Height()};
    for (std::int32_t i = 0; i < recordCount; ++i) {
        const char *rec = records.data() + static_cast<size_t>(i) * kLegacyRecordSize;
        auto u8 = [rec](int off) { return static_cast<std::uint8_t>(rec[off]); };
        auto i32 = [rec](int off) { return leI32(rec + off); };
        const TRect bounds {i32(0), i32(4), i32(8), i32(12)};
        auto readPen = [&](TRLMetaPen &pen) {
            pen.SetColor(ToMetaColor(i32(40)));
            pen.SetMode(u8(44) < 16 ? static_cast<TRLMetaPenMode>(u8(44) + 1) : MetaPenModeCopy);
            pen.SetStyle(u8(45) < 7 ? ToMetaPenStyle(static_cast<TPenStyle>(u8(45))) : MetaPenStyleSolid);
            pen.SetWidth(i32(48));
        };
        auto readBrush = [&](TRLMetaBrush &brush) {
            brush.SetColor(ToMetaColor(i32(56)));
            brush.SetStyle(u8(60) < 8 ? static_cast<TRLMetaBrushStyle>(u8(60) + 1) : MetaBrushStyleSolid);
        };
        const std::uint8_t kind = u8(28);
        switch (kind) {
        case 0: {
            auto *o = surface.NewObject<TRLPixelObject>();
            o->SetBoundsRect(bounds);
            o->SetColor(ToMetaColor(i32(32)));
            break;
        }
        case 1: {
            auto *o = surface.NewObject<TRLLineObject>();
            o->SetFromPoint(TPoint {bounds.Left, bounds.Top});
            o->SetToPoint(TPoint {bounds.Right, bounds.Bottom});
            o->SetBoundsRect(boundsOf(std::array<TPoint, 2> {o->FromPoint(), o->ToPoint()}));
            readPen(o->Pen());
            break;
        }
        case 2:
        case 8: {
            TRLPenBrushObject *o = kind == 2 ? static_cast<TRLPenBrushObject *>(surface.NewObject<TRLRectangleObject>())
                                             : surface.NewObject<TRLEllipseObject>();
            o->SetBoundsRect(bounds);
            readPen(o->Pen());
            readBrush(o->Brush());
            break;
        }
        case 3:
        case 4: {
            bool present = false;
            const std::string &text = stringAt(i32(112), present);
            bool namePresent = false;
            const std::string &fontName = stringAt(i32(104), namePresent);
            auto *o = surface.NewObject<TRLTextObject>();
            o->SetBoundsRect(bounds);
            o->SetText(text);
            o->SetOrigin(TPoint {i32(16), i32(20)});
            o->SetAlignment(static_cast<TRLMetaTextAlignment>(u8(116) + 1));
            o->SetLayout(MetaTextLayoutTop);
            // Kind 4 is a clipped text; only kind 3 or the auto-size byte
            // let it run past its bounds.
            const bool autoSize = kind == 3 || u8(117) != 0;
            o->SetTextFlags(autoSize ? (MetaTextFlagAutoSize | MetaTextFlagNoSplit) : MetaTextFlagNoSplit);
            readBrush(o->Brush());
            TRLMetaFont &f = o->Font();
            f.SetPixelsPerInch(96);
            f.SetCharset(u8(93));
            f.SetColor(ToMetaColor(i32(72)));
            f.SetHeight(i32(76));
            f.SetName(cp1252::decode(fontName));
            f.SetPitch(ToMetaFontPitch(u8(80) <= 2 ? static_cast<TFontPitch>(u8(80)) : TFontPitch::fpDefault));
            f.SetSize(-RoundCoord(f.Height() * 72.0 / 96.0));
            f.SetStyle(u8(92) & 15);
            break;
        }
        case 5: {
            auto *o = surface.NewObject<TRLFillRectObject>();
            o->SetBoundsRect(bounds);
            readBrush(o->Brush());
            break;
        }
        case 6:
        case 7: {
            bool present = false;
            const std::string &data = stringAt(i32(112), present);
            auto *o = surface.NewObject<TRLImageObject>();
            o->SetBoundsRect(bounds);
            o->SetParity(false);
            std::unique_ptr<TGraphic> graphic;
            if (present && u8(24) == 0) {
                auto bmp = std::make_unique<TBitmap>();
                if (bmp->LoadFromBytes(data))
                    graphic = std::move(bmp);
            } else if (present && u8(24) == 2) {
                auto ico = std::make_unique<TIcon>();
                if (ico->LoadFromBytes(data))
                    graphic = std::move(ico);
            }
            o->SetData(ToMetaGraphic(graphic.get()));
            break;
        }
        case 9:
        case 10: {
            bool present = false;
            const std::string &data = stringAt(i32(112), present);
            TRLMetaPointArray points(data.size() / 8);
            for (size_t k = 0; k < points.size(); ++k)
                points[k] = TPoint {leI32(data.data() + 8 * k), leI32(data.data() + 8 * k + 4)};
            if (kind == 9) {
                auto *o = surface.NewObject<TRLPolygonObject>();
                o->SetBoundsRect(bounds);
                o->SetPoints(std::move(points));
                readPen(o->Pen());
                readBrush(o->Brush());
            } else {
                auto *o = surface.NewObject<TRLPolylineObject>();
                o->SetBoundsRect(bounds);
                o->SetPoints(std::move(points));
                readPen(o->Pen());
            }
            break;
        }
        case 11: {
            auto *o = surface.NewObject<TRLSetClipRectObject>();
            o->SetBoundsRect(bounds);
            clipStack.push_back(clip);
            clip = bounds;
            break;
        }
        case 12: {
            // A reset without a set has nothing to restore: it is dropped so
            // the page still pairs its clips when it is painted.
            if (clipStack.empty())
                break;
            clip = clipStack.back();
            clipStack.pop_back();
            auto *o = surface.NewObject<TRLResetClipRectObject>();
            o->SetBoundsRect(clip);
            break;
        }
        default:
            break; // later kinds are skipped
        }
    }
}

void writeLegacyPage(const TRLGraphicSurface &surface, std::string &out)
{
    std::vector<std::string> strings;
    auto addString = [&](std::string s) {
        strings.push_back(std::move(s));
        return static_cast<std::int32_t>(strings.size() - 1);
    };
    auto nameIndex = [&](const std::string &name) {
        for (size_t i = 0; i < strings.size(); ++i)
            if (strings[i] == name)
                return static_cast<std::int32_t>(i);
        return addString(name);
    };
    std::string records;
    records.reserve(static_cast<size_t>(surface.ObjectCount()) * kLegacyRecordSize);
    for (int i = 0; i < surface.ObjectCount(); ++i) {
        const TRLGraphicObject *obj = surface.Objects(i);
        char rec[kLegacyRecordSize] = {};
        auto putRect = [&](const TRect &r) {
            putI32(rec + 0, r.Left);
            putI32(rec + 4, r.Top);
            putI32(rec + 8, r.Right);
            putI32(rec + 12, r.Bottom);
        };
        auto putPen = [&](const TRLMetaPen &pen) {
            rec[36] = 1;
            putI32(rec + 40, FromMetaColor(pen.Color()));
            rec[44] = static_cast<char>(FromMetaPenMode(pen.Mode()));
            rec[45] = static_cast<char>(FromMetaPenStyle(pen.Style()));
            putI32(rec + 48, pen.Width());
        };
        auto putBrush = [&](const TRLMetaBrush &brush) {
            rec[52] = 1;
            putI32(rec + 56, FromMetaColor(brush.Color()));
            rec[60] = static_cast<char>(FromMetaBrushStyle(brush.Style()));
        };
        auto pointString = [](const TRLMetaPointArray &points) {
            std::string s;
            s.reserve(points.size() * 8);
            for (const TPoint &p : points) {
                writeI32(s, p.X);
                writeI32(s, p.Y);
            }
            return s;
        };
        putI32(rec + 112, -1);
        putRect(obj->BoundsRect());
        switch (obj->Kind()) {
        case TRLGraphicKind::Pixel:
            rec[28] = 0;
            putI32(rec + 32, FromMetaColor(static_cast<const TRLPixelObject *>(obj)->Color()));
            break;
        case TRLGraphicKind::Line: {
            const auto *o = static_cast<const TRLLineObject *>(obj);
            rec[28] = 1;
            putRect(TRect {o->FromPoint().X, o->FromPoint().Y, o->ToPoint().X, o->ToPoint().Y});
            putPen(o->Pen());
            break;
        }
        case TRLGraphicKind::Rectangle:
        case TRLGraphicKind::Ellipse: {
            const auto *o = static_cast<const TRLPenBrushObject *>(obj);
            rec[28] = obj->Kind() == TRLGraphicKind::Rectangle ? 2 : 8;
            putPen(o->Pen());
            putBrush(o->Brush());
            break;
        }
        case TRLGraphicKind::Text: {
            const auto *o = static_cast<const TRLTextObject *>(obj);
            const bool autoSize = o->TextFlags() & MetaTextFlagAutoSize;
            rec[28] = autoSize ? 3 : 4;
            putI32(rec + 16, o->Origin().X);
            putI32(rec + 20, o->Origin().Y);
            putBrush(o->Brush());
            const TRLMetaFont &f = o->Font();
            rec[64] = 1;
            putI32(rec + 72, FromMetaColor(f.Color()));
            putI32(rec + 76, f.Height());
            rec[80] = static_cast<char>(FromMetaFontPitch(f.Pitch()));
            rec[92] = static_cast<char>(f.Style() & 15);
            rec[93] = static_cast<char>(f.Charset());
            putI32(rec + 112, addString(o->Text()));
            putI32(rec + 104, nameIndex(cp1252::encode(f.Name())));
            rec[116] = static_cast<char>(o->Alignment() - 1);
            rec[117] = autoSize ? 1 : 0;
            break;
        }
        case TRLGraphicKind::FillRect:
            rec[28] = 5;
            putBrush(static_cast<const TRLFillRectObject *>(obj)->Brush());
            break;
        case TRLGraphicKind::Polygon: {
            const auto *o = static_cast<const TRLPolygonObject *>(obj);
            rec[28] = 9;
            putPen(o->Pen());
            putBrush(o->Brush());
            putI32(rec + 112, addString(pointString(o->Points())));
            break;
        }
        case TRLGraphicKind::Polyline: {
            const auto *o = static_cast<const TRLPolylineObject *>(obj);
            rec[28] = 10;
            putPen(o->Pen());
            putI32(rec + 112, addString(pointString(o->Points())));
            break;
        }
        case TRLGraphicKind::Image: {
            const auto *o = static_cast<const TRLImageObject *>(obj);
            rec[28] = 6;
            const std::string_view data = o->Data();
            const std::string_view tag = data.substr(0, 3);
            if (tag == "BMP" || tag == "ICO") {
                putI32(rec + 24, tag == "BMP" ? 0 : 2);
                putI32(rec + 112, addString(std::string(data.substr(3))));
            }
            break;
        }
        case TRLGraphicKind::SetClipRect: rec[28] = 11; break;
        case TRLGraphicKind::ResetClipRect: rec[28] = 12; break;
        }
        records.append(rec, kLegacyRecordSize);
    }
    writeI32(out, surface.Width());
    writeI32(out, surface.Height());
    writeI32(out, static_cast<std::int32_t>(strings.size()));
    for (const std::string &s : strings)
        TRLStreamWriter(out).String(s);
    writeI32(out, surface.ObjectCount());
    out.append(records);
}

} // namespace

void TRLGraphicStorage::SaveLegacy(TStream &stream, int version)
{
    std::string head;
    TRLStreamWriter w(head);
    switch (version) {
    case 1: w.Bytes(kHeaderV1); break;
    case 2: w.Bytes(kHeaderV2); break;
    default: throw Exception(QStringLiteral("Incorrect file version \"%1\"!").arg(version));
    }
    if (version == 2) {
        w.I32(FMacros.Count());
        for (const std::string &line : FMacros.Lines())
            w.String(shiftOrientation(line, -1, 1));
    }
    w.I32(PageCount());
    const std::int64_t tableAt = stream.Position() + static_cast<std::int64_t>(head.size());
    head.append(static_cast<size_t>(PageCount()) * 4, '\0');
    stream.WriteBuffer(head);
    const std::int64_t base = stream.Position();

    std::string table;
    for (int i = 0; i < PageCount(); ++i) {
        const std::int64_t pos = stream.Position() - base;
        if (pos > std::numeric_limits<std::int32_t>::max())
            throw EWriteError(QStringLiteral("The report is too large for its file format"));
        writeI32(table, static_cast<std::int32_t>(pos));
        TRLGraphicSurface page;
        page.LoadFromBytes(ReadPageRecord(i));
        std::string bytes;
        writeLegacyPage(page, bytes);
        stream.WriteBuffer(bytes);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(tableAt);
    stream.WriteBuffer(table);
    stream.SetPosition(end);
}

void TRLGraphicStorage::LoadLegacy(TStream &stream, int version)
{
    StreamIn in(stream);
    if (version == 2) {
        const std::int32_t macroCount = in.Count(4, "the macro list");
        for (std::int32_t i = 0; i < macroCount; ++i)
            FMacros.Add(shiftOrientation(in.String("a macro"), 1, 0));
    }
    const std::int32_t pageCount = in.Count(4, "the page table");
    const std::string table = in.Bytes(static_cast<std::int64_t>(pageCount) * 4, "the page table");
    const std::int64_t base = in.Position();
    std::int64_t minPos = base;
    EnsureTempFile();
    for (std::int32_t i = 0; i < pageCount; ++i) {
        const std::int64_t pos = base + leI32(table.data() + 4 * i);
        if (pos < minPos)
            corrupt(QStringLiteral("page %1 starts inside data already read").arg(i + 1));
        in.Seek(pos, "a page position");
        TRLGraphicSurface page;
        readLegacyPage(in, page, *this);
        std::string bytes;
        page.SaveToBytes(bytes);
        AppendPageRecord(bytes);
        minPos = in.Position();
    }
}

} // namespace prenso
