// How a stored page becomes draft items: units, pitch choice, cutting and
// justifying texts, accents, the order of the page list, dithering, and the
// conversion of each kind of stored object.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/filters/draft/RLDraftPage.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "report/storage/RLMetaConversions.h"

#include "draft_pictures.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace prenso;

namespace {

// Restores the process-wide vertical unit after a test that changes it.
struct VerticalUnit {
    explicit VerticalUnit(int v) : old(DraftVerticalUnit()) { SetDraftVerticalUnit(v); }
    ~VerticalUnit() { SetDraftVerticalUnit(old); }
    int old;
};

std::string texts(const TRLDraftPageList &list)
{
    std::string out;
    for (const auto &item : list.Items()) {
        if (!out.empty())
            out += '/';
        if (item->ObjKind() == TDraftObj::Kind::Text)
            out += static_cast<const TDraftText &>(*item).Text;
        else
            out += "<img>";
    }
    return out;
}

std::unique_ptr<TDraftText> text(const char *s, int top, int left, int cpp = 10, TRLMetaFontStyles style = 0)
{
    auto t = std::make_unique<TDraftText>();
    t->Text = s;
    t->CPP = cpp;
    t->Style = style;
    t->PinBounds = TRect{left, top, left + 10, top + 12};
    return t;
}

std::unique_ptr<TDraftImage> image(int top, int left)
{
    auto i = std::make_unique<TDraftImage>();
    i->Columns = "\x01";
    i->Rows = 1;
    i->PinBounds = TRect{left, top, left + 1, top + 1};
    return i;
}

} // namespace

// ---------------------------------------------------------------------------

TEST(DraftUnits, AnInchIs120UnitsAcrossAndOneVerticalUnitDown)
{
    VerticalUnit v(12);
    TRLDraftUnits u(1.0, TPoint{0, 0});
    EXPECT_EQ(u.Column(96), 120);
    EXPECT_EQ(u.Row(96), 72);
    EXPECT_EQ(u.Column(0), 0);
    EXPECT_EQ(u.Column(1), 1); // 1.25 drops its fraction
    EXPECT_EQ(u.Row(1), 0);    // 0.75 too
    EXPECT_EQ(u.Row(3), 2);    // 2.25
    SetDraftVerticalUnit(60);
    EXPECT_EQ(u.Row(96), 360);
    EXPECT_EQ(u.Row(16), 60); // one line of 1/6 inch
}

TEST(DraftUnits, ThePrintCutMovesTheOriginAndTruncationIsTowardZero)
{
    VerticalUnit v(12);
    TRLDraftUnits u(1.0, TPoint{24, 10});
    EXPECT_EQ(u.Column(24), 0);
    EXPECT_EQ(u.Column(120), 120);
    EXPECT_EQ(u.Column(0), -30);
    EXPECT_EQ(u.Column(23), -1); // -1.25
    EXPECT_EQ(u.Row(9), 0);      // -0.75
    EXPECT_EQ(u.Row(106), 72);
}

TEST(DraftUnits, FormsScaleThePageAcross)
{
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poPortrait, 0), 1.0);
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poPortrait, 1), 1.0);
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poPortrait, 2), 1.65);
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poLandscape, 0), 1.0);
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poLandscape, 1), 0.6060606060606061);
    EXPECT_EQ(DraftHorizontalScale(TRLPageOrientation::poLandscape, 2), 1.0);
    VerticalUnit v(12);
    // 8 inches of portrait page across 132 columns; 11 inches of landscape
    // page across 80. In double precision 1.65 × 768 comes out a hair below
    // 1267.2 and 20/33 × 1056 a hair above 640, and truncation keeps that.
    EXPECT_EQ(TRLDraftUnits(1.65, {}).Column(768), 1583);
    EXPECT_EQ(TRLDraftUnits(0.6060606060606061, {}).Column(1056), 800);
    EXPECT_EQ(TRLDraftUnits(1.65, {}).Row(96), 72); // never down
}

TEST(DraftPitch, ChosenFromTheMeasuredRatio)
{
    EXPECT_EQ(DraftPitchForRatio(11), 12);
    EXPECT_EQ(DraftPitchForRatio(10), 10);
    EXPECT_EQ(DraftPitchForRatio(10.0001), 12);
    EXPECT_EQ(DraftPitchForRatio(5), 5);
    EXPECT_EQ(DraftPitchForRatio(2), 5);
    EXPECT_EQ(DraftPitchForRatio(5.01), 10);
    EXPECT_EQ(DraftPitchForRatio(12), 12);
    EXPECT_EQ(DraftPitchForRatio(17), 17);
    EXPECT_EQ(DraftPitchForRatio(17.5), 20);
    EXPECT_EQ(DraftPitchForRatio(40), 20);
    // k = 96 / (w × 1.4 / 136): 932 pixels give 10.006 (12 cpi), 933 give 9.995.
    EXPECT_EQ(DraftPitchForSampleWidth(932), 12);
    EXPECT_EQ(DraftPitchForSampleWidth(933), 10);
    EXPECT_EQ(DraftPitchForSampleWidth(0), 20);
    EXPECT_EQ(DraftPitchSample().size(), 136u);
    EXPECT_EQ(DraftCharWidth(5), 24);
    EXPECT_EQ(DraftCharWidth(10), 12);
    EXPECT_EQ(DraftCharWidth(12), 10);
    EXPECT_EQ(DraftCharWidth(17), 7);
    EXPECT_EQ(DraftCharWidth(20), 6);
}

TEST(DraftPitch, FixedSelectionsNeedNoMeasuring)
{
    TRLDraftPageBuilder b;
    const std::pair<TRLCPPSelection, int> cases[] = {
        {TRLCPPSelection::csFixed5CPP, 5},   {TRLCPPSelection::csFixed10CPP, 10}, {TRLCPPSelection::csFixed12CPP, 12},
        {TRLCPPSelection::csFixed17CPP, 17}, {TRLCPPSelection::csFixed20CPP, 20},
    };
    for (auto [selection, cpp] : cases) {
        TRLDraftPageSettings s;
        s.CPPSelection = selection;
        b.SetSettings(s);
        EXPECT_EQ(b.PitchFor(QStringLiteral("Courier New"), 72), cpp);
    }
    EXPECT_EQ(b.MeasuredFontCount(), 0);
}

TEST(DraftPitch, EachFontIsMeasuredOnceAndSmallerFontsGetNarrowerPitches)
{
    TRLDraftPageBuilder b;
    TRLDraftPageSettings s;
    b.SetSettings(s);
    const QString courier = QStringLiteral("Courier New");
    const int p10 = b.PitchFor(courier, 10);
    EXPECT_EQ(b.MeasuredFontCount(), 1);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(b.PitchFor(courier, 10), p10);
    EXPECT_EQ(b.MeasuredFontCount(), 1);

    // The choice is the one the measured sample gives.
    TFont f;
    f.SetName(courier);
    f.SetSize(10);
    EXPECT_EQ(p10, DraftPitchForSampleWidth(f.Resource().width(DraftPitchSample())));

    int last = 0;
    for (int size : {24, 14, 10, 8, 6, 4}) {
        const int p = b.PitchFor(courier, size);
        EXPECT_GE(p, last) << size;
        last = p;
    }
    EXPECT_EQ(b.PitchFor(courier, 24), 5);
    EXPECT_EQ(b.PitchFor(courier, 4), 20);
    // The shared measuring canvas keeps the font it had.
    const TFont before = MeasureCanvas().Font();
    b.PitchFor(QStringLiteral("Arial"), 31);
    EXPECT_TRUE(MeasureCanvas().Font() == before);
}

TEST(DraftPitch, StretchingFollowsTheFormScale)
{
    // A landscape page on 80 columns is squeezed to 20/33: with shrinking
    // allowed a 10-point font is measured at 6 points and gets a narrower
    // pitch; with enlargements only it keeps its own.
    const QString courier = QStringLiteral("Courier New");
    auto pitch = [&](TRLStretchCharWidth stretch, double scale, int size) {
        TRLDraftPageBuilder b;
        TRLDraftPageSettings s;
        s.StretchCharWidth = stretch;
        s.Units = TRLDraftUnits(scale, {});
        b.SetSettings(s);
        return b.PitchFor(courier, size);
    };
    const double squeeze = 0.6060606060606061;
    TRLDraftPageBuilder plain;
    plain.SetSettings({});
    EXPECT_EQ(pitch(TRLStretchCharWidth::scShrinksOnly, squeeze, 10), plain.PitchFor(courier, 6));
    EXPECT_EQ(pitch(TRLStretchCharWidth::scAlways, squeeze, 10), plain.PitchFor(courier, 6));
    EXPECT_EQ(pitch(TRLStretchCharWidth::scEnlargementsOnly, squeeze, 10), plain.PitchFor(courier, 10));
    EXPECT_EQ(pitch(TRLStretchCharWidth::scNone, squeeze, 10), plain.PitchFor(courier, 10));
    // 132 columns spread a portrait page 1.65 times: 16.5 points measure as
    // 16 (halves to even).
    EXPECT_EQ(pitch(TRLStretchCharWidth::scEnlargementsOnly, 1.65, 10), plain.PitchFor(courier, 16));
    EXPECT_EQ(pitch(TRLStretchCharWidth::scShrinksOnly, 1.65, 10), plain.PitchFor(courier, 10));
    EXPECT_EQ(pitch(TRLStretchCharWidth::scAlways, 1.65, 10), plain.PitchFor(courier, 16));
}

// ---------------------------------------------------------------------------

TEST(DraftText, CutByAlignment)
{
    EXPECT_EQ(DraftCutText("abcdefghij", 4, MetaTextAlignmentLeft), "abcd");
    EXPECT_EQ(DraftCutText("abcdefghij", 4, MetaTextAlignmentRight), "ghij");
    // Centred: from position (10 - 4) div 2 = 3, so two characters go on the
    // left ((length − n) div 2 − 1) and four on the right.
    EXPECT_EQ(DraftCutText("abcdefghij", 4, MetaTextAlignmentCenter), "cdef");
    EXPECT_EQ(DraftCutText("abcde", 4, MetaTextAlignmentCenter), "abcd"); // (1 div 2) = 0 -> position 1
    EXPECT_EQ(DraftCutText("abcdef", 4, MetaTextAlignmentCenter), "abcd");
    EXPECT_EQ(DraftCutText("abcdefg", 4, MetaTextAlignmentCenter), "abcd");
    EXPECT_EQ(DraftCutText("abcdefgh", 4, MetaTextAlignmentCenter), "bcde");
    // Narrower texts are not padded, whatever the alignment, except justified.
    for (TRLMetaTextAlignment a : {MetaTextAlignmentLeft, MetaTextAlignmentRight, MetaTextAlignmentCenter})
        EXPECT_EQ(DraftCutText("ab", 6, a), "ab");
    EXPECT_EQ(DraftCutText("a b", 6, MetaTextAlignmentJustify), "a    b");
    EXPECT_EQ(DraftCutText("a b c d", 3, MetaTextAlignmentJustify), "a b");
    EXPECT_EQ(DraftCutText("abc", 0, MetaTextAlignmentLeft), "");
    EXPECT_EQ(DraftCutText("abc", -3, MetaTextAlignmentRight), "");
    EXPECT_EQ(DraftCutText("abcdef", 2, 9), "ab"); // unknown codes cut as left
}

TEST(DraftText, JustifyFillsGapsFromTheRight)
{
    EXPECT_EQ(DraftJustifyText("a b c", 6), "a b  c");
    EXPECT_EQ(DraftJustifyText("a b c", 7), "a  b  c");
    EXPECT_EQ(DraftJustifyText("a b c", 8), "a  b   c");
    EXPECT_EQ(DraftJustifyText("a b c", 11), "a    b    c");
    // A run of blanks is one gap; tabs and line ends count as blanks.
    EXPECT_EQ(DraftJustifyText("a  b\tc", 8), "a   b \tc");
    // Leading and trailing blanks are gaps too, the trailing run the first
    // from the right.
    EXPECT_EQ(DraftJustifyText("A B  ", 7), "A  B   ");
    EXPECT_EQ(DraftJustifyText(" ab  ", 7), "  ab   ");
    EXPECT_EQ(DraftJustifyText("abc", 6), "abc");
    EXPECT_EQ(DraftJustifyText("abc  ", 8), "abc     ");
    EXPECT_EQ(DraftJustifyText("a b", 2), "a b");
    EXPECT_EQ(DraftJustifyText("", 4), "");
}

TEST(DraftText, AccentsByMethod)
{
    const std::string bs = "\x08";
    // "ação", "º" and "Ü" in the system code page; "ñ" is not in the table.
    const std::string word = "a\xE7\xE3o \xBA\xDC\xF1";
    EXPECT_EQ(DraftApplyAccents(word, TRLDraftAccentMethod::amOverwrite, bs), "a,\x08"
                                                                              "c~\x08"
                                                                              "ao _\x08o\xA8\x08U\xF1");
    EXPECT_EQ(DraftApplyAccents(word, TRLDraftAccentMethod::amTakeOut, bs), "acao oU\xF1");
    EXPECT_EQ(DraftApplyAccents(word, TRLDraftAccentMethod::amSustain, bs), word);
    // The backspace is whatever the table's BS command is.
    EXPECT_EQ(DraftApplyAccents("\xE9", TRLDraftAccentMethod::amOverwrite, "<-"), "'<-e");
    EXPECT_EQ(DraftApplyAccents("\xE9", TRLDraftAccentMethod::amOverwrite, ""), "'e");

    // Every letter of the table has its mark and its base letter.
    const std::string letters =
        "\xE1\xE0\xE3\xE2\xE4\xC1\xC0\xC3\xC2\xC4\xE9\xE8\xEA\xEB\xC9\xC8\xCA\xCB\xED\xEC\xEE\xEF"
        "\xCD\xCC\xCE\xCF\xF3\xF2\xF5\xF4\xF6\xD3\xD2\xD5\xD4\xD6\xFA\xF9\xFB\xFC\xDA\xD9\xDB\xDC"
        "\xE7\xC7\xBA\xAA";
    const std::string marks = "'`~^\xA8'`~^\xA8'`^\xA8'`^\xA8'`^\xA8'`^\xA8'`~^\xA8'`~^\xA8'`^\xA8'`^\xA8,,__";
    const std::string bases = "aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUcCoa";
    ASSERT_EQ(letters.size(), 48u);
    std::string overstruck;
    for (size_t i = 0; i < 48; ++i)
        overstruck += std::string(1, marks[i]) + bs + bases[i];
    EXPECT_EQ(DraftApplyAccents(letters, TRLDraftAccentMethod::amOverwrite, bs), overstruck);
    EXPECT_EQ(DraftApplyAccents(letters, TRLDraftAccentMethod::amTakeOut, bs), bases);
}

TEST(DraftText, LineCharactersByMethod)
{
    EXPECT_EQ(DraftHorizontalFrameChar(TRLLineDrawMethod::ldMinusAndPipe, 1), '-');
    EXPECT_EQ(DraftHorizontalFrameChar(TRLLineDrawMethod::ldMinusAndPipe, 2), '=');
    EXPECT_EQ(DraftHorizontalFrameChar(TRLLineDrawMethod::ldGraphicCharset, 0), '\xC4');
    EXPECT_EQ(DraftHorizontalFrameChar(TRLLineDrawMethod::ldGraphicCharset, 3), '\xCD');
    EXPECT_EQ(DraftHorizontalFrameChar(TRLLineDrawMethod::ldNone, 1), ' ');
    EXPECT_EQ(DraftVerticalFrameChar(TRLLineDrawMethod::ldMinusAndPipe, 1), '|');
    EXPECT_EQ(DraftVerticalFrameChar(TRLLineDrawMethod::ldMinusAndPipe, 5), '|');
    EXPECT_EQ(DraftVerticalFrameChar(TRLLineDrawMethod::ldGraphicCharset, 1), '\xB3');
    EXPECT_EQ(DraftVerticalFrameChar(TRLLineDrawMethod::ldGraphicCharset, 2), '\xBA');
    EXPECT_EQ(DraftFillChar(TRLFillArtMethod::fmLetterX), 'x');
    EXPECT_EQ(DraftFillChar(TRLFillArtMethod::fmGraphicCharset), '\xDB');
    EXPECT_EQ(DraftFillChar(TRLFillArtMethod::fmNone), ' ');
}

// ---------------------------------------------------------------------------

TEST(DraftPageList, SortedByTopThenByTheInsertionRule)
{
    TRLDraftPageList list;
    list.Add(text("c", 24, 0));
    list.Add(text("a", 0, 50));
    list.Add(text("b", 12, 0));
    list.Add(text("0", 0, 10)); // same pitch and style, further left: goes before "a"
    EXPECT_EQ(texts(list), "0/a/b/c");
}

TEST(DraftPageList, OtherPitchesAndStylesOnARowKeepTheirOrder)
{
    TRLDraftPageList list;
    list.Add(text("right", 0, 100));
    list.Add(text("left17", 0, 0, 17));                      // other pitch: passed over
    list.Add(text("leftBold", 0, 0, 10, MetaFontStyleBold)); // other style: passed over
    list.Add(text("mid", 0, 50));                            // before "right", its kind
    list.Add(text("left17b", 0, 5, 17));                     // right of "left17": to the end
    list.Add(text("first17", 0, -5, 17));                    // before "left17"
    EXPECT_EQ(texts(list), "mid/right/first17/left17/leftBold/left17b");
}

TEST(DraftPageList, TextsGoBeforeImagesAndImagesBeforeWhatLiesRightOfThem)
{
    TRLDraftPageList list;
    list.Add(image(0, 100));
    list.Add(text("t", 0, 500)); // a text goes before any image on its row
    list.Add(image(0, 50));      // an image goes before anything further right, texts too
    list.Add(image(0, 600));     // and after everything further left
    list.Add(image(0, 0));
    list.Add(text("u", 0, 0)); // a text stops at the first image of its row
    EXPECT_EQ(texts(list), "u/<img>/<img>/t/<img>/<img>");
    std::vector<int> lefts;
    for (const auto &item : list.Items())
        lefts.push_back(item->PinBounds.Left);
    EXPECT_EQ(lefts, (std::vector<int>{0, 0, 50, 500, 100, 600}));
}

// ---------------------------------------------------------------------------

TEST(DraftDither, OrderedTableOnGreyLevels)
{
    std::mt19937 rng(1);
    // Mid grey (128) is white where the table holds at most 128.
    QImage grey(4, 4, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    auto strips = DraftDitherImage(grey, TRLDitheringMethod::dmColorTable, rng);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].Rows, 4);
    // Table rows 0, 192, 48, 240 / 128, 64, 176, 112 / 32, 224, 16, 208 /
    // 160, 96, 144, 80: black where the threshold is above 128.
    // Column bytes: bit 7 is row 0.
    //   col 0: 0,128,32,160  -> row 3 black          -> 0x10
    //   col 1: 192,64,224,96 -> rows 0, 2 black      -> 0xA0
    //   col 2: 48,176,16,144 -> rows 1, 3 black      -> 0x50
    //   col 3: 240,112,208,80-> rows 0, 2 black      -> 0xA0
    EXPECT_EQ(strips[0].Columns, std::string("\x10\xA0\x50\xA0"));

    // Black and white stay black and white, through colour too: g = (R+G+B) div 3.
    QImage bw(2, 1, QImage::Format_RGB32);
    bw.setPixel(0, 0, qRgb(0, 0, 191)); // grey 63: v = 254 - ... = -2 -> black everywhere
    bw.setPixel(1, 0, qRgb(255, 255, 200));
    strips = DraftDitherImage(bw, TRLDitheringMethod::dmColorTable, rng);
    EXPECT_EQ(strips[0].Columns, std::string("\x80\x00", 2));
}

TEST(DraftDither, StripsOfEightRowsTheLastShorter)
{
    std::mt19937 rng(1);
    QImage img(3, 19, QImage::Format_RGB32);
    img.fill(Qt::black);
    const auto strips = DraftDitherImage(img, TRLDitheringMethod::dmColorTable, rng);
    ASSERT_EQ(strips.size(), 3u);
    EXPECT_EQ(strips[0].Rows, 8);
    EXPECT_EQ(strips[1].Rows, 8);
    EXPECT_EQ(strips[2].Rows, 3);
    EXPECT_EQ(strips[0].Columns, std::string(3, '\xFF'));
    EXPECT_EQ(strips[2].Columns, std::string(3, '\xE0')); // rows beyond the strip are white
    EXPECT_TRUE(DraftDitherImage(img, TRLDitheringMethod::dmNone, rng).empty());
    EXPECT_TRUE(DraftDitherImage(QImage(), TRLDitheringMethod::dmColorTable, rng).empty());
}

TEST(DraftDither, RandomThresholdsKeepBlackAndWhiteAndMixGrey)
{
    std::mt19937 rng(7);
    QImage img(64, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixel(x, y, qRgb(0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 32; x < 64; ++x)
            img.setPixel(x, y, qRgb(128, 128, 128));
    const auto strips = DraftDitherImage(img, TRLDitheringMethod::dmErrorDiffusion, rng);
    ASSERT_EQ(strips.size(), 1u);
    const std::string &c = strips[0].Columns;
    EXPECT_EQ(c.substr(0, 16), std::string(16, '\xFF'));
    EXPECT_EQ(c.substr(16, 16), std::string(16, '\0'));
    int black = 0;
    for (int x = 32; x < 64; ++x)
        for (int b = 0; b < 8; ++b)
            black += (static_cast<unsigned char>(c[static_cast<size_t>(x)]) >> b) & 1;
    // Half of 256 dots, give or take what chance allows.
    EXPECT_GT(black, 80);
    EXPECT_LT(black, 176);
}

// ---------------------------------------------------------------------------
// Stored objects into items. Units: no print cut, 1/72 inch down, so 96
// pixels are 120 columns and 72 rows.

class DraftBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        page.SetWidth(816);
        page.SetHeight(1056);
        settings.CPPSelection = TRLCPPSelection::csFixed10CPP;
        builder.SetSettings(settings);
    }
    void rebuild()
    {
        builder.SetSettings(settings);
        list.Clear();
        builder.Build(page, list);
    }
    TRLTextObject *addText(const char *s, TRect bounds, TPoint origin, TRLMetaTextAlignment a, TRLMetaTextFlags flags)
    {
        auto *t = page.NewObject<TRLTextObject>();
        t->SetBoundsRect(bounds);
        t->SetOrigin(origin);
        t->SetText(s);
        t->SetAlignment(a);
        t->SetTextFlags(flags);
        t->Font().SetName(QStringLiteral("Courier New"));
        t->Font().SetSize(10);
        return t;
    }
    const TDraftText &textAt(int i) const
    {
        return static_cast<const TDraftText &>(*list.Items().at(static_cast<size_t>(i)));
    }

    VerticalUnit unit{12};
    TRLGraphicSurface page;
    TRLDraftPageSettings settings;
    TRLDraftPageBuilder builder;
    TRLDraftPageList list;
};

TEST_F(DraftBuild, TextsAreCutToTheirBoundsAndPlacedByAlignment)
{
    // Bounds 96 pixels wide = 120 columns = 10 characters at 10 cpi; n = 11.
    const TRect b{96, 96, 192, 112};
    addText("0123456789ABCDEF", b, {96, 96}, MetaTextAlignmentLeft, 0);
    addText("0123456789ABCDEF", TRect{96, 192, 192, 208}, {100, 192}, MetaTextAlignmentRight, 0);
    addText("0123456789ABCDEF", TRect{96, 288, 192, 304}, {100, 288}, MetaTextAlignmentCenter, 0);
    addText("short", TRect{96, 384, 192, 400}, {100, 384}, MetaTextAlignmentCenter, 0);
    addText("0123456789ABCDEF", TRect{96, 480, 192, 496}, {100, 480}, MetaTextAlignmentLeft, MetaTextFlagAutoSize);
    addText("a b", TRect{96, 576, 192, 592}, {96, 576}, MetaTextAlignmentJustify, 0);
    rebuild();
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(textAt(0).Text, "0123456789A");
    EXPECT_EQ(textAt(0).PinBounds, (TRect{120, 72, 252, 84}));
    EXPECT_EQ(textAt(1).Text, "56789ABCDEF");
    EXPECT_EQ(textAt(1).PinBounds.Left, 240 - 132); // right edge minus the width
    EXPECT_EQ(textAt(1).PinBounds.Top, 144);
    EXPECT_EQ(textAt(2).Text, "123456789AB"); // from position (16 - 11) div 2 = 2
    EXPECT_EQ(textAt(2).PinBounds.Left, (120 + 240 - 132) / 2);
    EXPECT_EQ(textAt(3).Text, "short");
    EXPECT_EQ(textAt(3).PinBounds.Left, (120 + 240 - 60) / 2);
    EXPECT_EQ(textAt(4).Text, "0123456789ABCDEF");              // drawn unclipped: not cut
    EXPECT_EQ(textAt(4).PinBounds.Left, 125);                   // origin, not bounds
    EXPECT_EQ(textAt(5).Text, "a" + std::string(9, ' ') + "b"); // widened to 11
    EXPECT_EQ(textAt(5).PinBounds.Right, 120 + 132);
}

TEST_F(DraftBuild, TextsCarryPitchStyleAndMacros)
{
    auto *t = addText("{Who} was here", TRect{0, 0, 800, 16}, {0, 0}, MetaTextAlignmentLeft, MetaTextFlagAutoSize);
    t->Font().SetStyle(MetaFontStyleBold | MetaFontStyleUnderline);
    page.Macros().SetValue("Who", "Kilroy");
    settings.CPPSelection = TRLCPPSelection::csFixed17CPP;
    rebuild();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(textAt(0).Text, "Kilroy was here");
    EXPECT_EQ(textAt(0).CPP, 17);
    EXPECT_EQ(textAt(0).Style, MetaFontStyleBold | MetaFontStyleUnderline);
    EXPECT_EQ(textAt(0).PinBounds.Right, 15 * 7);
    EXPECT_EQ(textAt(0).PinBounds.Bottom, 12);
}

TEST_F(DraftBuild, DarkSolidFramesBecomeLineCharacters)
{
    // 0..96 across (10 columns of 12), 32..96 down (rows 24..72: 4 lines).
    auto *r = page.NewObject<TRLRectangleObject>();
    r->SetBoundsRect(TRect{0, 32, 96, 96});
    r->Pen().SetWidth(1);
    rebuild();
    // Edges: top and bottom half a line up, sides half a character left,
    // one side character per line at every (96 - 32) / 4 = 16 pixels.
    std::vector<std::tuple<std::string, int, int>> got;
    for (const auto &item : list.Items())
        got.emplace_back(static_cast<const TDraftText &>(*item).Text, item->PinBounds.Top, item->PinBounds.Left);
    const std::vector<std::tuple<std::string, int, int>> want = {
        {"----------", 18, 0}, {"|", 24, -6},  {"|", 24, 114}, {"|", 36, -6},  {"|", 36, 114},
        {"|", 48, -6},         {"|", 48, 114}, {"|", 60, -6},  {"|", 60, 114}, {"----------", 66, 0},
    };
    EXPECT_EQ(got, want);

    settings.LineDrawMethod = TRLLineDrawMethod::ldGraphicCharset;
    r->Pen().SetWidth(2);
    rebuild();
    EXPECT_EQ(textAt(0).Text, std::string(10, '\xCD'));
    EXPECT_EQ(textAt(1).Text, "\xBA");
}

TEST_F(DraftBuild, ThinFramesHaveOnlyTheEdgesThatFit)
{
    // One line high: a top edge only, and one pair of sides.
    auto *r = page.NewObject<TRLRectangleObject>();
    r->SetBoundsRect(TRect{0, 0, 96, 16});
    rebuild();
    EXPECT_EQ(texts(list), "----------/|/|");
    // One column wide: a single side.
    r->SetBoundsRect(TRect{0, 0, 12, 48});
    rebuild();
    EXPECT_EQ(texts(list), "-/|/|/|/-");
}

TEST_F(DraftBuild, LightDashedOrUnwantedFramesAreLeftOut)
{
    auto *r = page.NewObject<TRLRectangleObject>();
    r->SetBoundsRect(TRect{0, 0, 96, 96});
    r->Pen().SetColor(TRLMetaColor{128, 128, 128}); // (R+G+B)/3 = 128 > 127
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    r->Pen().SetColor(TRLMetaColor{127, 127, 128}); // 127.33 > 127
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    r->Pen().SetColor(TRLMetaColor{127, 127, 127});
    rebuild();
    EXPECT_GT(list.Count(), 0);
    r->Pen().SetStyle(MetaPenStyleDash);
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    r->Pen().SetStyle(MetaPenStyleSolid);
    settings.LineDrawMethod = TRLLineDrawMethod::ldNone;
    rebuild();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DraftBuild, DarkBarsBecomeFillCharacters)
{
    settings.FillArtMethod = TRLFillArtMethod::fmLetterX;
    auto *bar = page.NewObject<TRLFillRectObject>();
    bar->SetBoundsRect(TRect{0, 16, 48, 24}); // 5 columns, row 12
    rebuild();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(textAt(0).Text, "xxxxx");
    EXPECT_EQ(textAt(0).PinBounds.Top, 6);
    EXPECT_EQ(textAt(0).PinBounds.Left, 0);

    // Narrower than a character: a vertical bar of one character per line.
    bar->SetBoundsRect(TRect{0, 16, 8, 64}); // rows 12..48: 3 lines, 16 pixels apart
    settings.FillArtMethod = TRLFillArtMethod::fmGraphicCharset;
    rebuild();
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(textAt(i).Text, "\xDB");
        EXPECT_EQ(textAt(i).PinBounds.Top, 12 + 12 * i);
        EXPECT_EQ(textAt(i).PinBounds.Left, -6);
    }

    bar->Brush().SetColor(TRLMetaColor{200, 200, 200});
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    bar->Brush().SetColor(TRLMetaColor{});
    bar->Brush().SetStyle(MetaBrushStyleClear);
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    bar->Brush().SetStyle(MetaBrushStyleSolid);
    settings.FillArtMethod = TRLFillArtMethod::fmNone;
    rebuild();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DraftBuild, PicturesBecomeStripsOfDots)
{
    // An 8 × 16 picture with a black diagonal in each half, in bounds that
    // make exactly 8 × 16 dots: round(1.26 × 6) = 8, round(0.72 × 22) = 16.
    auto *pic = page.NewObject<TRLImageObject>();
    pic->SetBoundsRect(TRect{96, 96, 102, 118});
    pic->SetData(test::twoStripPicture());
    rebuild();
    ASSERT_EQ(list.Count(), 2);
    const auto &a = static_cast<const TDraftImage &>(*list.Items()[0]);
    const auto &b = static_cast<const TDraftImage &>(*list.Items()[1]);
    EXPECT_EQ(a.Columns, std::string("\x80\x40\x20\x10\x08\x04\x02\x01"));
    EXPECT_EQ(b.Columns, std::string("\x01\x02\x04\x08\x10\x20\x40\x80"));
    EXPECT_EQ(a.PinBounds, (TRect{120, 72, 127, 80}));
    EXPECT_EQ(b.PinBounds, (TRect{120, 80, 127, 88}));

    settings.DitheringMethod = TRLDitheringMethod::dmNone;
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    settings.DitheringMethod = TRLDitheringMethod::dmColorTable;
    pic->SetData("NIL");
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    pic->SetData("BMPnot a bitmap");
    rebuild();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DraftBuild, OtherKindsHaveNoDraftForm)
{
    page.LineTo(500, 500);
    page.Ellipse(0, 0, 50, 50);
    const TPoint pts[] = {{0, 0}, {10, 0}, {10, 10}};
    page.Polygon(pts);
    page.Polyline(pts);
    page.SetClipRect(TRect{0, 0, 10, 10});
    page.ResetClipRect();
    page.NewObject<TRLPixelObject>();
    rebuild();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(DraftBuild, DamagedExtremeBoundsStayBounded)
{
    // Pages read from a damaged file may carry any coordinates: the items
    // they make stay few and small, and nothing overflows.
    auto *r = page.NewObject<TRLRectangleObject>();
    r->SetBoundsRect(TRect{0, 0, 96, 2000000000});
    rebuild();
    EXPECT_LE(list.Count(), 2 * 65536 + 2);
    r->SetBoundsRect(TRect{-2000000000, -2000000000, 2000000000, 2000000000});
    rebuild();
    EXPECT_LE(list.Count(), 2 * 65536 + 2);
    page.DeleteObject(r);

    settings.FillArtMethod = TRLFillArtMethod::fmLetterX;
    auto *bar = page.NewObject<TRLFillRectObject>();
    bar->SetBoundsRect(TRect{0, -2000000000, 1, 2000000000});
    rebuild();
    EXPECT_GT(list.Count(), 0);
    EXPECT_LE(list.Count(), 65536);
    page.DeleteObject(bar);

    addText("a b", TRect{-2000000000, 0, 2000000000, 16}, {0, 0}, MetaTextAlignmentJustify, 0);
    rebuild();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_LE(textAt(0).Text.size(), 65537u);
    EXPECT_EQ(textAt(0).Text.front(), 'a');
    EXPECT_EQ(textAt(0).Text.back(), 'b');
}

TEST_F(DraftBuild, ItemsBeyondTheSheetAreLeftOut)
{
    // The sheet is 816 × 1056 pixels: 1020 columns and 792 rows.
    const TRLMetaTextAlignment left = MetaTextAlignmentLeft;
    addText("inside", TRect{800, 1000, 900, 1016}, {800, 1000}, left, MetaTextFlagAutoSize);
    addText("right of it", TRect{816, 10, 900, 26}, {816, 10}, left, MetaTextFlagAutoSize);
    addText("below it", TRect{10, 1056, 100, 1072}, {10, 1056}, left, MetaTextFlagAutoSize);
    addText("far off", TRect{10, 2000000000, 100, 2000000016}, {10, 2000000000}, left, MetaTextFlagAutoSize);
    rebuild();
    EXPECT_EQ(texts(list), "inside");
    // A page that does not say its size, or says an absurd one, keeps what
    // fits on the longest sheet there is (65,536 lines of 1/6 inch), and no
    // more: the far-off text would have fed paper without end.
    for (const int size : {0, 2147483647}) {
        page.SetWidth(size);
        page.SetHeight(size);
        rebuild();
        EXPECT_EQ(texts(list), "right of it/inside/below it") << size; // sorted top to bottom
    }
    addText("last line", TRect{10, 65535 * 16, 100, 65536 * 16}, {10, 65535 * 16}, left, MetaTextFlagAutoSize);
    rebuild();
    EXPECT_EQ(list.Count(), 4);
}

TEST_F(DraftBuild, PicturesWiderThanABitImageAreLeftOut)
{
    // 52,013 pixels make 65,536 dot columns, one more than the command holds.
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::black);
    TBitmap bmp;
    bmp.SetImage(img);
    auto *pic = page.NewObject<TRLImageObject>();
    pic->SetData(ToMetaGraphic(&bmp));
    pic->SetBoundsRect(TRect{0, 0, 52013, 8});
    rebuild();
    EXPECT_EQ(list.Count(), 0);
    pic->SetBoundsRect(TRect{0, 0, 52012, 8}); // 65,535 columns
    rebuild();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(static_cast<const TDraftImage &>(*list.Items()[0]).Columns.size(), 65535u);
}
