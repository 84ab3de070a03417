// The canvas and its value types: fonts by size and height, the stand-in
// faces for the office fonts, measuring equals drawing, pictures that keep
// their bytes, outline metrics, rounding.

#include "platform/graphics/canvas.h"
#include "platform/graphics/fontmetrics.h"
#include "platform/graphics/pictures.h"
#include "platform/graphics/valuetypes.h"
#include "platform/io/streams.h"
#include "report/storage/RLMetaConversions.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QRawFont>
#include <gtest/gtest.h>

#include <limits>

using namespace prenso;

TEST(Rounding, HalvesGoToEvenAndNothingOverflows)
{
    EXPECT_EQ(RoundCoord(2.5), 2);
    EXPECT_EQ(RoundCoord(3.5), 4);
    EXPECT_EQ(RoundCoord(-2.5), -2);
    EXPECT_EQ(RoundCoord(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundCoord(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundCoord(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(SatAdd(std::numeric_limits<int>::max(), 5), std::numeric_limits<int>::max());
    EXPECT_EQ(MulDiv(10, 96, 72), 13);
    EXPECT_EQ(MulDiv(-13, 72, 96), -10);
    EXPECT_EQ(MulDiv(3, 1, 2), 2); // the platform's MulDiv rounds halves away from zero
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
}

TEST(Colors, RgbAndSystemColours)
{
    EXPECT_EQ(RGBColor(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_GE(ColorToRGB(clWindow), 0);
    EXPECT_EQ(ColorToRGB(clWindow) & ~0xFFFFFF, 0);
    const TRLMetaColor c = ToMetaColor(RGBColor(10, 20, 30));
    EXPECT_EQ(c, (TRLMetaColor{10, 20, 30}));
    EXPECT_EQ(FromMetaColor(c), RGBColor(10, 20, 30));
}

TEST(Fonts, SizeAndHeightAreTiedByPixelsPerInch)
{
    TFont f;
    EXPECT_EQ(f.PixelsPerInch(), 96);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    f.SetPixelsPerInch(600);
    EXPECT_EQ(f.Height(), -13) << "changing the resolution keeps the height";
    EXPECT_EQ(f.Size(), 2);

    TFont printer;
    printer.SetPixelsPerInch(600);
    TFont screen;
    screen.SetSize(12);
    screen.SetName(QStringLiteral("Courier New"));
    screen.SetStyle(fsBold);
    printer.Assign(screen);
    EXPECT_EQ(printer.PixelsPerInch(), 600);
    EXPECT_EQ(printer.Size(), 12);
    EXPECT_EQ(printer.Height(), -100);
    EXPECT_EQ(printer.Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(printer.Style(), fsBold);
}

TEST(Fonts, OfficeNamesResolveToMetricCompatibleFaces)
{
    TFont f;
    f.SetName(QStringLiteral("Courier New"));
    f.SetHeight(-1000);
    const FontResource &r = f.Resource();
    EXPECT_EQ(r.width(std::string_view("i")), 600);
    EXPECT_EQ(r.width(std::string_view("W")), 600);
    EXPECT_EQ(r.width(std::string_view("\xe7")), 600) << "code page characters are measured too";
    EXPECT_TRUE(QFontInfo(r.font).fixedPitch());

    TFont arial;
    arial.SetName(QStringLiteral("Arial"));
    arial.SetHeight(-1000);
    EXPECT_EQ(arial.Resource().width(std::string_view("A")), 667);
    EXPECT_EQ(arial.Resource().width(std::string_view("i")), 222);
    // A text is the sum of its bytes, by one advance for a fixed-pitch face
    // and byte by byte for any other, a tail of fewer than four bytes too.
    EXPECT_EQ(r.width(std::string_view("iW\xe7 \x80")), 3000);
    EXPECT_EQ(arial.Resource().width(std::string_view("AiAiAiA")), 4 * 667 + 3 * 222);
    EXPECT_EQ(arial.Resource().ascent, 905);
    EXPECT_EQ(arial.Resource().descent, 212);
}

// Advances read from the face's tables must be the toolkit's own, to the
// 64th of a pixel, for every installed face, style and size from a screen
// line to a printer's: a difference would move text on every page.
TEST(Fonts, TableAdvancesAreTheToolkitsDesignAdvances)
{
    QString all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = QChar(b >= 0x80 && b < 0xA0 ? 0x2022 : b);
    int fast = 0;
    for (const QString &family : QFontDatabase::families()) {
        for (const bool bold : {false, true}) {
            for (const bool italic : {false, true}) {
                for (const int em : {7, 13, 17, 100, 1000, 4167}) {
                    QFont font(family);
                    font.setPixelSize(em);
                    font.setBold(bold);
                    font.setItalic(italic);
                    font.setKerning(false);
                    const QRawFont raw = QRawFont::fromFont(font);
                    const QList<quint32> glyphs = raw.glyphIndexesForString(all);
                    std::vector<double> read(glyphs.size());
                    const auto face = fonts::FontFace::fromRawFont(raw);
                    if (!face || !DesignAdvances(*face, raw.pixelSize(), glyphs.constData(),
                                                 static_cast<int>(glyphs.size()), read.data()))
                        continue;
                    ++fast;
                    const QList<QPointF> asked = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
                    ASSERT_EQ(asked.size(), glyphs.size());
                    for (qsizetype i = 0; i < glyphs.size(); ++i)
                        ASSERT_EQ(read[i], asked[i].x()) << family.toStdString() << " bold " << bold << " italic "
                                                         << italic << " em " << em << " glyph " << glyphs[i];
                }
            }
        }
    }
    // The office faces' stand-ins are TrueType: they must take this path.
    EXPECT_GE(fast, 3 * 4 * 6);
}

TEST(Fonts, PositiveHeightsAreCellHeights)
{
    TFont cell, em;
    cell.SetName(QStringLiteral("Arial"));
    em.SetName(QStringLiteral("Arial"));
    em.SetHeight(-100);
    cell.SetHeight(em.Resource().height());
    EXPECT_EQ(cell.Resource().emPixels, 100);
}

TEST(Canvas, MeasuredWidthIsDrawnWidth)
{
    QImage img(400, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c(&img);
    c.Font().SetName(QStringLiteral("Arial"));
    c.Font().SetSize(11);
    c.Brush().Color = clRed; // a solid brush paints the text cell
    const std::string text = "Prenso: impress\xe3o de formul\xe1rios";
    c.TextOut(10, 5, text);
    int last = -1;
    for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, 5) & 0xFFFFFF) == 0xFF0000)
            last = x;
    EXPECT_EQ(last, 10 + c.TextWidth(text) - 1);
    EXPECT_EQ(c.PenPos().X, 10 + c.TextWidth(text));
    EXPECT_EQ(c.TextWidth(QString::fromUtf8("impressão")), c.TextWidth(std::string_view("impress\xe3o")));
}

// A stored text may start near the largest coordinate (a damaged or hostile
// page file, found by fuzzing): the pen position after it saturates instead
// of overflowing.
TEST(Canvas, TextAtTheLargestCoordinateSaturates)
{
    QImage img(10, 10, QImage::Format_RGB32);
    TCanvas c(&img);
    constexpr int kMax = 2147483647;
    for (const int x : {kMax, kMax - 3}) {
        c.TextOut(x, 0, std::string_view("abc"));
        EXPECT_EQ(c.PenPos().X, kMax) << x;
        c.TextOut(x, 0, QStringLiteral("abc"));
        EXPECT_EQ(c.PenPos().X, kMax) << x;
    }
}

TEST(Canvas, LinesLeaveOutTheirEndPointAndFillsCoverTheirRectangle)
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c(&img);
    c.MoveTo(2, 2);
    c.LineTo(8, 2);
    EXPECT_EQ(img.pixel(7, 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(8, 2) & 0xFFFFFF, 0xFFFFFFu);
    c.Brush().Color = clBlue;
    c.FillRect({4, 4, 6, 6});
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0x0000FFu); // blue, as the image stores it
    EXPECT_EQ(img.pixel(6, 5) & 0xFFFFFF, 0xFFFFFFu);
    c.Brush().Style = TBrushStyle::bsClear;
    c.FillRect({10, 10, 12, 12});
    EXPECT_EQ(img.pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Canvas, HatchBrushesLeaveGaps)
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c(&img);
    c.Brush().Color = clBlack;
    c.Brush().Style = TBrushStyle::bsHorizontal;
    c.FillRect({0, 0, 16, 16});
    int black = 0;
    for (int y = 0; y < 16; ++y)
        black += (img.pixel(3, y) & 0xFFFFFF) == 0;
    EXPECT_GT(black, 0);
    EXPECT_LT(black, 16);
}

TEST(Canvas, MeasuringCanvasIsOneSharedSurfaceAt96Dpi)
{
    TCanvas &a = MeasureCanvas();
    TCanvas &b = MeasureCanvas();
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(a.PixelsPerInch(), 96);
    ASSERT_NE(a.Device(), nullptr);
    EXPECT_EQ(a.Device()->width(), 1);
}

TEST(Pictures, BitmapsAndIconsKeepTheirBytes)
{
    QImage img(7, 5, QImage::Format_RGB32);
    img.fill(Qt::green);
    QByteArray bmpBytes;
    {
        QBuffer buf(&bmpBytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "BMP");
    }
    const std::string bmp(bmpBytes.constData(), static_cast<size_t>(bmpBytes.size()));
    auto g = FromMetaGraphic("BMP" + bmp);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Width(), 7);
    EXPECT_EQ(g->Height(), 5);
    EXPECT_EQ(ToMetaGraphic(g.get()), "BMP" + bmp);

    TIcon icon;
    QImage argb(16, 16, QImage::Format_ARGB32);
    argb.fill(Qt::transparent);
    ASSERT_TRUE(icon.SetImage(argb));
    const std::string ico = ToMetaGraphic(&icon);
    EXPECT_EQ(ico.substr(0, 3), "ICO");
    auto back = FromMetaGraphic(ico);
    ASSERT_NE(back, nullptr);
    EXPECT_NE(dynamic_cast<TIcon *>(back.get()), nullptr);
    EXPECT_EQ(ToMetaGraphic(back.get()), ico);

    EXPECT_EQ(ToMetaGraphic(nullptr), "NIL");
    EXPECT_EQ(FromMetaGraphic("NIL"), nullptr);
    EXPECT_EQ(FromMetaGraphic("PNG1234"), nullptr);
    EXPECT_EQ(FromMetaGraphic("BM"), nullptr);
    EXPECT_EQ(FromMetaGraphic("BMPnot a bitmap"), nullptr);
}

namespace {
// A picture of a kind that has no stored form of its own.
struct Checkers : TGraphic {
    int Width() const override { return 4; }
    int Height() const override { return 2; }
    QImage Image() const override
    {
        QImage i(4, 2, QImage::Format_RGB32);
        i.fill(Qt::blue);
        return i;
    }
};
} // namespace

TEST(Pictures, OtherPicturesAreStoredAsBitmaps)
{
    Checkers c;
    const std::string data = ToMetaGraphic(&c);
    ASSERT_EQ(data.substr(0, 3), "BMP");
    auto g = FromMetaGraphic(data);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Image().pixel(3, 1) & 0xFFFFFF, 0x0000FFu);
}

TEST(Streams, MemoryAndFileStreams)
{
    TMemoryStream m;
    m.WriteBuffer("hello", 5);
    m.SetPosition(1);
    char b[4];
    m.ReadBuffer(b, 4);
    EXPECT_EQ(std::string(b, 4), "ello");
    EXPECT_THROW(m.ReadBuffer(b, 1), EReadError);
    m.SetSize(2);
    EXPECT_EQ(m.Data(), "he");
    EXPECT_THROW(TFileStream(QStringLiteral("/nonexistent/dir/file"), TFileStream::Mode::fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(QStringLiteral("/nonexistent/file"), TFileStream::Mode::fmOpenRead), EFOpenError);
}
