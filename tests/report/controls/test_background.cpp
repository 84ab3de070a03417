// A site's frame on the page: the gradient fill, the background picture in
// each of its arrangements (cut at the site's edges), the borders over it,
// the site taking the picture's size, and the picture on a prepared page.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace prenso;

namespace {

// 10 × 8: the top-left 5 × 4 red, the rest blue.
std::unique_ptr<TBitmap> marker()
{
    QImage img(10, 8, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            img.setPixel(x, y, qRgb(255, 0, 0));
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetImage(img);
    return bmp;
}

constexpr QRgb kRed = 0xFF0000, kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kBlack = 0;

QRgb rgb(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

// A free-standing yellow site; its frame is drawn at `rect` of a 100 × 100
// page and the page painted unscaled.
class Frame : public ::testing::Test {
protected:
    Frame() : site(nullptr)
    {
        site.SetBounds(0, 0, 60, 40);
        site.SetColor(clYellow);
    }

    QImage paint(const TRect &rect)
    {
        TRLGraphicSurface page;
        page.SetWidth(100);
        page.SetHeight(100);
        site.DrawFrame(page, rect);
        QImage img(100, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setDotsPerMeterX(3780);
        img.setDotsPerMeterY(3780);
        {
            TCanvas canvas(&img, 96);
            TRLCanvasPainter(canvas).Paint(page, TRect{0, 0, 100, 100});
        }
        return img;
    }

    TRLCustomSite site;
};

} // namespace

TEST_F(Frame, AlignedAndCentredPicturesSitOnTheFill)
{
    site.Background().SetPicture(marker());
    QImage img = paint(TRect{0, 0, 60, 40});
    EXPECT_EQ(rgb(img, 2, 2), kRed);
    EXPECT_EQ(rgb(img, 7, 2), kBlue);
    EXPECT_EQ(rgb(img, 2, 6), kBlue);
    EXPECT_EQ(rgb(img, 12, 2), kYellow);
    EXPECT_EQ(rgb(img, 2, 10), kYellow);

    site.Background().SetArrange(TRLImageArrange::baCenter);
    img = paint(TRect{0, 0, 60, 40}); // picture at (25, 16)
    EXPECT_EQ(rgb(img, 25, 16), kRed);
    EXPECT_EQ(rgb(img, 29, 19), kRed);
    EXPECT_EQ(rgb(img, 30, 19), kBlue);
    EXPECT_EQ(rgb(img, 24, 16), kYellow);
    EXPECT_EQ(rgb(img, 25, 24), kYellow);
}

TEST_F(Frame, TilesRepeatFromTheCornerAndAreCutAtTheEdge)
{
    site.Background().SetPicture(marker());
    site.Background().SetArrange(TRLImageArrange::baSidebySide);
    const QImage img = paint(TRect{10, 10, 65, 45}); // 55 × 35: the last tiles are cut
    EXPECT_EQ(rgb(img, 10, 10), kRed);
    EXPECT_EQ(rgb(img, 20 + 4, 10 + 3), kRed); // second tile across
    EXPECT_EQ(rgb(img, 20 + 5, 10 + 3), kBlue);
    EXPECT_EQ(rgb(img, 10 + 2, 18 + 1), kRed); // second tile down
    EXPECT_EQ(rgb(img, 64, 44), kRed);         // the last tile, cut to its red 5 × 3...
    EXPECT_EQ(rgb(img, 65, 44), kWhite);       // ...and nothing beyond
    EXPECT_EQ(rgb(img, 64, 45), kWhite);
    EXPECT_EQ(rgb(img, 65, 12), kWhite);
}

// A one-pixel picture is repeated in blocks, not drawn pixel by pixel; every
// pixel of the rectangle must still be covered, and nothing beyond it.
TEST_F(Frame, AOnePixelPictureTilesTheWholeRectangle)
{
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(QColor(255, 0, 0));
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetImage(dot);
    site.Background().SetPicture(std::move(bmp));
    site.Background().SetArrange(TRLImageArrange::baSidebySide);
    const QImage img = paint(TRect{3, 5, 97, 95});
    int red = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            red += rgb(img, x, y) == kRed;
    EXPECT_EQ(red, 94 * 90);
    EXPECT_EQ(rgb(img, 3, 5), kRed);
    EXPECT_EQ(rgb(img, 96, 94), kRed);
    EXPECT_EQ(rgb(img, 97, 50), kWhite);
    EXPECT_EQ(rgb(img, 50, 95), kWhite);
}

TEST_F(Frame, DistributedOrStretchedPicturesFillTheWholeRectangle)
{
    site.Background().SetPicture(marker());
    for (bool viaStretch : {false, true}) {
        SCOPED_TRACE(viaStretch);
        site.Background().SetArrange(viaStretch ? TRLImageArrange::baCenter : TRLImageArrange::baDistributed);
        site.Background().SetStretch(viaStretch);
        const QImage img = paint(TRect{0, 0, 60, 40}); // 6 × 5 each picture pixel
        EXPECT_EQ(rgb(img, 0, 0), kRed);
        EXPECT_EQ(rgb(img, 29, 19), kRed);
        EXPECT_EQ(rgb(img, 30, 19), kBlue);
        EXPECT_EQ(rgb(img, 29, 20), kBlue);
        EXPECT_EQ(rgb(img, 59, 39), kBlue);
        EXPECT_EQ(rgb(img, 60, 39), kWhite);
    }
}

TEST_F(Frame, APictureLargerThanTheSiteIsCutAndBordersGoOverIt)
{
    site.Background().SetPicture(marker());
    site.Borders().SetDrawLeft(true);
    site.Borders().SetFixedLeft(true); // no report: only fixed sides are drawn
    site.Borders().SetWidth(2);
    site.Borders().SetColor(clBlack);
    const QImage img = paint(TRect{10, 10, 16, 14}); // 6 × 4 of a 10 × 8 picture
    EXPECT_EQ(rgb(img, 10, 12), kBlack);
    EXPECT_EQ(rgb(img, 11, 12), kBlack);
    EXPECT_EQ(rgb(img, 14, 13), kRed);
    EXPECT_EQ(rgb(img, 15, 13), kBlue);
    EXPECT_EQ(rgb(img, 16, 13), kWhite);
    EXPECT_EQ(rgb(img, 14, 14), kWhite);
}

TEST_F(Frame, GradientsStepByTheGranularityFromTheColourToTheOppositeOne)
{
    site.SetColor(clRed);
    site.Degrade().OppositeColor = clBlue;
    site.Degrade().Granularity = 10;
    site.Degrade().Direction = TRLDegradeDirection::ddHorizontal;
    QImage img = paint(TRect{0, 0, 40, 20});
    // Bands start at 0, 10, 20, 30: the colour at i / 39 of the way.
    EXPECT_EQ(rgb(img, 0, 5), kRed);
    EXPECT_EQ(rgb(img, 9, 5), kRed);
    EXPECT_EQ(rgb(img, 10, 5), qRgb(190, 0, 65) & 0xFFFFFF);
    EXPECT_EQ(rgb(img, 19, 19), qRgb(190, 0, 65) & 0xFFFFFF);
    EXPECT_EQ(rgb(img, 39, 0), qRgb(59, 0, 196) & 0xFFFFFF);
    EXPECT_EQ(rgb(img, 40, 0), kWhite);

    site.Degrade().Direction = TRLDegradeDirection::ddVertical;
    img = paint(TRect{0, 0, 40, 20});
    EXPECT_EQ(rgb(img, 39, 9), kRed);
    EXPECT_EQ(rgb(img, 0, 10), qRgb(121, 0, 134) & 0xFFFFFF); // 10 / 19 of the way

    // The same colour both ways is a plain fill.
    site.Degrade().OppositeColor = clRed;
    img = paint(TRect{0, 0, 40, 20});
    EXPECT_EQ(rgb(img, 0, 19), kRed);
}

TEST(BackgroundAutoSize, TheSiteTakesThePictureSize)
{
    TRLCustomSite root(nullptr);
    root.SetBounds(0, 0, 300, 300);
    auto *panel = root.AddChild<TRLCustomSite>();
    panel->SetBounds(5, 5, 100, 100);
    panel->Background().SetAutoSize(true);
    EXPECT_EQ(panel->Width(), 100); // nothing to take yet
    panel->Background().SetPicture(marker());
    EXPECT_EQ(panel->BoundsRect(), (TRect{5, 5, 15, 13}));

    // Children that would size the site are outweighed by the picture.
    panel->SetAutoSize(true);
    auto *child = panel->AddChild<TRLCustomControl>();
    child->SetBounds(0, 0, 50, 50);
    panel->AdjustBounds();
    EXPECT_EQ(panel->Width(), 10);

    panel->Background().SetAutoSize(false);
    EXPECT_EQ(panel->Width(), 50);
}

TEST(BackgroundOnAPage, ABandsPictureIsPrintedWhereTheBandLands)
{
    TRLReport report;
    report.SetShowProgress(false);
    report.SetPrintDialog(false);
    auto *title = report.AddChild<TRLBand>();
    title->SetBandType(TRLBandType::btTitle);
    title->SetAutoExpand(false);
    title->SetHeight(40);
    title->Background().SetPicture(marker());
    title->Background().SetArrange(TRLImageArrange::baCenter);
    ASSERT_TRUE(report.Prepare());
    ASSERT_GE(report.Pages().PageCount(), 1);
    TRLGraphicPage *page = report.Pages().Pages(0);
    const TRect band = title->ReportBoundsRect();
    const TRect expected{band.Left + (band.Width() - 10) / 2, band.Top + 16, band.Left + (band.Width() - 10) / 2 + 10,
                         band.Top + 24};
    int images = 0;
    for (int i = 0; i < page->ObjectCount(); ++i)
        if (page->Objects(i)->Kind() == TRLGraphicKind::Image) {
            ++images;
            EXPECT_EQ(page->Objects(i)->BoundsRect(), expected);
        }
    EXPECT_EQ(images, 1);
}
