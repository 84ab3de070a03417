// Page surfaces and storages: round trips of every object kind through every
// file version, byte-exact streams checked against the format tables, the
// page cache, macros and the recording operations.

#include "platform/graphics/canvas.h"
#include "platform/io/files.h"
#include "report/storage/RLMetaConversions.h"
#include "support/test_support.h"

#include "metafile_helpers.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

using namespace prenso;
using prenso::test::Bytes;
using prenso::test::fillEveryKind;
using prenso::test::surfaceBytes;

namespace {

std::string col(const TRLMetaColor &c)
{
    return std::to_string(c.Red) + "," + std::to_string(c.Green) + "," + std::to_string(c.Blue);
}
std::string rect(const TRect &r)
{
    return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom) + ")";
}
std::string pen(const TRLMetaPen &p)
{
    return " pen[" + col(p.Color()) + " m" + std::to_string(p.Mode()) + " s" + std::to_string(p.Style()) + " w" +
           std::to_string(p.Width()) + "]";
}
std::string brush(const TRLMetaBrush &b)
{
    return " brush[" + col(b.Color()) + " s" + std::to_string(b.Style()) + "]";
}
std::string points(const TRLMetaPointArray &pts)
{
    std::string s = " pts";
    for (const TPoint &p : pts)
        s += "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
    return s;
}

// Every stored field of an object as text, so a failed comparison shows what differs.
std::string describe(const TRLGraphicObject *o, bool withGroup = true)
{
    std::ostringstream out;
    out << static_cast<int>(o->Kind()) << " " << rect(o->BoundsRect());
    if (withGroup)
        out << " g" << o->GroupId() << " gen" << o->GeneratorId();
    switch (o->Kind()) {
    case TRLGraphicKind::Pixel: out << " c" << col(static_cast<const TRLPixelObject *>(o)->Color()); break;
    case TRLGraphicKind::Line: {
        auto *l = static_cast<const TRLLineObject *>(o);
        out << " " << l->FromPoint().X << "," << l->FromPoint().Y << "-" << l->ToPoint().X << "," << l->ToPoint().Y
            << pen(l->Pen()) << brush(l->Brush());
        break;
    }
    case TRLGraphicKind::Rectangle:
    case TRLGraphicKind::Ellipse: {
        auto *r = static_cast<const TRLPenBrushObject *>(o);
        out << pen(r->Pen()) << brush(r->Brush());
        break;
    }
    case TRLGraphicKind::Text: {
        auto *t = static_cast<const TRLTextObject *>(o);
        const TRLMetaFont &f = t->Font();
        out << " '" << t->Text() << "' o" << t->Origin().X << "," << t->Origin().Y << " a" << int(t->Alignment())
            << " l" << int(t->Layout()) << " f" << t->TextFlags() << brush(t->Brush()) << " font["
            << f.Name().toStdString() << " ppi" << f.PixelsPerInch() << " cs" << int(f.Charset()) << " "
            << col(f.Color()) << " h" << f.Height() << " p" << int(f.Pitch()) << " sz" << f.Size() << " st"
            << int(f.Style()) << "]";
        break;
    }
    case TRLGraphicKind::FillRect: out << brush(static_cast<const TRLFillRectObject *>(o)->Brush()); break;
    case TRLGraphicKind::Polygon: {
        auto *p = static_cast<const TRLPolygonObject *>(o);
        out << pen(p->Pen()) << brush(p->Brush()) << points(p->Points());
        break;
    }
    case TRLGraphicKind::Polyline: {
        auto *p = static_cast<const TRLPolylineObject *>(o);
        out << pen(p->Pen()) << points(p->Points());
        break;
    }
    case TRLGraphicKind::Image: {
        auto *i = static_cast<const TRLImageObject *>(o);
        out << " data" << std::hash<std::string>()(i->Data()) << "/" << i->Data().size() << " par" << i->Parity();
        break;
    }
    default: break;
    }
    return out.str();
}

std::vector<std::string> describeAll(const TRLGraphicPage &s, bool withGroup = true)
{
    std::vector<std::string> out;
    for (int i = 0; i < s.ObjectCount(); ++i)
        out.push_back(describe(s.Objects(i), withGroup));
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Round trips

TEST(SurfaceStream, EveryKindSurvivesARoundTrip)
{
    TRLGraphicSurface a;
    test::fillEveryKind(a);
    TRLGraphicSurface b;
    const std::string bytes = test::surfaceBytes(a);
    EXPECT_EQ(b.LoadFromBytes(bytes), bytes.size());
    EXPECT_EQ(b.Width(), 794);
    EXPECT_EQ(b.Height(), 1123);
    EXPECT_EQ(b.Orientation(), TRLPageOrientation::poLandscape);
    EXPECT_EQ(b.Macros().Lines(), a.Macros().Lines());
    EXPECT_EQ(describeAll(b), describeAll(a));
    EXPECT_FALSE(b.Modified()) << "a page just read is not modified";
    EXPECT_EQ(test::surfaceBytes(b), bytes);
}

TEST(SurfaceStream, FileRoundTripThroughAStream)
{
    test::TempDir dir;
    TRLGraphicSurface a;
    test::fillEveryKind(a);
    a.SaveToFile(dir.file("page.bin"));
    TRLGraphicSurface b;
    b.LoadFromFile(dir.file("page.bin"));
    EXPECT_EQ(describeAll(b), describeAll(a));
}

class StorageVersions : public ::testing::TestWithParam<int> {};

// Legacy pages keep less than current ones; this is what a page with every
// kind must look like after a trip through an older version.
static std::vector<std::string> expectedAfterLegacy(const TRLGraphicSurface &original)
{
    TRLGraphicSurface s;
    s.SetWidth(original.Width());
    s.SetHeight(original.Height());
    for (int i = 0; i < original.ObjectCount(); ++i) {
        TRLGraphicObject *o = original.Objects(i)->Clone(s);
        if (auto *l = dynamic_cast<TRLLineObject *>(o)) {
            // bounds are the points' box, and lines keep no brush
            const TPoint a = l->FromPoint(), b = l->ToPoint();
            l->SetBoundsRect({std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)});
            l->SetBrush(TRLMetaBrush());
        } else if (auto *t = dynamic_cast<TRLTextObject *>(o)) {
            t->SetLayout(MetaTextLayoutTop);
            t->Font().SetSize(-RoundCoord(t->Font().Height() * 0.75));
        } else if (auto *im = dynamic_cast<TRLImageObject *>(o)) {
            im->SetParity(false);
        }
    }
    return describeAll(s, false);
}

TEST_P(StorageVersions, EveryKindSurvivesARoundTrip)
{
    const int version = GetParam();
    auto *st = new TRLGraphicStorage;
    st->SetOrientation(TRLPageOrientation::poLandscape);
    st->SetPaperWidth(210);
    st->SetPaperHeight(297);
    st->SetTitle(QStringLiteral("Relatório"));
    auto page = std::make_unique<TRLGraphicSurface>();
    test::fillEveryKind(*page);
    const std::vector<std::string> full = describeAll(*page);
    const std::vector<std::string> legacy = expectedAfterLegacy(*page);
    st->Add(std::move(page));
    const std::string bytes = test::storageBytes(*st, version);
    delete st;

    TRLGraphicStorage back;
    TMemoryStream m(bytes);
    back.LoadFromStream(m);
    EXPECT_EQ(back.FileVersion(), version);
    ASSERT_EQ(back.PageCount(), 1);
    TRLGraphicPage *p = back.Pages(0);
    ASSERT_NE(p, nullptr);
    if (version == 3)
        EXPECT_EQ(describeAll(*p), full);
    else
        EXPECT_EQ(describeAll(*p, false), legacy);
    if (version != 1) {
        EXPECT_EQ(p->Orientation(), TRLPageOrientation::poLandscape);
        EXPECT_EQ(p->PaperWidth(), 210);
        EXPECT_EQ(back.Title(), QStringLiteral("Relatório"));
        EXPECT_EQ(back.Orientation(), TRLPageOrientation::poLandscape);
    }
    // and saved again in the version it was read as, the bytes are the same
    EXPECT_EQ(test::storageBytes(back, version), bytes);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, StorageVersions, ::testing::Values(1, 2, 3));

TEST(StorageVersions, LegacyTextWithoutAutoSizeStaysClipped)
{
    auto *st = new TRLGraphicStorage;
    auto page = std::make_unique<TRLGraphicSurface>();
    page->SetWidth(100);
    page->SetHeight(100);
    page->TextRect({0, 0, 50, 20}, 0, 0, "clipped");
    page->TextOut(0, 30, "free");
    st->Add(std::move(page));
    const std::string bytes = test::storageBytes(*st, 2);
    delete st;
    TRLGraphicStorage back;
    TMemoryStream m(bytes);
    back.LoadFromStream(m);
    auto *clipped = static_cast<TRLTextObject *>(back.Pages(0)->Objects(0));
    auto *free = static_cast<TRLTextObject *>(back.Pages(0)->Objects(1));
    EXPECT_EQ(clipped->TextFlags(), MetaTextFlagNoSplit);
    EXPECT_EQ(free->TextFlags(), MetaTextFlagAutoSize | MetaTextFlagNoSplit);
}

// ---------------------------------------------------------------------------
// Byte-exact streams, written out from the format tables by hand

namespace {

void smallPage(TRLGraphicSurface &s)
{
    s.SetWidth(100);
    s.SetHeight(50);
    s.Macros().Add("A=1");
    auto *fr = s.NewObject<TRLFillRectObject>();
    fr->SetBoundsRect({1, 2, 3, 4});
    fr->SetGroupId(7);
    fr->Brush().SetColor({255, 0, 0});
    auto *t = s.NewObject<TRLTextObject>();
    t->SetBoundsRect({5, 6, 7, 8});
    t->SetGroupId(7);
    t->SetAlignment(MetaTextAlignmentCenter);
    t->SetLayout(MetaTextLayoutBottom);
    t->SetOrigin({9, 10});
    t->SetText("Hi");
    t->Brush().SetStyle(MetaBrushStyleClear);
    t->Font().SetPixelsPerInch(96);
    t->Font().SetColor({1, 2, 3});
    t->Font().SetHeight(-13);
    t->Font().SetName(QStringLiteral("Arial"));
    t->Font().SetSize(10);
    t->Font().SetStyle(MetaFontStyleBold);
}

std::string smallPageBytes()
{
    Bytes b;
    b.raw(std::string_view("RLGraphicSurface3\x1A", 18)).i32(100).i32(50);
    b.i32(1).str("A=1");
    b.i32(1).str("Arial");
    b.i32(2);
    // fill rectangle: base part, brush
    b.u8(5).i32(28).i32(1).i32(2).i32(3).i32(4).i32(7).i32(0).u8(255).u8(0).u8(0).u8(1);
    // text: base, alignment, layout, origin, flags, text, brush, font
    b.u8(4).i32(69).i32(5).i32(6).i32(7).i32(8).i32(7).i32(0);
    b.u8(3).u8(2).i32(9).i32(10).u16(5).str("Hi");
    b.u8(0).u8(0).u8(0).u8(2);
    b.i32(96).u8(0).u8(1).u8(2).u8(3).i32(-13).i32(0).u8(1).i32(10).u16(1);
    return b.s();
}

std::string legacyPageBytes()
{
    Bytes b;
    b.i32(100).i32(50);
    b.i32(2).str("Hi").str("Arial");
    b.i32(2);
    Bytes fill;
    fill.i32(1).i32(2).i32(3).i32(4).zeros(12).u8(5).zeros(23).u8(1).zeros(3).i32(255).u8(0).zeros(51).i32(-1).zeros(4);
    EXPECT_EQ(fill.size(), 120u);
    Bytes text;
    text.i32(5)
        .i32(6)
        .i32(7)
        .i32(8)
        .i32(9)
        .i32(10)
        .zeros(4)
        .u8(3)
        .zeros(23)
        .u8(1)
        .zeros(3)
        .i32(0)
        .u8(1)
        .zeros(3)
        .u8(1)
        .zeros(7)
        .i32(1 + 2 * 256 + 3 * 65536)
        .i32(-13)
        .u8(0)
        .zeros(11)
        .u8(1)
        .u8(0)
        .zeros(10)
        .i32(1)
        .zeros(4)
        .i32(0)
        .u8(2)
        .u8(1)
        .zeros(2);
    EXPECT_EQ(text.size(), 120u);
    return b.s() + fill.s() + text.s();
}

TRLGraphicStorage *smallStorage()
{
    auto *st = new TRLGraphicStorage;
    st->SetTitle(QStringLiteral("T"));
    st->SetOrientation(TRLPageOrientation::poPortrait);
    auto page = std::make_unique<TRLGraphicSurface>();
    smallPage(*page);
    st->Add(std::move(page));
    return st;
}

} // namespace

TEST(GoldenBytes, SmallSurface)
{
    TRLGraphicSurface s;
    smallPage(s);
    EXPECT_EQ(test::surfaceBytes(s), smallPageBytes());
}

TEST(GoldenBytes, StorageVersion3)
{
    std::unique_ptr<TRLGraphicStorage> st(smallStorage());
    const std::string page = smallPageBytes();
    Bytes b;
    b.raw(std::string_view("RLGraphicStorage3\x1A", 18));
    b.i32(2).str("Title=T").str("Orientation=1");
    b.i32(1).i32(18 + 4 + 11 + 17 + 4 + 4);
    b.i32(static_cast<std::int32_t>(page.size())).raw(page);
    EXPECT_EQ(test::storageBytes(*st, 3), b.s());
}

TEST(GoldenBytes, StorageVersion2)
{
    std::unique_ptr<TRLGraphicStorage> st(smallStorage());
    Bytes b;
    b.raw(std::string_view("QRF2\x1A", 5));
    b.i32(2).str("Title=T").str("Orientation=0"); // 0-based in this version
    b.i32(1).i32(0);
    b.raw(legacyPageBytes());
    EXPECT_EQ(test::storageBytes(*st, 2), b.s());
}

TEST(GoldenBytes, StorageVersion1)
{
    std::unique_ptr<TRLGraphicStorage> st(smallStorage());
    Bytes b;
    b.raw(std::string_view("Quorta Metafile\x1A", 16));
    b.i32(1).i32(0);
    b.raw(legacyPageBytes());
    EXPECT_EQ(test::storageBytes(*st, 1), b.s());
}

TEST(GoldenBytes, EmptyStorageIsHeaderMacrosAndZero)
{
    TRLGraphicStorage st;
    Bytes b;
    b.raw(std::string_view("RLGraphicStorage3\x1A", 18)).i32(0).i32(0);
    EXPECT_EQ(test::storageBytes(st, 3), b.s());
    TRLGraphicStorage back;
    TMemoryStream m(b.s());
    back.LoadFromStream(m);
    EXPECT_EQ(back.PageCount(), 0);
    EXPECT_EQ(back.Pages(0), nullptr);
}

TEST(GoldenBytes, Version2OrientationIsZeroBased)
{
    Bytes b;
    b.raw(std::string_view("QRF2\x1A", 5)).i32(1).str(" Orientation =1").i32(0);
    TRLGraphicStorage st;
    TMemoryStream m(b.s());
    st.LoadFromStream(m);
    EXPECT_EQ(st.Orientation(), TRLPageOrientation::poLandscape);
    EXPECT_EQ(st.Macros().Strings(0), "Orientation=2");
    Bytes out;
    out.raw(std::string_view("QRF2\x1A", 5)).i32(1).str("Orientation=1").i32(0);
    EXPECT_EQ(test::storageBytes(st, 2), out.s());
}

// ---------------------------------------------------------------------------
// Storage behaviour

TEST(Storage, FileVersionOutsideOneToThreeIsRefused)
{
    TRLGraphicStorage st;
    st.SetFileVersion(2);
    try {
        st.SetFileVersion(4);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid file version!"));
    }
    EXPECT_THROW(st.SetFileVersion(0), Exception);
    EXPECT_EQ(st.FileVersion(), 2);
}

TEST(Storage, UnknownHeaderIsReportedWithTheBytesRead)
{
    TRLGraphicStorage st;
    st.SetTitle(QStringLiteral("kept?"));
    TMemoryStream m(std::string("NotAReport\x1A"
                                "rest",
                                15));
    try {
        st.LoadFromStream(m);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Corrupt file header \"NotAReport\x1A\"!"));
    }
    EXPECT_EQ(st.Macros().Count(), 0) << "the storage stays cleared";
    TMemoryStream longer(std::string(30, 'x'));
    try {
        st.LoadFromStream(longer);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Corrupt file header \"%1\"!").arg(QString(20, u'x')));
    }
}

TEST(Storage, CacheKeepsTheLastFivePagesAndWritesBackModifiedOnes)
{
    TRLGraphicStorage st;
    for (int i = 0; i < 8; ++i) {
        auto page = std::make_unique<TRLGraphicSurface>();
        page->SetWidth(100);
        page->SetHeight(100);
        page->TextOut(0, 0, "page " + std::to_string(i));
        st.Add(std::move(page));
    }
    EXPECT_EQ(st.CachedPageIndexes(), (std::vector<int>{3, 4, 5, 6, 7}));
    for (int i = 0; i <= 5; ++i)
        ASSERT_NE(st.Pages(i), nullptr);
    EXPECT_EQ(st.CachedPageIndexes(), (std::vector<int>{1, 2, 3, 4, 5}));

    // an unmodified page is dropped without a write
    const std::int64_t before = st.PageFileSize();
    st.Pages(6);
    EXPECT_EQ(st.PageFileSize(), before);

    // a modified one is written back first
    TRLGraphicPage *p2 = st.Pages(2);
    p2->NewObject<TRLTextObject>()->SetText("changed");
    p2->SetModified(true);
    for (int i : {3, 4, 5, 6, 7})
        st.Pages(i);
    EXPECT_GT(st.PageFileSize(), before);
    TRLGraphicPage *again = st.Pages(2);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->ObjectCount(), 2);
    EXPECT_EQ(static_cast<TRLTextObject *>(again->Objects(1))->Text(), "changed");
    EXPECT_FALSE(again->Modified());
}

TEST(Storage, PagesOutOfRangeGiveNothing)
{
    TRLGraphicStorage st;
    st.Add(std::make_unique<TRLGraphicSurface>());
    EXPECT_EQ(st.Pages(-1), nullptr);
    EXPECT_EQ(st.Pages(1), nullptr);
    EXPECT_NE(st.Pages(0), nullptr);
}

TEST(Storage, SaveWritesBackModifiedCachedPages)
{
    TRLGraphicStorage st;
    TRLGraphicSurface *p = test::addSurface(st);
    p->FillRect({0, 0, 5, 5});
    const std::string bytes = test::storageBytes(st, 3);
    TRLGraphicStorage back;
    TMemoryStream m(bytes);
    back.LoadFromStream(m);
    EXPECT_EQ(back.Pages(0)->ObjectCount(), 1);
}

TEST(Storage, ASurfaceTakenByAnotherStorageLeavesTheCache)
{
    TRLGraphicStorage a, b;
    TRLGraphicPage *p = a.Add(std::make_unique<TRLGraphicSurface>());
    EXPECT_EQ(a.CachedPageIndexes().size(), 1u);
    std::unique_ptr<TRLGraphicPage> owned(p); // whoever takes it now owns it
    p->SetStorage(&b);
    EXPECT_TRUE(a.CachedPageIndexes().empty());
    owned.reset();
    EXPECT_EQ(a.PageCount(), 1);
    EXPECT_NE(a.Pages(0), nullptr);
}

TEST(Storage, ClearEmptiesPagesMacrosAndThePageFile)
{
    TRLGraphicStorage st;
    st.SetTitle(QStringLiteral("x"));
    st.Add(std::make_unique<TRLGraphicSurface>());
    EXPECT_GT(st.PageFileSize(), 0);
    st.Clear();
    EXPECT_EQ(st.PageCount(), 0);
    EXPECT_EQ(st.PageFileSize(), 0);
    EXPECT_EQ(st.Macros().Count(), 0);
}

TEST(Storage, MacroBackedProperties)
{
    TRLGraphicStorage st;
    EXPECT_EQ(st.Orientation(), TRLPageOrientation::poPortrait);
    EXPECT_EQ(st.PaperWidth(), 0);
    st.SetPaperWidth(210);
    st.SetPaperHeight(297);
    EXPECT_EQ(st.Macros().Value("PaperWidth"), "210.0000");
    EXPECT_EQ(st.Width(), 794);
    EXPECT_EQ(st.Height(), 1123);
    st.SetOrientation(TRLPageOrientation::poLandscape);
    EXPECT_EQ(st.Macros().Value("Orientation"), "2");
    EXPECT_EQ(st.OrientedWidth(), 1123);
    EXPECT_EQ(st.OrientedPaperHeight(), 210);
    st.SetFirstPageNumber(3);
    st.SetLastPageNumber(9);
    EXPECT_EQ(st.FirstPageNumber(), 3);
    EXPECT_EQ(st.LastPageNumber(), 9);
    st.Macros().SetValue("PaperHeight", "abc");
    EXPECT_EQ(st.PaperHeight(), 0);
    st.Macros().SetValue("LastPageNumber", "x1");
    EXPECT_EQ(st.LastPageNumber(), 0);
    st.SetJobTitle(QStringLiteral("Nota fiscal"));
    EXPECT_EQ(st.JobTitle(), QStringLiteral("Nota fiscal"));
    EXPECT_EQ(st.Macros().IndexOfName("jobtitle"), st.Macros().IndexOfName("JobTitle"));
}

// A file may hold any orientation code. Only the landscape code reads as
// landscape, yet every code but the portrait one measures the page turned:
// both readings are what saved reports have always been printed with.
TEST(Storage, StoredOrientationCodes)
{
    const struct {
        const char *stored;
        TRLPageOrientation reads;
        bool turned;
    } cases[] = {
        {"0", TRLPageOrientation::poPortrait, true},  {"1", TRLPageOrientation::poPortrait, false},
        {"2", TRLPageOrientation::poLandscape, true}, {"3", TRLPageOrientation::poPortrait, true},
        {"-1", TRLPageOrientation::poPortrait, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        const int code = std::stoi(c.stored);
        EXPECT_EQ(OrientationOfStoredCode(code), c.reads);
        EXPECT_EQ(StoredCodeTurnsPage(code), c.turned);
        TRLGraphicStorage st;
        st.SetPaperWidth(210);
        st.SetPaperHeight(297);
        st.Macros().SetValue("Orientation", c.stored);
        EXPECT_EQ(st.Orientation(), c.reads);
        EXPECT_EQ(st.OrientedPaperWidth(), c.turned ? 297 : 210);
        EXPECT_EQ(st.OrientedHeight(), c.turned ? 794 : 1123);
        TRLGraphicSurface page;
        page.SetWidth(794);
        page.SetHeight(1123);
        page.Macros().SetValue("Orientation", c.stored);
        EXPECT_EQ(page.Orientation(), c.reads);
        EXPECT_EQ(page.OrientedWidth(), c.turned ? 1123 : 794);
    }
    EXPECT_EQ(StoredOrientationCode(TRLPageOrientation::poPortrait), MetaOrientationPortrait);
    EXPECT_EQ(StoredOrientationCode(TRLPageOrientation::poLandscape), MetaOrientationLandscape);
    EXPECT_EQ(MetaOrientationPortrait, 1);
    EXPECT_EQ(MetaOrientationLandscape, 2);
}

// ---------------------------------------------------------------------------
// Links, the page file and the temporary folder

namespace {
struct TempFolderScope {
    test::TempDir dir;
    QByteArray old = qgetenv("TMPDIR");
    TempFolderScope() { qputenv("TMPDIR", dir.path().toLocal8Bit()); }
    ~TempFolderScope() { qputenv("TMPDIR", old); }
};
} // namespace

// Whoever holds a storage keeps it and stands on its reference list; the
// last to let go, by a reset or by going, frees it and its page file.
TEST(StorageLinks, TheLastHoldFreesTheStorageAndItsPageFile)
{
    TempFolderScope tmp;
    TComponent report;
    auto preview = std::make_unique<TComponent>();
    TRLStorageHold byReport(&report);
    auto byPreview = std::make_unique<TRLStorageHold>(preview.get());
    byReport.Reset(std::make_shared<TRLGraphicStorage>());
    byPreview->Reset(byReport.get());
    std::weak_ptr<TRLGraphicStorage> watch = byReport.shared();
    byReport->Add(std::make_unique<TRLGraphicSurface>());
    const QString file = byReport->TempFileName();
    const int listed = files::registeredTempFileCount();
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("~qr")));
    EXPECT_TRUE(file.endsWith(QStringLiteral(".tmp")));
    EXPECT_EQ(byReport->ReferenceCount(), 2);

    byReport.Reset(nullptr);
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(watch.lock()->ReferenceCount(), 1);
    EXPECT_TRUE(QFile::exists(file));
    byPreview.reset(); // the preview window goes
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(files::registeredTempFileCount(), listed - 1);
    EXPECT_TRUE(test::listFolder(tmp.dir.path()).isEmpty());
}

TEST(StorageLinks, NoPageFileIsLeftAfterErrors)
{
    TempFolderScope tmp;
    {
        TRLGraphicStorage st;
        st.Add(std::make_unique<TRLGraphicSurface>());
        Bytes bad;
        bad.raw(std::string_view("RLGraphicStorage3\x1A", 18)).i32(0).i32(3).i32(30).i32(9999).i32(-5);
        TMemoryStream m(bad.s());
        EXPECT_THROW(st.LoadFromStream(m), Exception);
        EXPECT_EQ(st.PageCount(), 0);
        EXPECT_EQ(test::listFolder(tmp.dir.path()).size(), 1);
    }
    EXPECT_TRUE(test::listFolder(tmp.dir.path()).isEmpty());
}

// ---------------------------------------------------------------------------
// Recording

TEST(Recording, LinesPolygonsAndTextsGetTheirBounds)
{
    TRLGraphicSurface s;
    s.SetWidth(200);
    s.SetHeight(100);
    s.SetMargins({10, 20, 10, 10});
    s.LineTo(50, 5); // Open moves the pen to the margins first
    auto *line = static_cast<TRLLineObject *>(s.Objects(0));
    EXPECT_EQ(line->FromPoint(), (TPoint{10, 20}));
    EXPECT_EQ(line->BoundsRect(), (TRect{9, 4, 51, 21}));
    EXPECT_EQ(s.PenPos(), (TPoint{50, 5}));

    const TPoint pts[] = {{5, 7}, {30, 2}, {12, 40}};
    s.Polygon(pts);
    EXPECT_EQ(s.Objects(1)->BoundsRect(), (TRect{4, 1, 31, 41}));

    s.Font().SetName(QStringLiteral("Courier New"));
    s.Font().SetSize(10);
    s.TextOut(3, 4, "abcd");
    auto *t = static_cast<TRLTextObject *>(s.Objects(2));
    EXPECT_EQ(t->BoundsRect(), (TRect{3, 4, 3 + 4 * 8, 4 + s.TextHeight("x")}));
    EXPECT_EQ(t->TextFlags(), MetaTextFlagAutoSize | MetaTextFlagNoSplit);
    EXPECT_EQ(t->Font().Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(t->Font().Size(), 10);
    EXPECT_EQ(t->Font().PixelsPerInch(), 96);
    EXPECT_EQ(t->Font().Height(), -13);
}

TEST(Recording, WriteAndWritelnMoveThePen)
{
    TRLGraphicSurface s;
    s.SetMargins({7, 9, 0, 0});
    s.Font().SetName(QStringLiteral("Courier New"));
    s.Font().SetSize(10);
    s.Write("ab");
    EXPECT_EQ(s.PenPos(), (TPoint{7 + 16, 9}));
    s.Writeln("c");
    EXPECT_EQ(s.PenPos(), (TPoint{7, 9 + s.TextHeight("c")}));
    EXPECT_EQ(s.ObjectCount(), 2);
    EXPECT_EQ(s.Objects(1)->BoundsRect().Left, 23);
}

TEST(Recording, FontNamesAreStoredOncePerSurface)
{
    TRLGraphicSurface s;
    s.Font().SetName(QStringLiteral("Arial"));
    s.TextOut(0, 0, "a");
    s.Font().SetName(QStringLiteral("Courier New"));
    s.TextOut(0, 0, "b");
    s.Font().SetName(QStringLiteral("ARIAL"));
    s.TextOut(0, 0, "c");
    EXPECT_EQ(s.Fonts().size(), 2u);
    EXPECT_EQ(static_cast<TRLTextObject *>(s.Objects(2))->Font().NameId(), 0);
}

TEST(Recording, ClipRectanglesNest)
{
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(80);
    s.SetClipRect({1, 1, 50, 50});
    s.SetClipRect({2, 2, 20, 20});
    EXPECT_EQ(s.ClipRect(), (TRect{2, 2, 20, 20}));
    s.TextOut(3, 3, "x");
    s.ResetClipRect();
    EXPECT_EQ(s.Objects(3)->BoundsRect(), (TRect{2, 2, 20, 20}));
    EXPECT_EQ(s.ClipRect(), (TRect{1, 1, 50, 50}));
    s.ResetClipRect();
    EXPECT_EQ(s.ClipRect(), (TRect{0, 0, 100, 80}));
    EXPECT_THROW(s.ResetClipRect(), EListError);
    EXPECT_EQ(s.ObjectCount(), 5) << "a failed reset records nothing";

    // A clip around nothing is taken back, but still ends where it was set;
    // the clip it was set inside is kept, with the text drawn before it.
    s.SetClipRect({1, 1, 50, 50});
    s.TextOut(4, 4, "y");
    s.SetClipRect({5, 5, 9, 9});
    EXPECT_EQ(s.ClipRect(), (TRect{5, 5, 9, 9}));
    s.ResetClipRect();
    EXPECT_EQ(s.ClipRect(), (TRect{1, 1, 50, 50}));
    s.ResetClipRect();
    ASSERT_EQ(s.ObjectCount(), 8);
    EXPECT_EQ(s.Objects(7)->Kind(), TRLGraphicKind::ResetClipRect);
    EXPECT_EQ(s.Objects(7)->BoundsRect(), (TRect{1, 1, 50, 50}));
}

// Whoever empties a page or takes an object out of it through the page
// alone (a reader, the storage) still resets what the recorder remembers of
// it: the clip set last and not yet drawn into. Freed object memory goes to
// the next object of its size, so a remembered clip would pass for a new
// object, and the reset after it would take that object away.
TEST(Recording, ObjectsRemovedThroughThePageAreForgottenByTheRecorder)
{
    const struct {
        const char *name;
        void (*remove)(TRLGraphicPage &page);
    } removals[] = {
        {"cleared", [](TRLGraphicPage &page) { page.Clear(); }},
        {"deleted", [](TRLGraphicPage &page) { page.DeleteObject(page.Objects(page.ObjectCount() - 1)); }},
    };
    for (const auto &removal : removals) {
        SCOPED_TRACE(removal.name);
        TRLGraphicSurface s;
        s.SetWidth(100);
        s.SetHeight(100);
        s.SetClipRect({1, 1, 50, 50});
        removal.remove(s);
        ASSERT_EQ(s.ObjectCount(), 0);
        auto *own = s.NewObject<TRLSetClipRectObject>(); // made by hand, not by the recorder
        own->SetBoundsRect({2, 2, 9, 9});
        s.ResetClipRect();
        ASSERT_EQ(s.ObjectCount(), 2) << "the object made by hand stays";
        EXPECT_EQ(s.Objects(0), own);
        EXPECT_EQ(s.Objects(1)->Kind(), TRLGraphicKind::ResetClipRect);
    }
}

TEST(Recording, DrawingAPageOntoAnotherClonesItsObjectsFontsAndMacros)
{
    TRLGraphicSurface band;
    band.Font().SetName(QStringLiteral("Courier New"));
    band.TextOut(1, 2, "x");
    band.Macros().SetValue("PageNo", "3");
    TRLGraphicSurface page;
    page.Font().SetName(QStringLiteral("Arial"));
    page.TextOut(0, 0, "first");
    page.Draw(10, 20, band);
    ASSERT_EQ(page.ObjectCount(), 2);
    auto *t = static_cast<TRLTextObject *>(page.Objects(1));
    EXPECT_EQ(t->Origin(), (TPoint{11, 22}));
    EXPECT_EQ(t->Font().Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(t->Font().NameId(), 1) << "the name is looked up in the new page's list";
    EXPECT_EQ(page.Macros().Value("PageNo"), "3");
}

TEST(Recording, CopyRectScalesAndMovesTheObjectsThatTouchTheSource)
{
    TRLGraphicSurface src;
    src.SetWidth(100);
    src.SetHeight(100);
    src.Rectangle(10, 10, 20, 20);
    src.Rectangle(80, 80, 90, 90);
    src.Pen().Width = 3;
    src.MoveTo(5, 5);
    src.LineTo(7, 9);
    TRLGraphicSurface dst;
    dst.SetWidth(500);
    dst.SetHeight(500);
    dst.CopyRect({100, 100, 200, 200}, src, {0, 0, 50, 50});
    // set clip, the first rectangle, the line, reset clip
    ASSERT_EQ(dst.ObjectCount(), 4);
    EXPECT_EQ(dst.Objects(0)->Kind(), TRLGraphicKind::SetClipRect);
    EXPECT_EQ(dst.Objects(1)->BoundsRect(), (TRect{120, 120, 140, 140}));
    auto *l = static_cast<TRLLineObject *>(dst.Objects(2));
    EXPECT_EQ(l->ToPoint(), (TPoint{114, 118}));
    EXPECT_EQ(l->Pen().Width(), 6);
    EXPECT_EQ(dst.Objects(3)->Kind(), TRLGraphicKind::ResetClipRect);
    EXPECT_THROW(dst.CopyRect({0, 0, 10, 10}, src, {5, 5, 5, 50}), EZeroDivide);
}

// Placing a band or a report moves its objects instead of copying them; the
// page must come out exactly as if they had been copied, fonts included (the
// page's font table differs from the band's), and the band is left empty.
TEST(Recording, TakingGivesThePageThatCopyingGives)
{
    auto makeBand = [](TRLGraphicSurface &band) {
        fillEveryKind(band);
        band.Font().SetName(QStringLiteral("Courier New"));
        band.TextOut(3, 4, "second font");
        band.Rectangle(900, 900, 950, 950); // outside the copied rectangle
    };
    auto makePage = [](TRLGraphicSurface &page) {
        page.SetWidth(2000);
        page.SetHeight(2000);
        page.Font().SetName(QStringLiteral("Arial"));
        page.TextOut(0, 0, "already here");
    };
    {
        TRLGraphicSurface band, page, copied;
        makeBand(band);
        makePage(page);
        makePage(copied);
        const int before = band.ObjectCount();
        copied.Draw(10, 20, band);
        page.DrawTaking(10, 20, band);
        EXPECT_EQ(surfaceBytes(page), surfaceBytes(copied));
        EXPECT_EQ(page.ObjectCount(), before + 1);
        EXPECT_EQ(band.ObjectCount(), 0);
        EXPECT_EQ(page.Macros().Value("PageNo"), "7");
        for (int i = 0; i < page.ObjectCount(); ++i)
            EXPECT_EQ(page.Objects(i)->Page(), &page);
    }
    {
        TRLGraphicSurface band, page, copied;
        makeBand(band);
        makePage(page);
        makePage(copied);
        for (const TRect dest : {TRect{100, 100, 894, 1223}, TRect{0, 0, 397, 560}}) { // same size and halved
            TRLGraphicSurface again;
            makeBand(again);
            copied.CopyRect(dest, again, {0, 0, 794, 1123});
            page.CopyRectTaking(dest, band, {0, 0, 794, 1123});
            EXPECT_EQ(surfaceBytes(page), surfaceBytes(copied));
            EXPECT_EQ(band.ObjectCount(), 0) << "objects outside the rectangle go with the rest";
            makeBand(band);
        }
    }
}

TEST(Recording, ScaleAndClipDrawFitTheSource)
{
    TBitmap bmp(40, 20);
    TRLGraphicSurface s;
    s.ScaleDraw({0, 0, 100, 100}, &bmp, true);
    EXPECT_EQ(s.Objects(0)->BoundsRect(), (TRect{0, 25, 100, 75}));
    s.ScaleDraw({0, 0, 100, 100}, &bmp, false);
    EXPECT_EQ(s.Objects(1)->BoundsRect(), (TRect{0, 0, 100, 50}));
    s.ClipDraw({10, 10, 30, 50}, &bmp, false);
    EXPECT_EQ(s.Objects(2)->BoundsRect(), (TRect{10, 10, 30, 30}));
    auto g = FromMetaGraphic(static_cast<TRLImageObject *>(s.Objects(2))->Data());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Width(), 20);
    const int before = s.ObjectCount();
    s.ClipDraw({100, 100, 110, 110}, &bmp, false);
    s.ClipDraw({0, 0, 0, 0}, &bmp, false);
    EXPECT_EQ(s.ObjectCount(), before + 1) << "only the overlapping draw records";
    TBitmap empty;
    EXPECT_THROW(s.ScaleDraw({0, 0, 10, 10}, &empty, false), EZeroDivide);
}

TEST(Recording, ClearKeepsTheSize)
{
    TRLGraphicSurface s;
    s.SetWidth(10);
    s.SetHeight(20);
    s.TextOut(0, 0, "a");
    s.Macros().SetValue("a", "b");
    s.SetModified(false);
    s.Clear();
    EXPECT_EQ(s.ObjectCount(), 0);
    EXPECT_TRUE(s.Fonts().empty());
    EXPECT_EQ(s.Macros().Count(), 0);
    EXPECT_TRUE(s.Modified());
    EXPECT_EQ(s.Width(), 10);
}

TEST(Recording, FindFreeRowMovesAboveUnsplittableTexts)
{
    TRLGraphicSurface s;
    s.TextRectEx({0, 10, 50, 30}, 0, 10, "a", 1, 1, MetaTextFlagNoSplit);
    s.TextRectEx({0, 25, 50, 45}, 0, 25, "b", 1, 1, MetaTextFlagNoSplit);
    s.TextRectEx({0, 60, 50, 80}, 0, 60, "c", 1, 1, 0); // may be cut
    int row = 0;
    EXPECT_TRUE(s.FindFreeRow(40, row));
    EXPECT_EQ(row, 10) << "moved above b, then above a";
    EXPECT_TRUE(s.FindFreeRow(70, row));
    EXPECT_EQ(row, 70);
    s.TextRectEx({0, 0, 50, 12}, 0, 0, "d", 1, 1, MetaTextFlagNoSplit);
    EXPECT_FALSE(s.FindFreeRow(40, row));
    EXPECT_EQ(row, 0);
}

TEST(Recording, GroupIdsComeFromTheProcessCounter)
{
    const std::uint32_t g = NewGroupId();
    EXPECT_EQ(NewGroupId(), g + 1);
    TRLGraphicSurface s;
    s.FillRect({0, 0, 1, 1});
    EXPECT_EQ(s.Objects(0)->GroupId(), g + 1);
}

// Freed objects leave their memory to the next ones of their size: pages
// made one after the other with every kind of object, sizes mixed, are each
// stored byte for byte as the first, and so on a thread of their own.
TEST(Recording, PagesMadeAfterFreedOnesAreStoredAlike)
{
    auto makePages = [] {
        std::vector<std::string> stored;
        for (int page = 0; page < 4; ++page) {
            TRLGraphicSurface s;
            for (int i = 0; i < 50; ++i)
                test::fillEveryKind(s);
            stored.push_back(test::surfaceBytes(s));
        }
        return stored;
    };
    const std::vector<std::string> here = makePages();
    ASSERT_EQ(here.size(), 4u);
    for (const std::string &page : here)
        EXPECT_EQ(page, here.front());
    std::vector<std::string> there;
    std::thread([&] { there = makePages(); }).join();
    EXPECT_EQ(there, here);
}

TEST(Recording, InflateRoundsHalvesToEven)
{
    TRLGraphicSurface s;
    s.Pen().Width = 1;
    s.Rectangle(5, 7, 9, 11);
    TRLGraphicObject *o = s.Objects(0);
    o->Inflate(0.5, 0.5);
    EXPECT_EQ(o->BoundsRect(), (TRect{2, 4, 4, 6})); // 2.5 -> 2, 3.5 -> 4, 4.5 -> 4, 5.5 -> 6
    TRLMetaPen p;
    p.SetWidth(1);
    p.Inflate(0.1);
    EXPECT_EQ(p.Width(), 1);
    p.SetWidth(0);
    p.Inflate(10);
    EXPECT_EQ(p.Width(), 0);
    p.SetWidth(5);
    p.Inflate(0.5);
    EXPECT_EQ(p.Width(), 2);
}

// ---------------------------------------------------------------------------
// Macros in texts

TEST(Macros, DisplayTextLooksInThePageThenInTheStorage)
{
    TRLGraphicStorage st;
    st.SetTitle(QStringLiteral("Vendas"));
    st.Macros().SetValue("PageNo", "99");
    TRLGraphicSurface *p = test::addSurface(st);
    p->Macros().SetValue("PageNo", "4");
    p->TextOut(0, 0, "{title} p.{PageNo} {Nope} {PageNo}!");
    p->TextOut(0, 0, "a {Title} {unterminated");
    p->TextOut(0, 0, "{X}");
    p->Macros().SetValue("X", "{PageNo}");
    auto text = [&](int i) { return static_cast<TRLTextObject *>(p->Objects(i))->DisplayText(); };
    EXPECT_EQ(text(0), "Vendas p.4 {Nope} 4!");
    EXPECT_EQ(text(1), "a Vendas {unterminated");
    EXPECT_EQ(text(2), "{PageNo}") << "values are not expanded again";
}
