// The report as a designer shows it, painted into an image: the white page
// with its unprintable edges shaded, the report's and the bands' name tags,
// labels with their captions or names and their corner marks, and the
// guarantee that none of it reaches a page. The first test leaves the picture
// in the build folder (design_paint.png) for a look.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace prenso;

namespace {

constexpr QRgb kShade = 0xF4F4F4, kWhite = 0xFFFFFF, kGray = 0x808080, kBlue = 0x0000FF;

QRgb rgb(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

int count(const QImage &img, const TRect &r, QRgb color)
{
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(img.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(img.width(), r.Right); ++x)
            n += rgb(img, x, y) == color;
    return n;
}

bool anyDark(const QImage &img, const TRect &r)
{
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (qGray(img.pixel(x, y)) < 100)
                return true;
    return false;
}

QImage sameDpiImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255)); // anything the page does not cover stays magenta
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    return img;
}

// A small invoice-like layout: a title with a picture behind it, column
// headings, a detail line bound to a field, a footer.
struct Form {
    Form()
    {
        report.SetName(QStringLiteral("rlrInvoice"));
        report.SetShowProgress(false);
        report.SetPrintDialog(false);

        title = report.AddChild<TRLBand>();
        title->SetName(QStringLiteral("bndTitle"));
        title->SetBandType(TRLBandType::btTitle);
        title->SetAutoExpand(false);
        title->SetHeight(60);
        QImage tile(16, 16, QImage::Format_RGB32);
        tile.fill(QColor(230, 240, 255));
        for (int i = 0; i < 16; ++i)
            tile.setPixel(i, i, qRgb(200, 215, 240));
        auto picture = std::make_unique<TBitmap>();
        picture->SetImage(tile);
        title->Background().SetPicture(std::move(picture));
        title->Background().SetArrange(TRLImageArrange::baSidebySide);
        heading = title->AddChild<TRLCustomLabel>();
        heading->SetName(QStringLiteral("lblHeading"));
        TFont big;
        big.SetName(QStringLiteral("Arial"));
        big.SetSize(16);
        big.SetStyle(fsBold);
        heading->SetFont(big);
        heading->SetBounds(20, 14, 10, 10);
        heading->SetCaption(QStringLiteral("Monthly statement"));

        columns = report.AddChild<TRLBand>();
        columns->SetName(QStringLiteral("bndColumns"));
        columns->SetBandType(TRLBandType::btColumnHeader);
        columns->SetAutoExpand(false);
        columns->SetHeight(24);
        columns->Borders().SetSides(TRLBorderSides::sdAll);
        item = columns->AddChild<TRLCustomLabel>();
        item->SetName(QStringLiteral("lblItem"));
        item->SetBounds(16, 4, 10, 10);
        item->SetCaption(QStringLiteral("Item"));
        item->SetColor(RGBColor(255, 255, 200));
        empty = columns->AddChild<TRLCustomLabel>();
        empty->SetName(QStringLiteral("lblAmount"));
        empty->SetBounds(400, 4, 10, 10);
        empty->AdjustBounds();

        detail = report.AddChild<TRLBand>();
        detail->SetName(QStringLiteral("bndDetail"));
        detail->SetAutoExpand(false);
        detail->SetHeight(20);
        line = detail->AddChild<TRLDBText>();
        line->SetName(QStringLiteral("txtLine"));
        line->SetBounds(16, 2, 10, 10);
        line->SetDataField(QStringLiteral("LINHA"));

        footer = report.AddChild<TRLBand>();
        footer->SetName(QStringLiteral("bndFooter"));
        footer->SetBandType(TRLBandType::btFooter);
        footer->SetAutoExpand(false);
        footer->SetHeight(20);
    }

    QImage paint()
    {
        QImage img = sameDpiImage(report.Width(), report.Height());
        {
            TCanvas canvas(&img, 96);
            report.PaintDesign(canvas);
        }
        return img;
    }

    TRLReport report;
    TRLBand *title, *columns, *detail, *footer;
    TRLCustomLabel *heading, *item, *empty;
    TRLDBText *line;
};

} // namespace

TEST(DesignPaint, ThePageIsWhiteWithItsUnprintableEdgesShaded)
{
    Form form;
    const QImage img = form.paint();
    img.save(QStringLiteral(PRENSO_BINARY_DIR "/design_paint.png"));

    const TRect m = form.report.PrinterMarginPixels();
    const int w = img.width(), h = img.height();
    EXPECT_EQ(count(img, TRect{0, 0, w, h}, 0xFF00FF), 0); // the whole page is painted
    EXPECT_EQ(rgb(img, w / 2, h - m.Bottom - 60), kWhite);
    if (m.Left == 0 && m.Top == 0 && m.Right == 0 && m.Bottom == 0)
        GTEST_SKIP() << "the printer reports no unprintable margins";
    for (const auto &[x, y, shaded] :
         {std::tuple{m.Left - 1, h / 2, m.Left > 0}, std::tuple{m.Left, h / 2, false},
          std::tuple{w - m.Right, h / 2, m.Right > 0}, std::tuple{w / 2, h - 1, m.Bottom > 0},
          std::tuple{w / 2, h - m.Bottom - 1, false}}) {
        if (x < 0 || x >= w)
            continue;
        SCOPED_TRACE(testing::Message() << x << "," << y);
        EXPECT_EQ(rgb(img, x, y) == kShade, shaded);
    }
}

TEST(DesignPaint, TagsAndMarksFollowShowDesigners)
{
    Form form;
    const TRect tagArea{0, 0, 120, 30};
    const TRect itemCorner = form.item->ReportBoundsRect();
    QImage img = form.paint();
    EXPECT_GT(count(img, tagArea, kBlue), 200) << "the report's name tag";
    EXPECT_EQ(rgb(img, itemCorner.Left, itemCorner.Top), kGray);
    EXPECT_EQ(rgb(img, itemCorner.Right - 1, itemCorner.Bottom - 1), kGray);

    // Every band carries its type and name at its right end.
    for (TRLBand *band : {form.title, form.columns, form.detail, form.footer}) {
        SCOPED_TRACE(band->Name().toStdString());
        const TRect r = band->ReportBoundsRect();
        EXPECT_GT(count(img, TRect{r.Right - 40, r.Top, r.Right, r.Bottom}, kGray), 20);
        EXPECT_EQ(count(img, TRect{r.Left + 200, r.Top + 4, r.Left + 300, r.Top + 8}, kGray), 0);
    }

    form.report.SetShowDesigners(false);
    img = form.paint();
    EXPECT_EQ(count(img, tagArea, kBlue), 0);
    EXPECT_NE(rgb(img, itemCorner.Left, itemCorner.Top), kGray);
    // The item label's own colour now shows at its corner.
    EXPECT_EQ(rgb(img, itemCorner.Left, itemCorner.Top), 0xFFFFC8u);
}

TEST(DesignPaint, LabelsShowTheirCaptionOrElseTheirName)
{
    // A label without a caption looks exactly like one whose caption is its
    // name; a bound text shows its field.
    Form form;
    form.report.SetShowDesigners(false);
    const TRect r = form.empty->ReportBoundsRect();
    const QImage withName = form.paint().copy(r.Left, r.Top, r.Width(), r.Height());
    EXPECT_TRUE(anyDark(withName, TRect{0, 0, withName.width(), withName.height()}));
    form.empty->SetAutoSize(false); // same bounds for the second picture
    form.empty->SetCaption(QStringLiteral("lblAmount"));
    const QImage withCaption = form.paint().copy(r.Left, r.Top, r.Width(), r.Height());
    EXPECT_EQ(withName, withCaption);

    form.empty->SetCaption(QStringLiteral("Total"));
    const QImage other = form.paint().copy(r.Left, r.Top, r.Width(), r.Height());
    EXPECT_NE(withName, other);
}

TEST(DesignPaint, NothingOfItReachesThePages)
{
    Form form;
    form.paint();
    EXPECT_EQ(form.report.Pages().PageCount(), 0);
    EXPECT_EQ(form.report.PageSurface(), nullptr);
    EXPECT_EQ(form.report.Surface().ObjectCount(), 0);
    for (TRLBand *band : {form.title, form.columns, form.detail, form.footer})
        EXPECT_EQ(band->Surface().ObjectCount(), 0);

    ASSERT_TRUE(form.report.Prepare());
    ASSERT_GE(form.report.Pages().PageCount(), 1);
    TRLGraphicPage *page = form.report.Pages().Pages(0);
    std::vector<std::string> texts;
    for (int i = 0; i < page->ObjectCount(); ++i)
        if (auto *t = dynamic_cast<TRLTextObject *>(page->Objects(i)))
            texts.push_back(t->Text());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Monthly statement"), texts.end());
    for (const std::string &t : texts) {
        EXPECT_EQ(t.find("Report "), std::string::npos) << t;
        EXPECT_EQ(t.find("Title bndTitle"), std::string::npos) << t;
    }
}
