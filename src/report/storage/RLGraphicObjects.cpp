#include "report/storage/RLGraphicObjects.h"

#include "report/storage/RLGraphicPage.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>

namespace prenso {

// ===========================================================================
// Graphic objects

namespace {

std::uint32_t g_groupId = 0;

TPoint offsetPoint(const TPoint &p, int dx, int dy)
{
    return TPoint{SatAdd(p.X, dx), SatAdd(p.Y, dy)};
}

TPoint inflatePoint(const TPoint &p, double xf, double yf)
{
    return TPoint{RoundCoord(p.X * xf), RoundCoord(p.Y * yf)};
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

} // namespace

// ---------------------------------------------------------------------------
// Object memory
//
// Every page of a long form makes a few hundred objects of a handful of sizes
// and frees them once it is stored, and the next page makes as many again:
// the memory of a freed object is kept for the next object of its size
// instead of going back to the allocator, up to kKeptPerSize blocks of each
// size (a few pages' worth), so what is kept is bounded whatever the page
// count. Each thread keeps its own (a thread that ends leaves its blocks
// behind). Built with AddressSanitizer nothing is kept, so that a freed
// object that is used again is still caught.

#if defined(__SANITIZE_ADDRESS__)
#define PRENSO_KEEP_OBJECT_MEMORY 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PRENSO_KEEP_OBJECT_MEMORY 0
#endif
#endif
#ifndef PRENSO_KEEP_OBJECT_MEMORY
#define PRENSO_KEEP_OBJECT_MEMORY 1
#endif

namespace {

constexpr std::size_t kBlockGrain = 16;
constexpr std::size_t kBlockSizes = 32; // blocks of up to 31 × 16 bytes are kept
constexpr std::size_t kKeptPerSize = 4096;

struct FreeBlock {
    FreeBlock *next;
};

// Trivial, so that it can be used until the thread ends.
struct KeptBlocks {
    FreeBlock *head[kBlockSizes];
    std::size_t count[kBlockSizes];
};
thread_local KeptBlocks t_kept;

// The list a block of `size` bytes is kept in; blocks are made in steps of
// kBlockGrain bytes, so that all the blocks of one list are alike.
std::size_t blockList(std::size_t size)
{
    return (size + kBlockGrain - 1) / kBlockGrain;
}

} // namespace

void *TRLGraphicObject::operator new(std::size_t size)
{
    const std::size_t list = blockList(size);
    if (!PRENSO_KEEP_OBJECT_MEMORY || list >= kBlockSizes)
        return ::operator new(size);
    if (FreeBlock *block = t_kept.head[list]) {
        t_kept.head[list] = block->next;
        --t_kept.count[list];
        return block;
    }
    const std::size_t bytes = list * kBlockGrain;
    return ::operator new(bytes);
}

void TRLGraphicObject::operator delete(void *block, std::size_t size) noexcept
{
    if (!block)
        return;
    const std::size_t list = blockList(size);
    if (PRENSO_KEEP_OBJECT_MEMORY && list < kBlockSizes && t_kept.count[list] < kKeptPerSize) {
        auto *kept = static_cast<FreeBlock *>(block);
        kept->next = t_kept.head[list];
        t_kept.head[list] = kept;
        ++t_kept.count[list];
        return;
    }
    ::operator delete(block);
}

std::uint32_t NewGroupId()
{
    return ++g_groupId;
}

TRLGraphicObject::TRLGraphicObject(TRLGraphicPage *page) : FPage(page), FGroupId(g_groupId)
{}

TRLGraphicObject::~TRLGraphicObject() = default;

void TRLGraphicObject::SaveToStream(TRLStreamWriter &w) const
{
    char *p = w.Take(kBaseFieldsSize);
    TRLStreamWriter::PutI32(p, FBoundsRect.Left);
    TRLStreamWriter::PutI32(p + 4, FBoundsRect.Top);
    TRLStreamWriter::PutI32(p + 8, FBoundsRect.Right);
    TRLStreamWriter::PutI32(p + 12, FBoundsRect.Bottom);
    TRLStreamWriter::PutI32(p + 16, static_cast<std::int32_t>(FGroupId));
    TRLStreamWriter::PutI32(p + 20, static_cast<std::int32_t>(FGeneratorId));
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
    FBoundsRect = OffsetRect(FBoundsRect, xDesloc, yDesloc);
}

void TRLGraphicObject::Inflate(double xFactor, double yFactor)
{
    FBoundsRect.Left = RoundCoord(FBoundsRect.Left * xFactor);
    FBoundsRect.Top = RoundCoord(FBoundsRect.Top * yFactor);
    FBoundsRect.Right = RoundCoord(FBoundsRect.Right * xFactor);
    FBoundsRect.Bottom = RoundCoord(FBoundsRect.Bottom * yFactor);
}

TRLGraphicObject *TRLGraphicObject::Clone(TRLGraphicPage &page) const
{
    std::unique_ptr<TRLGraphicObject> copy = NewInstance(&page);
    TRLGraphicObject *raw = copy.get();
    page.AdoptObject(std::move(copy));
    raw->Assign(*this);
    return raw;
}

#define PRENSO_NEW_INSTANCE(Class)                                                                                     \
    std::unique_ptr<TRLGraphicObject> Class::NewInstance(TRLGraphicPage *s) const                                      \
    {                                                                                                                  \
        return std::make_unique<Class>(s);                                                                             \
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

// --- text

void TRLTextObject::SaveToStream(TRLStreamWriter &w) const
{
    TRLGraphicObject::SaveToStream(w);
    char *p = w.Take(12);
    p[0] = static_cast<char>(FAlignment);
    p[1] = static_cast<char>(FLayout);
    TRLStreamWriter::PutI32(p + 2, FOrigin.X);
    TRLStreamWriter::PutI32(p + 6, FOrigin.Y);
    TRLStreamWriter::PutU16(p + 10, FTextFlags);
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
    const TRLGraphicStorage *storage = FPage ? FPage->Storage() : nullptr;
    // A small file can name a long value many times over; the text may grow
    // to kMaxDisplayTextLength (or its own length, when longer) and no more.
    // What lies past the limit is never expanded.
    const size_t limit = std::max(FText.size(), kMaxDisplayTextLength);
    int lookups = 0;
    size_t i = 0;
    while (i < limit) {
        const size_t open = s.find('{', i);
        if (open == std::string::npos)
            break;
        const size_t close = s.find('}', open + 1);
        if (close == std::string::npos || ++lookups > kMaxMacroLookups)
            break;
        const std::string_view name(s.data() + open + 1, close - open - 1);
        std::string_view value;
        bool found = FPage && FPage->Macros().Find(name, value);
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
    if (s.size() > limit)
        s.resize(limit);
    return s;
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

void TRLTextObject::Rehome(TRLGraphicPage &page)
{
    // The font's name is an index into the page's font table. The old page
    // still holds the name while the new one looks it up.
    const TRLGraphicPage *old = FPage;
    const int id = FFont.NameId();
    TRLGraphicObject::Rehome(page);
    if (old && id >= 0 && id < static_cast<int>(old->Fonts().size()))
        FFont.SetName(old->Fonts()[static_cast<size_t>(id)]);
    else
        FFont.SetName(QString());
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

void TRLImageObject::Assign(const TRLGraphicObject &other)
{
    TRLGraphicObject::Assign(other);
    if (auto *o = dynamic_cast<const TRLImageObject *>(&other)) {
        FData = o->FData;
        FParity = o->FParity;
    }
}

} // namespace prenso
