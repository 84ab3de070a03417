// Painting stored pages onto a canvas: scaling and rounding, minimum sizes,
// text placement, justification, pictures with parity, wide dashed lines,
// clipping, and fonts on a 600-dpi device.

#include "platform/graphics/canvas.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLCanvasRoutines.h"
#include "report/storage/RLMetaConversions.h"

#include "metafile_helpers.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace prenso;

namespace {

QImage page(int w, int h, int dpi = 96)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    const int dpm = qRound(dpi / 0.0254);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    return img;
}

bool isColor(const QImage &img, int x, int y, QRgb c)
{
    return (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
}

// Columns [first, last] of row y holding colour c, or (-1, -1).
std::pair<int, int> span(const QImage &img, int y, QRgb c)
{
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        if (isColor(img, x, y, c)) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

} // namespace

TEST(Painting, ZeroSizedPagesPaintUnscaled)
{
    TRLGraphicSurface s; // 0 × 0
    s.Brush().Color = clRed;
    s.FillRect({10, 10, 20, 20});
    QImage img = page(100, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 50, 50});
    }
    EXPECT_TRUE(isColor(img, 10, 10, 0xFF0000));
    EXPECT_TRUE(isColor(img, 19, 19, 0xFF0000));
    EXPECT_FALSE(isColor(img, 20, 20, 0xFF0000));
}

TEST(Painting, PixelsAndRectanglesKeepOnePixelFillsAndEllipsesDoNot)
{
    TRLGraphicSurface s;
    s.SetWidth(1000);
    s.SetHeight(1000);
    auto *px = s.NewObject<TRLPixelObject>();
    px->SetBoundsRect({100, 100, 101, 101});
    px->SetColor({255, 0, 0});
    auto *fr = s.NewObject<TRLFillRectObject>();
    fr->SetBoundsRect({500, 500, 501, 501});
    fr->Brush().SetColor({0, 0, 255});
    QImage img = page(100, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 100, 100}); // factor 0.1: both become zero-sized
    }
    EXPECT_TRUE(isColor(img, 10, 10, 0xFF0000));
    EXPECT_FALSE(isColor(img, 50, 50, 0x0000FF));
}

TEST(Painting, CoordinatesRoundHalvesToEven)
{
    TRLGraphicSurface s;
    s.SetWidth(200);
    s.SetHeight(200);
    auto *a = s.NewObject<TRLFillRectObject>();
    a->SetBoundsRect({5, 0, 9, 2}); // 2.5 .. 4.5 -> 2 .. 4
    a->Brush().SetColor({255, 0, 0});
    auto *b = s.NewObject<TRLFillRectObject>();
    b->SetBoundsRect({7, 4, 11, 6}); // 3.5 .. 5.5 -> 4 .. 6
    b->Brush().SetColor({0, 0, 255});
    QImage img = page(100, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 100, 100});
    }
    EXPECT_EQ(span(img, 0, 0xFF0000), std::make_pair(2, 3));
    EXPECT_EQ(span(img, 2, 0x0000FF), std::make_pair(4, 5));
}

TEST(Painting, RectanglesCoverTheirBoundsAndNoMore)
{
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(100);
    s.Brush().Color = clRed;
    s.Rectangle(10, 10, 20, 20);
    QImage img = page(100, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 100, 100});
    }
    EXPECT_EQ(span(img, 10, 0x000000), std::make_pair(10, 19)); // top edge
    EXPECT_EQ(span(img, 15, 0xFF0000), std::make_pair(11, 18)); // inside
    EXPECT_TRUE(isColor(img, 19, 15, 0x000000));
    EXPECT_TRUE(isColor(img, 20, 15, 0xFFFFFF));
}

TEST(Painting, TextStartsHalfASpaceInAndRightAlignedTextEndsBeforeAHalfSpace)
{
    // A solid brush paints the text cell, so the cell shows where it was put.
    TRLGraphicSurface s;
    s.SetWidth(300);
    s.SetHeight(100);
    s.Font().SetName(QStringLiteral("Courier New"));
    s.Font().SetSize(10); // 8-pixel characters, half a space = 4
    s.Brush().Color = clRed;
    s.TextRectEx({50, 10, 250, 30}, 50, 10, "abc", MetaTextAlignmentLeft, MetaTextLayoutTop, MetaTextFlagAutoSize);
    s.TextRectEx({50, 40, 250, 60}, 50, 40, "abc", MetaTextAlignmentRight, MetaTextLayoutTop, MetaTextFlagAutoSize);
    s.TextRectEx({50, 70, 250, 90}, 50, 70, "abc", MetaTextAlignmentCenter, MetaTextLayoutTop, MetaTextFlagAutoSize);
    QImage img = page(300, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 300, 100});
    }
    EXPECT_EQ(span(img, 11, 0xFF0000).first, 54);
    // right: 250 - width("abc ") + 4 = 250 - 32 + 4 = 222, three characters wide
    EXPECT_EQ(span(img, 41, 0xFF0000).first, 222);
    EXPECT_EQ(span(img, 41, 0xFF0000).second, 245);
    // centre: (50 + 250 - 32) div 2 + 4 = 138
    EXPECT_EQ(span(img, 71, 0xFF0000).first, 138);
}

TEST(Painting, AutoSizedTextRunsPastItsBoundsOthersAreClipped)
{
    TRLGraphicSurface s;
    s.SetWidth(300);
    s.SetHeight(100);
    s.Font().SetName(QStringLiteral("Courier New"));
    s.Font().SetSize(10);
    s.Brush().Style = TBrushStyle::bsClear;
    s.TextRectEx({0, 0, 20, 20}, 0, 0, "WWWWWWWWWW", 1, 1, MetaTextFlagAutoSize);
    s.TextRectEx({0, 50, 20, 70}, 0, 50, "WWWWWWWWWW", 1, 1, 0);
    QImage img = page(300, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 300, 100});
    }
    auto inkRight = [&](int top, int bottom) {
        int right = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    right = std::max(right, x);
        return right;
    };
    EXPECT_GT(inkRight(0, 20), 60);
    EXPECT_LT(inkRight(50, 70), 20);
    EXPECT_GT(inkRight(50, 70), 0);
}

namespace {

// The insertion loop as its users know it, one space at a time.
std::string justifySlowly(const TCanvas &c, std::string s, int maxWidth)
{
    auto sep = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; };
    long i = static_cast<long>(s.size());
    bool restarted = false;
    while (c.TextWidth(s + " ") <= maxWidth) {
        while (i > 0 && sep(s[i - 1]))
            --i;
        while (i > 0 && !sep(s[i - 1]))
            --i;
        if (i == 0) {
            if (restarted)
                break;
            restarted = true;
            i = static_cast<long>(s.size());
            continue;
        }
        restarted = false;
        while (i > 0 && sep(s[i - 1]))
            --i;
        s.insert(static_cast<size_t>(i), " ");
    }
    return s;
}

} // namespace

TEST(Painting, JustificationFillsGapsFromTheRight)
{
    TCanvas &c = MeasureCanvas();
    c.Font().SetName(QStringLiteral("Courier New"));
    c.Font().SetSize(10);
    EXPECT_EQ(CanvasJustifyText(c, "ab", 200), "ab") << "no gap: unchanged";
    // 8 px a character: a space goes in while the text plus one space fits
    EXPECT_EQ(CanvasJustifyText(c, "a b", 31), "a b");
    EXPECT_EQ(CanvasJustifyText(c, "a b", 32), "a  b");
    EXPECT_EQ(CanvasJustifyText(c, "a b", 48), "a    b") << "the text now fills the room";
    EXPECT_EQ(CanvasJustifyText(c, "a b c", 50), "a b  c") << "the rightmost gap first";
    EXPECT_EQ(CanvasJustifyText(c, "a b c", 56), "a  b  c");
    EXPECT_EQ(CanvasJustifyText(c, "a b c", 64), "a  b   c");
    for (const char *text : {"a b c", "x  y\tz", " lead in", "trail ", "one", "a b c d e f", "\t\ta b  "})
        for (int w : {0, 40, 97, 160, 333})
            EXPECT_EQ(CanvasJustifyText(c, text, w), justifySlowly(c, text, w)) << text << " in " << w;
    // a page claiming an enormous rectangle does not get an enormous line
    EXPECT_LE(CanvasJustifyText(c, "a b", 2000000000).size(), 70000u);
}

TEST(Painting, ParityMakesPicturesAWholeMultipleWidePlusOne)
{
    TRLGraphicSurface s;
    s.SetWidth(200);
    s.SetHeight(100);
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBytes(test::redBitmapBytes(30, 10)));
    s.StretchDraw({10, 10, 110, 20}, &bmp, true);
    s.StretchDraw({10, 30, 110, 40}, &bmp, false);
    QImage img = page(200, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 200, 100});
    }
    const auto withParity = span(img, 15, 0xFF0000);
    EXPECT_EQ(withParity.second - withParity.first + 1, 91);
    const auto without = span(img, 35, 0xFF0000);
    EXPECT_EQ(without.second - without.first + 1, 100);
}

TEST(Painting, AZeroWidthPictureIsNotDividedBy)
{
    QImage img = page(10, 10);
    TCanvas c(&img);
    CanvasStretchDraw(c, {0, 0, 10, 10}, "BMPgarbage", true);
    CanvasStretchDraw(c, {0, 0, 10, 10}, "NIL", true);
    CanvasStretchDraw(c, {0, 0, 10, 10}, "", true);
    TBitmap empty;
    CanvasStretchDraw(c, {0, 0, 10, 10}, ToMetaGraphic(&empty), true);
    EXPECT_TRUE(isColor(img, 5, 5, 0xFFFFFF)) << "nothing drawn";
}

TEST(Painting, WideDashedPensDrawLongDashesAlongTheSegment)
{
    QImage img = page(200, 200);
    TCanvas c(&img);
    c.Brush().Style = TBrushStyle::bsClear;
    c.Pen().Width = 2;
    c.Pen().Style = TPenStyle::psDash;
    c.MoveTo(0, 50);
    CanvasLineToEx(c, 100, 50);
    // 3 × 8 on, 1 × 8 off, starting with a dash (the round ends of a wide
    // pen reach one pixel into each gap)
    for (int x = 0; x < 100; ++x) {
        if (x % 32 >= 2 && x % 32 <= 21) {
            EXPECT_LT(qGray(img.pixel(x, 50)), 128) << "x=" << x;
        }
        if (x % 32 >= 26 && x % 32 <= 29) {
            EXPECT_GT(qGray(img.pixel(x, 50)), 128) << "x=" << x;
        }
    }
    EXPECT_EQ(c.Pen().Style, TPenStyle::psDash) << "style restored";
    EXPECT_EQ(c.Pen().Width, 2);

    // right to left: the dashes start at the start point
    c.MoveTo(150, 100);
    CanvasLineToEx(c, 50, 100);
    EXPECT_LT(qGray(img.pixel(140, 100)), 128);
    EXPECT_GT(qGray(img.pixel(120, 100)), 128); // 150 - 24 .. 150 - 32 is a gap

    // diagonal: every inked pixel lies near the segment
    c.MoveTo(10, 110);
    CanvasLineToEx(c, 90, 190);
    for (int y = 105; y < 200; ++y)
        for (int x = 0; x < 100; ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                EXPECT_LE(std::abs((x - 10) - (y - 110)), 3) << x << "," << y;
            }
}

TEST(Painting, OnePixelDashedPensUseTheCanvasDashes)
{
    QImage img = page(100, 20);
    TCanvas c(&img);
    c.Brush().Style = TBrushStyle::bsClear;
    c.Pen().Style = TPenStyle::psDash;
    c.Pen().Width = 1;
    c.MoveTo(0, 5);
    CanvasLineToEx(c, 100, 5);
    EXPECT_LT(qGray(img.pixel(0, 5)), 128);
    EXPECT_LT(qGray(img.pixel(17, 5)), 128);
    EXPECT_GT(qGray(img.pixel(19, 5)), 128);
    EXPECT_LT(qGray(img.pixel(25, 5)), 128);
}

TEST(Painting, DashesOfAHugeLineAreOnlyWalkedWhereVisible)
{
    // A damaged page may ask for a line billions of pixels long; painting it
    // must not take forever.
    QImage img = page(50, 50);
    TCanvas c(&img);
    c.Pen().Width = 2;
    c.Pen().Style = TPenStyle::psDot;
    c.MoveTo(-2000000000, 10);
    CanvasLineToEx(c, 2000000000, 10);
    EXPECT_LT(qGray(img.pixel(4, 10)), 128);
}

// A target rectangle wider than the int range: the scale is worked out in
// doubles, so the page still lands where the rectangle says, on the screen
// and on the printer alike.
TEST(Painting, TargetWiderThanTheIntRange)
{
    TRLGraphicSurface s;
    s.SetWidth(2147483000);
    s.SetHeight(100);
    s.Brush().Color = clRed;
    s.FillRect({1073741500, 10, 1073741550, 20}); // the middle of the page: x 0 to 100 on the device
    for (const TRLPaintOptions options : {TRLPaintOptions{}, kPrinterPaintOptions}) {
        QImage img = page(200, 50);
        {
            TCanvas c(&img);
            TRLCanvasPainter(c, options).Paint(s, {-2147483000, 0, 2147483000, 100});
        }
        EXPECT_TRUE(isColor(img, 50, 15, 0xFF0000));
        EXPECT_EQ(span(img, 15, 0xFF0000), std::make_pair(0, 99));
    }
}

TEST(Painting, AZeroWidthClipRectangleRemovesClipping)
{
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(100);
    s.SetClipRect({0, 0, 10, 10});
    s.Brush().Color = clRed;
    s.FillRect({20, 20, 30, 30}); // clipped away
    s.ResetClipRect();
    s.SetClipRect({0, 0, 0, 50});
    s.FillRect({40, 40, 50, 50}); // not clipped at all
    s.ResetClipRect();
    QImage img = page(100, 100);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 100, 100});
        EXPECT_FALSE(c.Clipped()) << "painting leaves no clip behind";
    }
    EXPECT_FALSE(isColor(img, 25, 25, 0xFF0000));
    EXPECT_TRUE(isColor(img, 45, 45, 0xFF0000));
}

// Clipping as the screen and the printer paint it: the printer's one-pixel
// minimum for boxes must not turn a clip without width or height (which
// means no clipping) into a one-pixel window that hides the page.
TEST(Painting, ClipsOnScreenAndPrinterAlike)
{
    struct Case {
        const char *name;
        TRect clip;
        bool insideShows, outsideShows; // a fill inside the clip, one outside it
    };
    const Case cases[] = {
        {"ordinary clip", {10, 10, 30, 30}, true, false},
        {"zero width", {10, 10, 10, 30}, true, true},
        {"zero height", {10, 10, 30, 10}, true, true},
        {"zero size at the origin", {0, 0, 0, 0}, true, true},
    };
    const struct {
        const char *name;
        TRLPaintOptions options;
    } devices[] = {{"screen", TRLPaintOptions{}}, {"printer", kPrinterPaintOptions}};
    for (const auto &device : devices)
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(device.name) + ", " + c.name);
            TRLGraphicSurface s;
            s.SetWidth(100);
            s.SetHeight(100);
            s.Brush().Color = clRed;
            s.SetClipRect(c.clip);
            s.FillRect({12, 12, 16, 16});
            s.FillRect({60, 60, 70, 70});
            s.SetClipRect({50, 0, 100, 100}); // nested: replaces, then gives back the outer clip
            s.FillRect({80, 80, 90, 90});
            s.ResetClipRect();
            s.FillRect({40, 80, 45, 85});
            s.ResetClipRect();
            s.FillRect({95, 5, 99, 9}); // after the last reset: the page's own clip only
            QImage img = page(200, 200);
            {
                TCanvas canvas(&img);
                TRLCanvasPainter(canvas, device.options).Paint(s, {0, 0, 200, 200});
                EXPECT_FALSE(canvas.Clipped());
            }
            EXPECT_EQ(isColor(img, 28, 28, 0xFF0000), c.insideShows);
            EXPECT_EQ(isColor(img, 130, 130, 0xFF0000), c.outsideShows);
            EXPECT_TRUE(isColor(img, 170, 170, 0xFF0000));
            EXPECT_EQ(isColor(img, 84, 164, 0xFF0000), c.outsideShows) << "the outer clip is back";
            EXPECT_TRUE(isColor(img, 194, 14, 0xFF0000));
        }
}

TEST(Painting, AResetWithoutASetGoesBackToThePageClip)
{
    // A hand-made or damaged page can hold a reset-clip object on its own.
    TRLGraphicSurface s;
    s.SetWidth(100);
    s.SetHeight(100);
    s.NewObject<TRLResetClipRectObject>();
    auto *f = s.NewObject<TRLFillRectObject>();
    f->SetBoundsRect({0, 0, 200, 200});
    f->Brush().SetColor({255, 0, 0});
    QImage img = page(100, 100);
    TCanvas c(&img);
    TRLCanvasPainter(c).Paint(s, {10, 10, 60, 60});
    EXPECT_TRUE(isColor(img, 50, 50, 0xFF0000));
    EXPECT_FALSE(isColor(img, 70, 70, 0xFF0000)) << "still clipped to the painted rectangle";
}

namespace {
struct FailingObject : TRLGraphicObject {
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Pixel; }
    void Accept(TRLGraphicVisitor &) const override { throw Exception(QStringLiteral("boom")); }
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override
    {
        return std::make_unique<FailingObject>(s);
    }
};
} // namespace

// Painting reads the page only: a page still being recorded (a preview of
// the page in progress) keeps its open clips, so that recording goes on
// where it was, whether the painting succeeds or fails.
TEST(Painting, PaintingLeavesTheCanvasUnclippedAndTheRecordingAsItWas)
{
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "an object fails" : "every object paints");
        TRLGraphicSurface s;
        s.SetWidth(10);
        s.SetHeight(10);
        s.SetClipRect({0, 0, 5, 5});
        s.FillRect({1, 1, 3, 3});
        if (failing)
            s.AdoptObject(std::make_unique<FailingObject>(&s));
        QImage img = page(10, 10);
        TCanvas c(&img);
        if (failing)
            EXPECT_THROW(TRLCanvasPainter(c).Paint(s, {0, 0, 10, 10}), Exception);
        else
            TRLCanvasPainter(c).Paint(s, {0, 0, 10, 10});
        EXPECT_FALSE(c.Clipped());
        EXPECT_EQ(s.ClipRect(), (TRect{0, 0, 5, 5}));
        EXPECT_NO_THROW(s.ResetClipRect());
        EXPECT_EQ(s.ClipRect(), (TRect{0, 0, 10, 10}));
    }
}

// One painter for many pages (the printer's, page after page): each page
// starts with its own scale and no clip left over from the page before,
// even when that page was cut short or left a clip open.
TEST(Painting, OnePainterPaintsPageAfterPage)
{
    TRLGraphicSurface open; // a clip set and never reset
    open.SetWidth(100);
    open.SetHeight(100);
    open.SetClipRect({0, 0, 10, 10});
    open.Brush().Color = clBlue;
    open.FillRect({0, 0, 100, 100});
    TRLGraphicSurface failing;
    failing.SetWidth(100);
    failing.SetHeight(100);
    failing.SetClipRect({0, 0, 10, 10});
    failing.AdoptObject(std::make_unique<FailingObject>(&failing));
    TRLGraphicSurface half; // half the size: twice the scale
    half.SetWidth(50);
    half.SetHeight(50);
    half.NewObject<TRLResetClipRectObject>(); // back to this page's own rectangle
    half.Brush().Color = clRed;
    half.FillRect({25, 25, 50, 50});

    QImage img = page(100, 100);
    TCanvas c(&img);
    TRLCanvasPainter painter(c);
    painter.Paint(open, {0, 0, 50, 50});
    EXPECT_THROW(painter.Paint(failing, {0, 0, 50, 50}), Exception);
    painter.Paint(half, {0, 0, 100, 100});
    EXPECT_TRUE(isColor(img, 2, 2, 0x0000FF));
    EXPECT_FALSE(isColor(img, 20, 20, 0x0000FF)) << "the open clip held on its own page";
    EXPECT_EQ(span(img, 75, 0xFF0000), std::make_pair(50, 99)) << "scaled and unclipped";
}

TEST(Painting, FontsKeepTheirPointSizeOnA600DpiDevice)
{
    QImage img = page(100, 100, 600);
    TCanvas c(&img);
    EXPECT_EQ(c.PixelsPerInch(), 600);
    TRLGraphicSurface s;
    s.Font().SetName(QStringLiteral("Courier New"));
    s.Font().SetSize(10);
    s.TextOut(0, 0, "x");
    const TRLMetaFont &f = static_cast<TRLTextObject *>(s.Objects(0))->Font();
    FromMetaFont(f, c.Font(), 6.25);
    EXPECT_EQ(c.Font().Size(), 10);
    EXPECT_EQ(c.Font().Height(), -83);
    EXPECT_EQ(c.TextWidth(std::string_view("x")), 50); // 0.6 em of 83 pixels

    QImage screen = page(10, 10);
    TCanvas sc(&screen);
    FromMetaFont(f, sc.Font(), 2.0);
    EXPECT_EQ(sc.Font().Size(), 20);
}

TEST(Painting, PageScaledToA600DpiSheet)
{
    TRLGraphicSurface s;
    s.SetWidth(96);
    s.SetHeight(96);
    s.Brush().Color = clBlue;
    s.FillRect({48, 48, 96, 96});
    QImage img = page(600, 600, 600);
    {
        TCanvas c(&img);
        TRLCanvasPainter(c).Paint(s, {0, 0, 600, 600});
    }
    EXPECT_EQ(span(img, 400, 0x0000FF), std::make_pair(300, 599));
}

TEST(Painting, XorPenModeUndoesItself)
{
    TRLGraphicSurface s;
    s.SetWidth(50);
    s.SetHeight(50);
    s.Pen().Mode = TPenMode::pmXor;
    s.Pen().Color = clWhite;
    s.Brush().Color = clWhite;
    s.Rectangle(5, 5, 20, 20);
    QImage img = page(50, 50);
    TCanvas c(&img);
    TRLCanvasPainter(c).Paint(s, {0, 0, 50, 50});
    EXPECT_TRUE(isColor(img, 10, 10, 0x000000));
    TRLCanvasPainter(c).Paint(s, {0, 0, 50, 50});
    EXPECT_TRUE(isColor(img, 10, 10, 0xFFFFFF));
}
