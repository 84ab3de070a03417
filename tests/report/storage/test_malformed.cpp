// Damaged and hostile page files. Users open saved reports from anywhere;
// every case here is a way a file can lie, and each must end in a clear error
// (or a harmless reading), never a crash, a hang or an allocation the file
// could not back.

#include "platform/graphics/canvas.h"
#include "report/storage/RLCanvasPainter.h"

#include "metafile_helpers.h"

#include <QImage>
#include <gtest/gtest.h>

#include <limits>

using namespace prenso;
using prenso::test::Bytes;

namespace {

constexpr std::string_view kMagic("RLGraphicSurface3\x1A", 18);
constexpr std::string_view kV3("RLGraphicStorage3\x1A", 18);
constexpr std::string_view kV2("QRF2\x1A", 5);

Bytes surfaceHead(int objects)
{
    Bytes b;
    b.raw(kMagic).i32(100).i32(100).i32(0).i32(1).str("Arial").i32(objects);
    return b;
}

void fillRect(Bytes &b, int size = 28)
{
    b.u8(5).i32(size).i32(1).i32(2).i32(3).i32(4).i32(0).i32(0).u8(9).u8(9).u8(9).u8(1);
}

QString loadError(std::string_view bytes, TRLGraphicSurface &s)
{
    try {
        s.LoadFromBytes(bytes);
    } catch (const Exception &e) {
        return e.message();
    }
    return QString();
}

QString loadError(std::string_view bytes, TRLGraphicStorage &st)
{
    TMemoryStream m{std::string(bytes)};
    try {
        st.LoadFromStream(m);
    } catch (const Exception &e) {
        return e.message();
    }
    return QString();
}

void paintAll(TRLGraphicSurface &s)
{
    QImage img(80, 80, QImage::Format_RGB32);
    TCanvas c(&img);
    TRLCanvasPainter(c).Paint(s, {0, 0, 80, 80});
    TRLCanvasPainter(c).Paint(s, {-3, -3, 800, 900});
}

// A legacy page holding the given 120-byte records and strings.
std::string legacyStorage(const std::vector<std::string> &strings, const std::vector<Bytes> &records,
                          int recordCount = -1)
{
    Bytes b;
    b.raw(kV2).i32(0).i32(1).i32(0);
    b.i32(100).i32(100).i32(static_cast<int>(strings.size()));
    for (const auto &s : strings)
        b.str(s);
    b.i32(recordCount >= 0 ? recordCount : static_cast<int>(records.size()));
    for (const auto &r : records) {
        EXPECT_EQ(r.size(), 120u);
        b.raw(r.s());
    }
    return b.s();
}

Bytes legacyRecord(int kind, int stringIndex = -1, int left = 0, int top = 0, int right = 10, int bottom = 10)
{
    Bytes r;
    r.i32(left).i32(top).i32(right).i32(bottom).zeros(12).u8(kind).zeros(83).i32(stringIndex).zeros(4);
    return r;
}

} // namespace

// ---------------------------------------------------------------------------
// Pages

// Every strict prefix of a good page is a file cut short by a full disk or an
// interrupted copy.
TEST(MalformedSurface, CutShortAnywhere)
{
    TRLGraphicSurface good;
    test::fillEveryKind(good);
    const std::string bytes = test::surfaceBytes(good);
    for (size_t n = 0; n < bytes.size(); ++n) {
        TRLGraphicSurface s;
        EXPECT_FALSE(loadError(std::string_view(bytes).substr(0, n), s).isEmpty()) << n;
        EXPECT_EQ(s.ObjectCount(), 0) << "left cleared after " << n << " bytes";
    }
}

// Anything that is not a page at all gets the one message users know.
TEST(MalformedSurface, WrongMagic)
{
    TRLGraphicSurface s;
    EXPECT_EQ(loadError("RLGraphicSurface2\x1A........", s), QStringLiteral("File is corrupted!"));
    EXPECT_EQ(loadError("", s), QStringLiteral("File is corrupted!"));
    EXPECT_EQ(loadError(std::string(40, 'A'), s), QStringLiteral("File is corrupted!"));
}

// Counts are checked against the bytes left before anything is reserved: a
// 60-byte file claiming two billion objects must not allocate gigabytes.
TEST(MalformedSurface, CountsLargerThanTheFile)
{
    TRLGraphicSurface s;
    EXPECT_TRUE(loadError(surfaceHead(std::numeric_limits<int>::max()).s(), s).contains(QStringLiteral("object list")));
    EXPECT_TRUE(loadError(surfaceHead(-1).s(), s).contains(QStringLiteral("negative")));
    Bytes macros;
    macros.raw(kMagic).i32(1).i32(1).i32(0x40000000);
    EXPECT_TRUE(loadError(macros.s(), s).contains(QStringLiteral("macro list")));
    Bytes fonts;
    fonts.raw(kMagic).i32(1).i32(1).i32(0).i32(-7);
    EXPECT_FALSE(loadError(fonts.s(), s).isEmpty());
}

// A string whose length is negative or runs past the end.
TEST(MalformedSurface, BadStringLengths)
{
    TRLGraphicSurface s;
    Bytes neg;
    neg.raw(kMagic).i32(1).i32(1).i32(1).i32(-3).raw("abc");
    EXPECT_TRUE(loadError(neg.s(), s).contains(QStringLiteral("negative length")));
    Bytes past;
    past.raw(kMagic).i32(1).i32(1).i32(1).i32(1000).raw("abc");
    EXPECT_TRUE(loadError(past.s(), s).contains(QStringLiteral("past the end")));
}

// An object whose stated size runs past the end of the file.
TEST(MalformedSurface, ObjectSizePastTheEnd)
{
    Bytes b = surfaceHead(1);
    fillRect(b, 1000);
    TRLGraphicSurface s;
    EXPECT_FALSE(loadError(b.s(), s).isEmpty());
}

// Kinds from a later version are skipped by their size, and what follows
// them is still read.
TEST(MalformedSurface, UnknownKindIsSkipped)
{
    Bytes b = surfaceHead(3);
    b.u8(99).i32(5).raw("12345");
    b.u8(0).i32(0);
    fillRect(b);
    TRLGraphicSurface s;
    EXPECT_TRUE(loadError(b.s(), s).isEmpty());
    ASSERT_EQ(s.ObjectCount(), 1);
    EXPECT_EQ(s.Objects(0)->Kind(), TRLGraphicKind::FillRect);
}

// A known kind whose payload is shorter than its fields.
TEST(MalformedSurface, ShortPayload)
{
    Bytes b = surfaceHead(1);
    b.u8(5).i32(20).i32(1).i32(2).i32(3).i32(4).i32(0);
    TRLGraphicSurface s;
    EXPECT_TRUE(loadError(b.s(), s).contains(QStringLiteral("shorter than its fields")));
    Bytes c = surfaceHead(1);
    c.u8(5).i32(26).i32(1).i32(2).i32(3).i32(4).i32(0).i32(0).u8(1).u8(2);
    EXPECT_TRUE(loadError(c.s(), s).contains(QStringLiteral("brush")));
}

// A payload longer than its fields (a later version adding fields at the end)
// is read up to its stated size, so the next object starts where it should.
TEST(MalformedSurface, LongerPayloadIsReadUpToItsSize)
{
    Bytes b = surfaceHead(2);
    b.u8(5).i32(31).i32(1).i32(2).i32(3).i32(4).i32(0).i32(0).u8(9).u8(9).u8(9).u8(1).raw("xyz");
    fillRect(b);
    TRLGraphicSurface s;
    EXPECT_TRUE(loadError(b.s(), s).isEmpty());
    ASSERT_EQ(s.ObjectCount(), 2);
    EXPECT_EQ(s.Objects(1)->BoundsRect(), (TRect{1, 2, 3, 4}));
}

// The text and point counts inside an object must fit inside that object's
// own payload, not merely inside the file.
TEST(MalformedSurface, CountsInsideAnObjectStayInsideIt)
{
    Bytes text = surfaceHead(2);
    text.u8(4).i32(40).zeros(24).u8(1).u8(1).i32(0).i32(0).u16(0).i32(500);
    fillRect(text);
    TRLGraphicSurface s;
    EXPECT_TRUE(loadError(text.s(), s).contains(QStringLiteral("text")));
    Bytes poly = surfaceHead(2);
    poly.u8(8).i32(37).zeros(24).zeros(9).i32(1000);
    fillRect(poly);
    EXPECT_TRUE(loadError(poly.s(), s).contains(QStringLiteral("point list")));
}

// A font that names a font-list entry the page does not have.
TEST(MalformedSurface, FontNameOutOfRange)
{
    Bytes b = surfaceHead(1);
    b.u8(4).i32(69).i32(0).i32(0).i32(50).i32(20).i32(0).i32(0);
    b.u8(1).u8(1).i32(0).i32(0).u16(5).str("hi").u8(0).u8(0).u8(0).u8(1);
    b.i32(96).u8(0).u8(0).u8(0).u8(0).i32(-13).i32(12345).u8(1).i32(10).u16(0);
    TRLGraphicSurface s;
    ASSERT_TRUE(loadError(b.s(), s).isEmpty());
    EXPECT_EQ(static_cast<TRLTextObject *>(s.Objects(0))->Font().Name(), QString());
    paintAll(s);
}

// Fonts written with a one-byte style (a text payload of 66 + n bytes) are
// still read.
TEST(MalformedSurface, OneByteFontStyle)
{
    Bytes b = surfaceHead(1);
    b.u8(4).i32(68).i32(0).i32(0).i32(50).i32(20).i32(0).i32(0);
    b.u8(1).u8(1).i32(0).i32(0).u16(5).str("hi").u8(0).u8(0).u8(0).u8(1);
    b.i32(96).u8(0).u8(0).u8(0).u8(0).i32(-13).i32(0).u8(1).i32(10).u8(3);
    TRLGraphicSurface s;
    ASSERT_TRUE(loadError(b.s(), s).isEmpty());
    EXPECT_EQ(static_cast<TRLTextObject *>(s.Objects(0))->Font().Style(), 3);
}

// Extreme coordinates, pen widths and font sizes: painting must neither
// overflow nor hang, and must go on past them: a plain box painted after
// them (with their clips taken back) still shows. Moving and scaling such an
// object saturates its bounds at the ends of the range instead of wrapping
// round to the other side.
TEST(MalformedSurface, ExtremeValuesPaint)
{
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    TRLGraphicSurface s;
    s.SetWidth(1);
    s.SetHeight(1);
    for (TRect r : {TRect{small, small, big, big}, TRect{big, big, small, small}, TRect{0, 0, big, 5}}) {
        auto *px = s.NewObject<TRLPixelObject>();
        px->SetBoundsRect(r);
        auto *rc = s.NewObject<TRLRectangleObject>();
        rc->SetBoundsRect(r);
        rc->Pen().SetWidth(big);
        auto *el = s.NewObject<TRLEllipseObject>();
        el->SetBoundsRect(r);
        auto *ln = s.NewObject<TRLLineObject>();
        ln->SetFromPoint({r.Left, r.Top});
        ln->SetToPoint({r.Right, r.Bottom});
        ln->Pen().SetWidth(big);
        ln->Pen().SetStyle(MetaPenStyleDashDotDot);
        auto *tx = s.NewObject<TRLTextObject>();
        tx->SetBoundsRect(r);
        tx->SetOrigin({r.Left, r.Bottom});
        tx->SetText("a b c d");
        tx->SetAlignment(MetaTextAlignmentJustify);
        tx->SetLayout(MetaTextLayoutCenter);
        tx->SetTextFlags(0);
        tx->Font().SetSize(big);
        tx->Font().SetPixelsPerInch(small);
        auto *pg = s.NewObject<TRLPolygonObject>();
        pg->SetPoints({{small, big}, {big, small}, {0, 0}});
        auto *im = s.NewObject<TRLImageObject>();
        im->SetBoundsRect(r);
        im->SetParity(true);
        im->SetData("BMP" + test::redBitmapBytes(2, 2));
        auto *sc = s.NewObject<TRLSetClipRectObject>();
        sc->SetBoundsRect(r);
    }
    // Each clip is taken back by a reset of its own.
    for (int i = 0; i < 3; ++i)
        s.NewObject<TRLResetClipRectObject>();
    auto *box = s.NewObject<TRLFillRectObject>();
    box->SetBoundsRect({0, 0, 1, 1});
    box->Brush().SetColor({0, 0, 255});
    for (const TRect target : {TRect{0, 0, 80, 80}, TRect{-3, -3, 800, 900}}) {
        QImage img(80, 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            TCanvas c(&img);
            TRLCanvasPainter(c).Paint(s, target);
        }
        EXPECT_EQ(img.pixel(40, 40) & 0xFFFFFF, 0x0000FFu) << "target " << target.Right << " x " << target.Bottom;
    }

    TRLGraphicObject *first = s.Objects(0);
    first->Inflate(1e300, -1e300);
    EXPECT_EQ(first->BoundsRect().Left, small);
    EXPECT_EQ(first->BoundsRect().Top, big);
    EXPECT_EQ(first->BoundsRect().Right, big);
    EXPECT_EQ(first->BoundsRect().Bottom, small);
    first->Offset(big, big);
    EXPECT_EQ(first->BoundsRect().Left, small + big);
    EXPECT_EQ(first->BoundsRect().Top, big);
    EXPECT_EQ(first->BoundsRect().Right, big);
    EXPECT_EQ(first->BoundsRect().Bottom, small + big);
}

// ---------------------------------------------------------------------------
// Storages, current version

// A page table whose count is negative or larger than the file.
TEST(MalformedStorage, PageCountsThatLie)
{
    TRLGraphicStorage st;
    Bytes neg;
    neg.raw(kV3).i32(0).i32(-1);
    EXPECT_TRUE(loadError(neg.s(), st).contains(QStringLiteral("page table")));
    Bytes huge;
    huge.raw(kV3).i32(0).i32(0x7FFFFFFF).i32(0);
    EXPECT_TRUE(loadError(huge.s(), st).contains(QStringLiteral("page table")));
    EXPECT_EQ(st.PageCount(), 0);
}

// Page positions outside the file, and page sizes that are negative or run
// past its end.
TEST(MalformedStorage, PagePositionsAndSizesThatLie)
{
    TRLGraphicStorage st;
    Bytes past;
    past.raw(kV3).i32(0).i32(1).i32(5000);
    EXPECT_TRUE(loadError(past.s(), st).contains(QStringLiteral("outside the file")));
    Bytes neg;
    neg.raw(kV3).i32(0).i32(1).i32(30).i32(-8);
    EXPECT_FALSE(loadError(neg.s(), st).isEmpty());
    Bytes longer;
    longer.raw(kV3).i32(0).i32(1).i32(30).i32(100).raw("short");
    EXPECT_TRUE(loadError(longer.s(), st).contains(QStringLiteral("past the end")));
    EXPECT_EQ(st.PageCount(), 0);
}

// Two table entries pointing at the same record would let a small file make
// the page file as large as the disk: pages must follow one another.
TEST(MalformedStorage, PagesSharingTheirBytes)
{
    const std::string page = [] {
        TRLGraphicSurface s;
        test::fillEveryKind(s);
        return test::surfaceBytes(s);
    }();
    Bytes b;
    b.raw(kV3).i32(0).i32(3).i32(38).i32(38).i32(38);
    b.i32(static_cast<int>(page.size())).raw(page);
    TRLGraphicStorage st;
    EXPECT_TRUE(loadError(b.s(), st).contains(QStringLiteral("already read")));
    Bytes intoTable;
    intoTable.raw(kV3).i32(0).i32(1).i32(22);
    EXPECT_FALSE(loadError(intoTable.s(), st).isEmpty());
}

// A well-framed record that is not a page: the storage loads, the page reads
// as missing, which callers take as the end of the pages.
TEST(MalformedStorage, GarbageInsideAGoodFrame)
{
    Bytes b;
    b.raw(kV3).i32(0).i32(2).i32(34).i32(42).i32(4).raw("junk").i32(0);
    TRLGraphicStorage st;
    ASSERT_TRUE(loadError(b.s(), st).isEmpty());
    EXPECT_EQ(st.PageCount(), 2);
    EXPECT_EQ(st.Pages(0), nullptr);
    EXPECT_EQ(st.Pages(1), nullptr);
    TMemoryStream out;
    st.SetFileVersion(2);
    EXPECT_THROW(st.SaveToStream(out), Exception) << "an unreadable page cannot be converted";
}

// Every version cut short anywhere.
TEST(MalformedStorage, CutShortAnywhereInEveryVersion)
{
    for (int version = 1; version <= 3; ++version) {
        TRLGraphicStorage good;
        good.SetTitle(QStringLiteral("x"));
        auto page = std::make_unique<TRLGraphicSurface>();
        test::fillEveryKind(*page);
        good.Add(std::move(page));
        const std::string bytes = test::storageBytes(good, version);
        for (size_t n = 0; n < bytes.size(); n += (n < 64 ? 1 : 7)) {
            TRLGraphicStorage st;
            EXPECT_FALSE(loadError(std::string_view(bytes).substr(0, n), st).isEmpty()) << version << "/" << n;
            EXPECT_EQ(st.PageCount(), 0);
            EXPECT_EQ(st.Macros().Count(), 0);
        }
    }
}

// ---------------------------------------------------------------------------
// Storages, legacy versions

// A record naming a string the page does not have.
TEST(MalformedLegacy, StringIndexOutOfRange)
{
    TRLGraphicStorage st;
    EXPECT_TRUE(loadError(legacyStorage({"a"}, {legacyRecord(4, 5)}), st).contains(QStringLiteral("string 5")));
    EXPECT_FALSE(loadError(legacyStorage({"a"}, {legacyRecord(4, -2)}), st).isEmpty());
}

// A reset-clip record with no set-clip before it has nothing to restore; it
// is dropped so the page still pairs its clips.
TEST(MalformedLegacy, ResetClipWithoutSetClip)
{
    TRLGraphicStorage st;
    ASSERT_TRUE(
        loadError(legacyStorage({}, {legacyRecord(12), legacyRecord(5), legacyRecord(11), legacyRecord(12)}), st)
            .isEmpty());
    TRLGraphicPage *p = st.Pages(0);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->ObjectCount(), 3);
    EXPECT_EQ(p->Objects(0)->Kind(), TRLGraphicKind::FillRect);
    EXPECT_EQ(p->Objects(2)->BoundsRect(), (TRect{0, 0, 100, 100}));
}

// Many records naming the same long string would blow a small file up into a
// huge page.
TEST(MalformedLegacy, OneStringUsedOverAndOver)
{
    std::vector<Bytes> records(1000, legacyRecord(4, 0));
    TRLGraphicStorage st;
    EXPECT_TRUE(
        loadError(legacyStorage({std::string(100000, 'x')}, records), st).contains(QStringLiteral("over and over")));
}

// A record count larger than the bytes that follow.
TEST(MalformedLegacy, RecordCountLargerThanTheFile)
{
    TRLGraphicStorage st;
    EXPECT_TRUE(loadError(legacyStorage({}, {legacyRecord(5)}, 1000000), st).contains(QStringLiteral("record list")));
}

// Kinds past 12 are skipped; codes outside their tables read as defaults;
// picture bytes that are not a picture become "no picture".
TEST(MalformedLegacy, UnknownKindsCodesAndPictures)
{
    Bytes pen = legacyRecord(2);
    std::string raw = pen.s();
    raw[44] = static_cast<char>(200); // pen mode
    raw[45] = static_cast<char>(99);  // pen style
    raw[60] = static_cast<char>(77);  // brush style
    Bytes odd;
    odd.raw(raw);
    Bytes img = legacyRecord(6, 0);
    TRLGraphicStorage st;
    ASSERT_TRUE(
        loadError(legacyStorage({"not a bitmap"}, {legacyRecord(13), legacyRecord(255), odd, img}), st).isEmpty());
    TRLGraphicPage *p = st.Pages(0);
    ASSERT_EQ(p->ObjectCount(), 2);
    auto *r = static_cast<TRLRectangleObject *>(p->Objects(0));
    EXPECT_EQ(r->Pen().Mode(), MetaPenModeCopy);
    EXPECT_EQ(r->Pen().Style(), MetaPenStyleSolid);
    EXPECT_EQ(r->Brush().Style(), MetaBrushStyleSolid);
    EXPECT_EQ(static_cast<TRLImageObject *>(p->Objects(1))->Data(), "NIL");
}

// ---------------------------------------------------------------------------
// Found by fuzzing the page reader (reported by the undefined-behaviour
// sanitizer; in an ordinary build they went unnoticed).

// A text whose stored font size is the most negative integer: the size
// became a font height by negating it.
// A few kilobytes of file can name a long macro value thousands of times:
// expanded, that is gigabytes for every painter, the draft and PDF writers.
// Texts grow to a bounded length, look up a bounded number of names, and
// files hold bounded macro lists.
TEST(MalformedMacros, ExpansionIsBounded)
{
    const std::string value(1000, 'v');
    std::string bomb;
    for (int i = 0; i < 2000; ++i)
        bomb += "{m}";
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "{a}";
    const std::string plain(100000, 'p'); // longer than the limit, but stored so
    const struct {
        const char *name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"a long value named many times", bomb, std::string(TRLTextObject::kMaxDisplayTextLength, 'v')},
        {"more names than are looked up", many, std::string(256, 'x') + many.substr(256 * 3)},
        {"a long text of its own", plain + "{a}", plain + "x"},
        {"an equals sign in the name", "{m=v}", "{m=v}"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TRLGraphicStorage st;
        st.Macros().SetValue("m", value);
        TRLGraphicSurface *p = test::addSurface(st);
        p->Macros().SetValue("a", "x");
        p->TextOut(0, 0, c.text);
        const std::string shown = static_cast<TRLTextObject *>(p->Objects(0))->DisplayText();
        EXPECT_EQ(shown.size(), c.expected.size());
        EXPECT_TRUE(shown == c.expected);
    }
}

TEST(MalformedMacros, LongerListsThanAPageCarriesAreRefused)
{
    const int tooMany = TRLMacroList::kMaxStoredCount + 1;
    Bytes page;
    page.raw(kMagic).i32(100).i32(100).i32(tooMany);
    for (int i = 0; i < tooMany; ++i)
        page.str("n" + std::to_string(i) + "=v");
    page.i32(0).i32(0);
    TRLGraphicSurface s;
    EXPECT_EQ(loadError(page.s(), s), QStringLiteral("File is corrupted: the macro list claims 4097 entries, "
                                                     "more than the 4096 allowed"));

    for (std::string_view header : {kV3, kV2}) {
        Bytes storage;
        storage.raw(header).i32(tooMany);
        for (int i = 0; i < tooMany; ++i)
            storage.str("n" + std::to_string(i) + "=v");
        storage.i32(0);
        TRLGraphicStorage st;
        EXPECT_TRUE(loadError(storage.s(), st).contains(QLatin1String("more than the 4096 allowed")));
        EXPECT_EQ(st.Macros().Count(), 0);
    }

    // As many as allowed still load.
    Bytes most;
    most.raw(kMagic).i32(100).i32(100).i32(TRLMacroList::kMaxStoredCount);
    for (int i = 0; i < TRLMacroList::kMaxStoredCount; ++i)
        most.str("n" + std::to_string(i) + "=v");
    most.i32(0).i32(0);
    EXPECT_EQ(loadError(most.s(), s), QString());
    EXPECT_EQ(s.Macros().Count(), TRLMacroList::kMaxStoredCount);
}

TEST(FuzzFindings, MostNegativeFontSize)
{
    TRLGraphicSurface s;
    s.SetWidth(10);
    s.SetHeight(10);
    auto *t = s.NewObject<TRLTextObject>();
    t->SetBoundsRect({0, 0, 10, 10});
    t->SetText("x");
    t->Font().SetPixelsPerInch(96);
    t->Font().SetSize(std::numeric_limits<int>::min());
    paintAll(s);
    TFont f;
    f.SetSize(std::numeric_limits<int>::min());
    EXPECT_EQ(f.Height(), std::numeric_limits<int>::max());
    f.SetHeight(std::numeric_limits<int>::min());
    EXPECT_GT(f.Size(), 0);
}

// A clip rectangle whose left edge lies far right of its right edge: its
// width overflowed while deciding whether it clips at all.
TEST(FuzzFindings, ClipRectangleWiderThanAnInt)
{
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(100);
    auto *c = s.NewObject<TRLSetClipRectObject>();
    c->SetBoundsRect({31068919, 0, std::numeric_limits<int>::min(), 10});
    s.NewObject<TRLResetClipRectObject>();
    paintAll(s);
    EXPECT_EQ((TRect{std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max(), 1}).Width(),
              std::numeric_limits<int>::max());
}
