#include "report/storage/RLStorageFormats.h"

#include "platform/graphics/pictures.h"
#include "platform/io/streams.h"
#include "platform/system/codepage.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLMetaConversions.h"

#include <algorithm>
#include <limits>
#include <span>

namespace prenso {
namespace {

constexpr std::string_view kHeaderV1("Quorta Metafile\x1A", 16);
constexpr std::string_view kHeaderV2("QRF2\x1A", 5);
constexpr std::string_view kHeaderV3("RLGraphicStorage3\x1A", 18);
constexpr size_t kLegacyRecordSize = 120;

// Legacy pages keep "Orientation" 0-based; only that line is rewritten.
std::string shiftOrientation(const std::string &line, int delta, int notANumber)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos || !SameMacroText(TrimMacroText(std::string_view(line).substr(0, eq)), "Orientation"))
        return line;
    int value = 0;
    if (!ParseMacroInt(std::string_view(line).substr(eq + 1), value))
        value = notANumber;
    return std::string(TrimMacroText(std::string_view(line).substr(0, eq))) + "=" + std::to_string(value + delta);
}

int readHeader(TStream &stream)
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

void saveCurrent(TRLGraphicStorage &st, TStream &stream)
{
    std::string head;
    head.append(kHeaderV3);
    TRLStreamWriter(head).I32(st.Macros().Count());
    for (const std::string &line : st.Macros().Lines())
        TRLStreamWriter(head).String(line);
    TRLStreamWriter(head).I32(st.PageCount());
    const std::int64_t tableAt = stream.Position() + static_cast<std::int64_t>(head.size());
    head.append(static_cast<size_t>(st.PageCount()) * 4, '\0');
    stream.WriteBuffer(head);

    std::string table;
    table.reserve(static_cast<size_t>(st.PageCount()) * 4);
    for (int i = 0; i < st.PageCount(); ++i) {
        const std::int64_t pos = stream.Position();
        if (pos > std::numeric_limits<std::int32_t>::max())
            throw EWriteError(QStringLiteral("The report is too large for its file format"));
        TRLStreamWriter(table).I32(static_cast<std::int32_t>(pos));
        const std::string bytes = st.ReadPageRecord(i);
        std::string record;
        record.reserve(4 + bytes.size());
        TRLStreamWriter(record).I32(static_cast<std::int32_t>(bytes.size()));
        record.append(bytes);
        stream.WriteBuffer(record);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(tableAt);
    stream.WriteBuffer(table);
    stream.SetPosition(end);
}

void loadCurrent(TRLGraphicStorage &st, TStream &stream)
{
    TRLStreamIn in(stream);
    const std::int32_t macroCount =
        TRLStreamReader::AtMost(in.Count(4, "the macro list"), TRLMacroList::kMaxStoredCount, "the macro list");
    for (std::int32_t i = 0; i < macroCount; ++i)
        st.Macros().Add(in.String("a macro"));
    const std::int32_t pageCount = in.Count(4, "the page table");
    const std::string table = in.Bytes(static_cast<std::int64_t>(pageCount) * 4, "the page table");
    // Page records follow the table and one another: a table that points
    // several pages at the same bytes (or back into itself) would let a small
    // file fill the disk with copies.
    std::int64_t minPos = in.Position();
    st.EnsureTempFile();
    for (std::int32_t i = 0; i < pageCount; ++i) {
        const std::int64_t pos = TRLStreamReader::GetI32(table.data() + 4 * i);
        if (pos < minPos)
            TRLStreamReader::Fail(QStringLiteral("File is corrupted: page %1 starts at %2, inside data already read")
                                      .arg(i + 1)
                                      .arg(pos));
        in.Seek(pos, "a page position");
        const std::int32_t size = in.I32("a page size");
        const std::string bytes = in.Bytes(size, "a page");
        st.AppendPageRecord(bytes);
        minPos = in.Position();
    }
}

// The strings of a legacy page, which its records name by index. Each
// string is meant for one record; a page may not expand into more text than
// it holds (plus some slack), or a few bytes could name one long string a
// million times.
class LegacyStrings {
public:
    explicit LegacyStrings(TRLStreamIn &in)
    {
        const std::int32_t stringCount = in.Count(4, "the page's string list");
        FStrings.reserve(static_cast<size_t>(stringCount));
        std::int64_t stringBytes = 0;
        for (std::int32_t i = 0; i < stringCount; ++i) {
            FStrings.push_back(in.String("a page string"));
            stringBytes += static_cast<std::int64_t>(FStrings.back().size());
        }
        FBudget = stringBytes + (1 << 20);
    }

    // The string `index` names; `present` is false for -1, which names none.
    const std::string &At(std::int32_t index, bool &present)
    {
        static const std::string none;
        present = false;
        if (index == -1)
            return none;
        if (index < 0 || index >= static_cast<std::int32_t>(FStrings.size()))
            TRLStreamReader::Fail(
                QStringLiteral("File is corrupted: a record names string %1 of %2").arg(index).arg(FStrings.size()));
        const std::string &s = FStrings[static_cast<size_t>(index)];
        FBudget -= static_cast<std::int64_t>(s.size());
        if (FBudget < 0)
            TRLStreamReader::Fail(
                QStringLiteral("File is corrupted: the records of a page use its strings over and over"));
        present = true;
        return s;
    }

private:
    std::vector<std::string> FStrings;
    std::int64_t FBudget = 0;
};

// One record of a legacy page: its fields at their byte offsets.
class LegacyRecordIn {
public:
    explicit LegacyRecordIn(const char *rec) : FRec(rec) {}
    std::uint8_t U8(int off) const { return static_cast<std::uint8_t>(FRec[off]); }
    std::int32_t I32(int off) const { return TRLStreamReader::GetI32(FRec + off); }
    TRect Bounds() const { return TRect{I32(0), I32(4), I32(8), I32(12)}; }
    std::uint8_t Kind() const { return U8(28); }

    void ReadPen(TRLMetaPen &pen) const
    {
        pen.SetColor(ToMetaColor(I32(40)));
        pen.SetMode(U8(44) < 16 ? static_cast<TRLMetaPenMode>(U8(44) + 1) : MetaPenModeCopy);
        pen.SetStyle(U8(45) < 7 ? ToMetaPenStyle(static_cast<TPenStyle>(U8(45))) : MetaPenStyleSolid);
        pen.SetWidth(I32(48));
    }
    void ReadBrush(TRLMetaBrush &brush) const
    {
        brush.SetColor(ToMetaColor(I32(56)));
        brush.SetStyle(U8(60) < 8 ? static_cast<TRLMetaBrushStyle>(U8(60) + 1) : MetaBrushStyleSolid);
    }

private:
    const char *FRec;
};

// Kinds 3 and 4.
void readLegacyText(const LegacyRecordIn &rec, LegacyStrings &strings, TRLGraphicPage &page)
{
    bool present = false;
    const std::string &text = strings.At(rec.I32(112), present);
    bool namePresent = false;
    const std::string &fontName = strings.At(rec.I32(104), namePresent);
    auto *o = page.NewObject<TRLTextObject>();
    o->SetBoundsRect(rec.Bounds());
    o->SetText(text);
    o->SetOrigin(TPoint{rec.I32(16), rec.I32(20)});
    o->SetAlignment(static_cast<TRLMetaTextAlignment>(rec.U8(116) + 1));
    o->SetLayout(MetaTextLayoutTop);
    // Kind 4 is a clipped text; only kind 3 or the auto-size byte let it run
    // past its bounds.
    const bool autoSize = rec.Kind() == 3 || rec.U8(117) != 0;
    o->SetTextFlags(autoSize ? (MetaTextFlagAutoSize | MetaTextFlagNoSplit) : MetaTextFlagNoSplit);
    rec.ReadBrush(o->Brush());
    TRLMetaFont &f = o->Font();
    f.SetPixelsPerInch(kDesignPixelsPerInch);
    f.SetCharset(rec.U8(93));
    f.SetColor(ToMetaColor(rec.I32(72)));
    f.SetHeight(rec.I32(76));
    f.SetName(cp1252::decode(fontName));
    f.SetPitch(ToMetaFontPitch(rec.U8(80) <= 2 ? static_cast<TFontPitch>(rec.U8(80)) : TFontPitch::fpDefault));
    f.SetSize(-RoundCoord(PixelsToPoints(f.Height())));
    f.SetStyle(rec.U8(92) & 15);
}

// Kinds 6 and 7: a bitmap or an icon, by the byte at 24; another picture
// is kept as an empty image.
void readLegacyImage(const LegacyRecordIn &rec, LegacyStrings &strings, TRLGraphicPage &page)
{
    bool present = false;
    const std::string &data = strings.At(rec.I32(112), present);
    auto *o = page.NewObject<TRLImageObject>();
    o->SetBoundsRect(rec.Bounds());
    o->SetParity(false);
    std::unique_ptr<TGraphic> graphic;
    if (present && rec.U8(24) == 0) {
        auto bmp = std::make_unique<TBitmap>();
        if (bmp->LoadFromBytes(data))
            graphic = std::move(bmp);
    } else if (present && rec.U8(24) == 2) {
        auto ico = std::make_unique<TIcon>();
        if (ico->LoadFromBytes(data))
            graphic = std::move(ico);
    }
    o->SetData(ToMetaGraphic(graphic.get()));
}

// Kinds 9 (polygon) and 10 (polyline): the points are a string of X, Y pairs.
void readLegacyPoints(const LegacyRecordIn &rec, LegacyStrings &strings, TRLGraphicPage &page)
{
    bool present = false;
    const std::string &data = strings.At(rec.I32(112), present);
    TRLMetaPointArray points(data.size() / 8);
    for (size_t k = 0; k < points.size(); ++k)
        points[k] =
            TPoint{TRLStreamReader::GetI32(data.data() + 8 * k), TRLStreamReader::GetI32(data.data() + 8 * k + 4)};
    if (rec.Kind() == 9) {
        auto *o = page.NewObject<TRLPolygonObject>();
        o->SetBoundsRect(rec.Bounds());
        o->SetPoints(std::move(points));
        rec.ReadPen(o->Pen());
        rec.ReadBrush(o->Brush());
    } else {
        auto *o = page.NewObject<TRLPolylineObject>();
        o->SetBoundsRect(rec.Bounds());
        o->SetPoints(std::move(points));
        rec.ReadPen(o->Pen());
    }
}

// The clipping rectangles a page's records set and reset, innermost last.
struct LegacyClips {
    std::vector<TRect> Stack;
    TRect Current;
};

// Kind 11 sets a clipping rectangle, kind 12 goes back to the one before.
void readLegacyClip(const LegacyRecordIn &rec, LegacyClips &clips, TRLGraphicPage &page)
{
    if (rec.Kind() == 11) {
        auto *o = page.NewObject<TRLSetClipRectObject>();
        o->SetBoundsRect(rec.Bounds());
        clips.Stack.push_back(clips.Current);
        clips.Current = rec.Bounds();
        return;
    }
    // A reset without a set has nothing to restore: it is dropped so the
    // page still pairs its clips when it is painted.
    if (clips.Stack.empty())
        return;
    clips.Current = clips.Stack.back();
    clips.Stack.pop_back();
    auto *o = page.NewObject<TRLResetClipRectObject>();
    o->SetBoundsRect(clips.Current);
}

// The object one record stands for, added to the page.
void readLegacyRecord(const LegacyRecordIn &rec, LegacyStrings &strings, LegacyClips &clips, TRLGraphicPage &page)
{
    const TRect bounds = rec.Bounds();
    const std::uint8_t kind = rec.Kind();
    switch (kind) {
    case 0: {
        auto *o = page.NewObject<TRLPixelObject>();
        o->SetBoundsRect(bounds);
        o->SetColor(ToMetaColor(rec.I32(32)));
        break;
    }
    case 1: {
        auto *o = page.NewObject<TRLLineObject>();
        o->SetFromPoint(TPoint{bounds.Left, bounds.Top});
        o->SetToPoint(TPoint{bounds.Right, bounds.Bottom});
        o->SetBoundsRect(PointsBounds(std::array<TPoint, 2>{o->FromPoint(), o->ToPoint()}));
        rec.ReadPen(o->Pen());
        break;
    }
    case 2:
    case 8: {
        TRLPenBrushObject *o = kind == 2 ? static_cast<TRLPenBrushObject *>(page.NewObject<TRLRectangleObject>())
                                         : page.NewObject<TRLEllipseObject>();
        o->SetBoundsRect(bounds);
        rec.ReadPen(o->Pen());
        rec.ReadBrush(o->Brush());
        break;
    }
    case 3:
    case 4: readLegacyText(rec, strings, page); break;
    case 5: {
        auto *o = page.NewObject<TRLFillRectObject>();
        o->SetBoundsRect(bounds);
        rec.ReadBrush(o->Brush());
        break;
    }
    case 6:
    case 7: readLegacyImage(rec, strings, page); break;
    case 9:
    case 10: readLegacyPoints(rec, strings, page); break;
    case 11:
    case 12: readLegacyClip(rec, clips, page); break;
    default: break; // later kinds are skipped
    }
}

// One legacy page turned into a current page.
void readLegacyPage(TRLStreamIn &in, TRLGraphicPage &page, const TRLGraphicStorage &storage)
{
    page.SetWidth(in.I32("a page width"));
    page.SetHeight(in.I32("a page height"));
    // The storage's code as it is, one that is neither portrait nor landscape
    // included: the page is measured as the storage is.
    page.Macros().SetValue("Orientation",
                           std::to_string(storage.Macros().IntValue("Orientation", MetaOrientationPortrait)));
    page.SetPaperWidth(storage.PaperWidth());
    page.SetPaperHeight(storage.PaperHeight());

    LegacyStrings strings(in);
    const std::int32_t recordCount = in.Count(kLegacyRecordSize, "the page's record list");
    const std::string records = in.Bytes(static_cast<std::int64_t>(recordCount) * kLegacyRecordSize, "a record");
    LegacyClips clips{{}, TRect{0, 0, page.Width(), page.Height()}};
    for (std::int32_t i = 0; i < recordCount; ++i)
        readLegacyRecord(LegacyRecordIn(records.data() + static_cast<size_t>(i) * kLegacyRecordSize), strings, clips,
                         page);
}

// The string list of a legacy page as its records fill it: texts, pictures
// and point lists one each, font names once per name.
class LegacyStringList {
public:
    std::int32_t Add(std::string s)
    {
        FStrings.push_back(std::move(s));
        return static_cast<std::int32_t>(FStrings.size() - 1);
    }
    std::int32_t NameIndex(const std::string &name)
    {
        for (size_t i = 0; i < FStrings.size(); ++i)
            if (FStrings[i] == name)
                return static_cast<std::int32_t>(i);
        return Add(name);
    }
    const std::vector<std::string> &Strings() const { return FStrings; }

private:
    std::vector<std::string> FStrings;
};

// One record of a legacy page as it is filled, its unused bytes zero.
struct LegacyRecordOut {
    char Rec[kLegacyRecordSize] = {};

    void PutI32(int off, std::int32_t value) { TRLStreamWriter::PutI32(Rec + off, value); }
    void PutRect(const TRect &r)
    {
        PutI32(0, r.Left);
        PutI32(4, r.Top);
        PutI32(8, r.Right);
        PutI32(12, r.Bottom);
    }
    void PutPen(const TRLMetaPen &pen)
    {
        Rec[36] = 1;
        PutI32(40, FromMetaColor(pen.Color()));
        Rec[44] = static_cast<char>(FromMetaPenMode(pen.Mode()));
        Rec[45] = static_cast<char>(FromMetaPenStyle(pen.Style()));
        PutI32(48, pen.Width());
    }
    void PutBrush(const TRLMetaBrush &brush)
    {
        Rec[52] = 1;
        PutI32(56, FromMetaColor(brush.Color()));
        Rec[60] = static_cast<char>(FromMetaBrushStyle(brush.Style()));
    }
};

// A point list as the string of X, Y pairs that legacy records name.
std::string pointString(const TRLMetaPointArray &points)
{
    std::string s;
    s.reserve(points.size() * 8);
    for (const TPoint &p : points) {
        TRLStreamWriter(s).I32(p.X);
        TRLStreamWriter(s).I32(p.Y);
    }
    return s;
}

// Kind 3 (auto-sized) or 4 (clipped).
void writeLegacyText(const TRLTextObject &o, LegacyRecordOut &rec, LegacyStringList &strings)
{
    const bool autoSize = o.TextFlags() & MetaTextFlagAutoSize;
    rec.Rec[28] = autoSize ? 3 : 4;
    rec.PutI32(16, o.Origin().X);
    rec.PutI32(20, o.Origin().Y);
    rec.PutBrush(o.Brush());
    const TRLMetaFont &f = o.Font();
    rec.Rec[64] = 1;
    rec.PutI32(72, FromMetaColor(f.Color()));
    rec.PutI32(76, f.Height());
    rec.Rec[80] = static_cast<char>(FromMetaFontPitch(f.Pitch()));
    rec.Rec[92] = static_cast<char>(f.Style() & 15);
    rec.Rec[93] = static_cast<char>(f.Charset());
    rec.PutI32(112, strings.Add(o.Text()));
    rec.PutI32(104, strings.NameIndex(cp1252::encode(f.Name())));
    rec.Rec[116] = static_cast<char>(o.Alignment() - 1);
    rec.Rec[117] = autoSize ? 1 : 0;
}

// Kind 6: a bitmap (0 at byte 24) or an icon (2); another picture is
// written without its data.
void writeLegacyImage(const TRLImageObject &o, LegacyRecordOut &rec, LegacyStringList &strings)
{
    rec.Rec[28] = 6;
    const std::string_view data = o.Data();
    const std::string_view tag = data.substr(0, 3);
    if (tag == "BMP" || tag == "ICO") {
        rec.PutI32(24, tag == "BMP" ? 0 : 2);
        rec.PutI32(112, strings.Add(std::string(data.substr(3))));
    }
}

// The record of one object; the strings it names go into `strings`.
void writeLegacyRecord(const TRLGraphicObject *obj, LegacyRecordOut &rec, LegacyStringList &strings)
{
    rec.PutI32(112, -1);
    rec.PutRect(obj->BoundsRect());
    switch (obj->Kind()) {
    case TRLGraphicKind::Pixel:
        rec.Rec[28] = 0;
        rec.PutI32(32, FromMetaColor(static_cast<const TRLPixelObject *>(obj)->Color()));
        break;
    case TRLGraphicKind::Line: {
        const auto *o = static_cast<const TRLLineObject *>(obj);
        rec.Rec[28] = 1;
        rec.PutRect(TRect{o->FromPoint().X, o->FromPoint().Y, o->ToPoint().X, o->ToPoint().Y});
        rec.PutPen(o->Pen());
        break;
    }
    case TRLGraphicKind::Rectangle:
    case TRLGraphicKind::Ellipse: {
        const auto *o = static_cast<const TRLPenBrushObject *>(obj);
        rec.Rec[28] = obj->Kind() == TRLGraphicKind::Rectangle ? 2 : 8;
        rec.PutPen(o->Pen());
        rec.PutBrush(o->Brush());
        break;
    }
    case TRLGraphicKind::Text: writeLegacyText(*static_cast<const TRLTextObject *>(obj), rec, strings); break;
    case TRLGraphicKind::FillRect:
        rec.Rec[28] = 5;
        rec.PutBrush(static_cast<const TRLFillRectObject *>(obj)->Brush());
        break;
    case TRLGraphicKind::Polygon: {
        const auto *o = static_cast<const TRLPolygonObject *>(obj);
        rec.Rec[28] = 9;
        rec.PutPen(o->Pen());
        rec.PutBrush(o->Brush());
        rec.PutI32(112, strings.Add(pointString(o->Points())));
        break;
    }
    case TRLGraphicKind::Polyline: {
        const auto *o = static_cast<const TRLPolylineObject *>(obj);
        rec.Rec[28] = 10;
        rec.PutPen(o->Pen());
        rec.PutI32(112, strings.Add(pointString(o->Points())));
        break;
    }
    case TRLGraphicKind::Image: writeLegacyImage(*static_cast<const TRLImageObject *>(obj), rec, strings); break;
    case TRLGraphicKind::SetClipRect: rec.Rec[28] = 11; break;
    case TRLGraphicKind::ResetClipRect: rec.Rec[28] = 12; break;
    }
}

void writeLegacyPage(const TRLGraphicPage &page, std::string &out)
{
    LegacyStringList strings;
    std::string records;
    records.reserve(static_cast<size_t>(page.ObjectCount()) * kLegacyRecordSize);
    for (int i = 0; i < page.ObjectCount(); ++i) {
        LegacyRecordOut rec;
        writeLegacyRecord(page.Objects(i), rec, strings);
        records.append(rec.Rec, kLegacyRecordSize);
    }
    TRLStreamWriter(out).I32(page.Width());
    TRLStreamWriter(out).I32(page.Height());
    TRLStreamWriter(out).I32(static_cast<std::int32_t>(strings.Strings().size()));
    for (const std::string &s : strings.Strings())
        TRLStreamWriter(out).String(s);
    TRLStreamWriter(out).I32(page.ObjectCount());
    out.append(records);
}

void saveLegacy(TRLGraphicStorage &st, TStream &stream, int version)
{
    std::string head;
    {
        TRLStreamWriter w(head); // head is whole once the writer is gone
        switch (version) {
        case 1: w.Bytes(kHeaderV1); break;
        case 2: w.Bytes(kHeaderV2); break;
        default: throw Exception(QStringLiteral("Incorrect file version \"%1\"!").arg(version));
        }
        if (version == 2) {
            w.I32(st.Macros().Count());
            for (const std::string &line : st.Macros().Lines())
                w.String(shiftOrientation(line, -1, 1));
        }
        w.I32(st.PageCount());
    }
    const std::int64_t tableAt = stream.Position() + static_cast<std::int64_t>(head.size());
    head.append(static_cast<size_t>(st.PageCount()) * 4, '\0');
    stream.WriteBuffer(head);
    const std::int64_t base = stream.Position();

    std::string table;
    for (int i = 0; i < st.PageCount(); ++i) {
        const std::int64_t pos = stream.Position() - base;
        if (pos > std::numeric_limits<std::int32_t>::max())
            throw EWriteError(QStringLiteral("The report is too large for its file format"));
        TRLStreamWriter(table).I32(static_cast<std::int32_t>(pos));
        TRLGraphicPage page;
        page.LoadFromBytes(st.ReadPageRecord(i));
        std::string bytes;
        writeLegacyPage(page, bytes);
        stream.WriteBuffer(bytes);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(tableAt);
    stream.WriteBuffer(table);
    stream.SetPosition(end);
}

void loadLegacy(TRLGraphicStorage &st, TStream &stream, int version)
{
    TRLStreamIn in(stream);
    if (version == 2) {
        const std::int32_t macroCount =
            TRLStreamReader::AtMost(in.Count(4, "the macro list"), TRLMacroList::kMaxStoredCount, "the macro list");
        for (std::int32_t i = 0; i < macroCount; ++i)
            st.Macros().Add(shiftOrientation(in.String("a macro"), 1, 0));
    }
    const std::int32_t pageCount = in.Count(4, "the page table");
    const std::string table = in.Bytes(static_cast<std::int64_t>(pageCount) * 4, "the page table");
    const std::int64_t base = in.Position();
    std::int64_t minPos = base;
    st.EnsureTempFile();
    for (std::int32_t i = 0; i < pageCount; ++i) {
        const std::int64_t pos = base + TRLStreamReader::GetI32(table.data() + 4 * i);
        if (pos < minPos)
            TRLStreamReader::Fail(
                QStringLiteral("File is corrupted: page %1 starts inside data already read").arg(i + 1));
        in.Seek(pos, "a page position");
        TRLGraphicPage page;
        readLegacyPage(in, page, st);
        std::string bytes;
        page.SaveToBytes(bytes);
        st.AppendPageRecord(bytes);
        minPos = in.Position();
    }
}

} // namespace

int LoadStorageFromStream(TRLGraphicStorage &storage, TStream &stream)
{
    const int version = readHeader(stream);
    if (version == 3)
        loadCurrent(storage, stream);
    else
        loadLegacy(storage, stream, version);
    return version;
}

void SaveStorageToStream(TRLGraphicStorage &storage, TStream &stream, int version)
{
    if (version == 3)
        saveCurrent(storage, stream);
    else
        saveLegacy(storage, stream, version);
}

} // namespace prenso
