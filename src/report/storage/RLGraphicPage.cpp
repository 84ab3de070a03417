#include "report/storage/RLGraphicPage.h"

#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/codepage.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>

namespace prenso {

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

std::unique_ptr<TRLGraphicObject> newObjectOfKind(std::uint8_t kind, TRLGraphicPage *s)
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

} // namespace

TRLGraphicPage::~TRLGraphicPage()
{
    if (FStorage)
        FStorage->CacheRemove(this);
}

void TRLGraphicPage::DeleteObject(TRLGraphicObject *object)
{
    auto it = std::find_if(FObjects.begin(), FObjects.end(), [object](const auto &p) { return p.get() == object; });
    if (it != FObjects.end())
        FObjects.erase(it);
}

void TRLGraphicPage::Clear()
{
    FObjects.clear();
    FFonts.clear();
    FMacros.Clear();
    FModified = true;
    FLastFontId = -1;
}

void TRLGraphicPage::SetStorage(TRLGraphicStorage *storage)
{
    if (storage == FStorage)
        return;
    if (FStorage)
        FStorage->CacheRemove(this);
    FStorage = storage;
}

void TRLGraphicPage::AdoptObject(std::unique_ptr<TRLGraphicObject> object)
{
    FObjects.push_back(std::move(object));
}

TRLMetaOrientation TRLGraphicPage::orientationCode() const
{
    return FMacros.IntValue("Orientation", MetaOrientationPortrait);
}

TRLPageOrientation TRLGraphicPage::Orientation() const
{
    return OrientationOfStoredCode(orientationCode());
}

void TRLGraphicPage::SetOrientation(TRLPageOrientation orientation)
{
    FMacros.SetValue("Orientation", std::to_string(StoredOrientationCode(orientation)));
}

double TRLGraphicPage::PaperWidth() const
{
    return FMacros.MillimetreValue("PaperWidth");
}

void TRLGraphicPage::SetPaperWidth(double mm)
{
    FMacros.SetMillimetreValue("PaperWidth", mm);
}

double TRLGraphicPage::PaperHeight() const
{
    return FMacros.MillimetreValue("PaperHeight");
}

void TRLGraphicPage::SetPaperHeight(double mm)
{
    FMacros.SetMillimetreValue("PaperHeight", mm);
}

double TRLGraphicPage::OrientedPaperWidth() const
{
    return StoredCodeTurnsPage(orientationCode()) ? PaperHeight() : PaperWidth();
}

double TRLGraphicPage::OrientedPaperHeight() const
{
    return StoredCodeTurnsPage(orientationCode()) ? PaperWidth() : PaperHeight();
}

int TRLGraphicPage::OrientedWidth() const
{
    return StoredCodeTurnsPage(orientationCode()) ? FHeight : FWidth;
}

int TRLGraphicPage::OrientedHeight() const
{
    return StoredCodeTurnsPage(orientationCode()) ? FWidth : FHeight;
}

namespace {
// Equal texts; the names of a page's fonts are mostly copies of one string,
// told apart from others without comparing their characters.
bool sameName(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}
} // namespace

int TRLGraphicPage::FontNameId(const QString &name)
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

bool TRLGraphicPage::FindFreeRow(int nearRow, int &row) const
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

void TRLGraphicPage::SaveToBytes(std::string &out) const
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

void TRLGraphicPage::load(TRLStreamReader &r)
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

size_t TRLGraphicPage::LoadFromBytes(std::string_view data)
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

void TRLGraphicPage::SaveToStream(TStream &stream) const
{
    std::string bytes;
    SaveToBytes(bytes);
    stream.WriteBuffer(bytes);
}

void TRLGraphicPage::LoadFromStream(TStream &stream)
{
    const std::int64_t pos = stream.Position();
    const std::int64_t size = std::max<std::int64_t>(0, stream.Size() - pos);
    std::string bytes(static_cast<size_t>(size), '\0');
    stream.ReadBuffer(bytes.data(), size);
    const size_t used = LoadFromBytes(bytes);
    stream.SetPosition(pos + static_cast<std::int64_t>(used));
}

void TRLGraphicPage::SaveToFile(const QString &fileName) const
{
    TFileStream file(fileName, TFileStream::Mode::fmCreate);
    SaveToStream(file);
}

void TRLGraphicPage::LoadFromFile(const QString &fileName)
{
    TFileStream file(fileName, TFileStream::Mode::fmOpenRead);
    LoadFromStream(file);
}

} // namespace prenso
