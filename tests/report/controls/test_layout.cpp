// Layout of the report controls: page setup, bounds, sizes measured from
// captions and children, alignment inside sites, borders, margins, captions
// and the links between controls.
#include "data/dataset.h"
#include "platform/graphics/canvas.h"
#include "platform/system/errors.h"
#include "report/RLConsts.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <gtest/gtest.h>

#include <functional>

using namespace prenso;

namespace {

// Width of a caption as labels measure it: followed by one space.
int measured(const TRLCustomControl &c, const std::string &bytes)
{
    return c.Font().Resource().width(bytes + " ");
}

int lineHeight(const TRLCustomControl &c)
{
    return c.Font().Resource().height();
}

TRect bounds(const TRLCustomControl *c)
{
    return c->BoundsRect();
}

TRect rectOf(int l, int t, int w, int h)
{
    return TRect{l, t, l + w, t + h};
}

class Layout : public ::testing::Test {
protected:
    Layout()
    {
        report.SetName(QStringLiteral("rep"));
        report.SetShowProgress(false);
        band = report.AddChild<TRLBand>();
        band->SetName(QStringLiteral("band"));
    }

    TRLCustomLabel *addLabel(const QString &name, const QString &caption)
    {
        auto *l = band->AddChild<TRLCustomLabel>();
        l->SetName(name);
        l->SetCaption(caption);
        return l;
    }

    TRLReport report;
    TRLBand *band = nullptr;
};

// A free-standing site to align children in: no report, no margins.
class Alignment : public ::testing::Test {
protected:
    Alignment() : site(nullptr) { site.SetBounds(0, 0, 300, 200); }

    TRLCustomControl *add(TRLControlAlign align, int l, int t, int w, int h)
    {
        auto *c = site.AddChild<TRLCustomControl>();
        c->SetBounds(l, t, w, h);
        c->SetAlign(align);
        return c;
    }

    // Adds a control where it is, without aligning (as loading a form does).
    TRLCustomControl *addQuiet(TRLControlAlign align, int l, int t, int w, int h)
    {
        site.ControlState().include(TRLControlStateType::stAligningControls);
        TRLCustomControl *c = add(align, l, t, w, h);
        site.ControlState().exclude(TRLControlStateType::stAligningControls);
        return c;
    }

    TRLCustomSite site;
};

} // namespace

// ---------------------------------------------------------------------------
// Page setup and the report's own size

TEST_F(Layout, ReportTakesTheOrientedPaperSizeWhateverIsAsked)
{
    EXPECT_EQ(MMToPixels(10), 38);
    EXPECT_EQ(MMToPixels(210), 794);
    EXPECT_EQ(MMToPixels(297), 1123);
    EXPECT_EQ(bounds(&report), rectOf(0, 0, 794, 1123));
    report.SetBounds(5, 7, 100, 100);
    EXPECT_EQ(report.Width(), 794);
    EXPECT_EQ(report.Height(), 1123);
    report.PageSetup().SetOrientation(TRLPageOrientation::poLandscape);
    EXPECT_EQ(report.Width(), 1123);
    EXPECT_EQ(report.Height(), 794);
    // The band stays inside the 10 mm margins and follows the new width.
    EXPECT_EQ(bounds(band), rectOf(38, 38, 1123 - 76, 16));
}

TEST_F(Layout, PaperSizeIsOnlyTakenByACustomPaper)
{
    TRLPageSetup &ps = report.PageSetup();
    ps.SetPaperWidth(0);
    ps.SetPaperWidth(100);
    ps.SetPaperHeight(150);
    EXPECT_EQ(ps.PaperSize(), TRLPaperSize::fpA4);
    EXPECT_DOUBLE_EQ(ps.PaperWidth(), 210);
    EXPECT_DOUBLE_EQ(ps.PaperHeight(), 297);
    EXPECT_EQ(report.Width(), 794);

    ps.SetPaperSize(TRLPaperSize::fpCustom);
    // A custom paper keeps the last size until it is given one.
    EXPECT_DOUBLE_EQ(ps.PaperWidth(), 210);
    ps.SetPaperWidth(100);
    ps.SetPaperHeight(150);
    ps.SetPaperWidth(0);
    ps.SetPaperHeight(0);
    EXPECT_DOUBLE_EQ(ps.PaperWidth(), 100);
    EXPECT_DOUBLE_EQ(ps.PaperHeight(), 150);
    EXPECT_EQ(report.Width(), 378);
    EXPECT_EQ(report.Height(), 567);
    EXPECT_EQ(band->Width(), 378 - 76);

    // Back to a listed paper: its own size again.
    ps.SetPaperSize(TRLPaperSize::fpA5);
    EXPECT_EQ(report.Width(), MMToPixels(148));
    EXPECT_EQ(report.Height(), MMToPixels(210));
}

TEST(PrinterMargins, TurnWithThePageAndRoundHalvesToEven)
{
    TRLPrinterMetrics m;
    m.PPIX = 192;
    m.PPIY = 600;
    m.MarginLeft = 5;     // 2.5 px: down to 2
    m.MarginRight = 7;    // 3.5 px: up to 4
    m.MarginTop = 600;    // 96 px
    m.MarginBottom = 125; // 20 px
    EXPECT_EQ(PrinterMarginPixels(m, TRLPageOrientation::poPortrait), (TRect{2, 96, 4, 20}));
    // In landscape left takes the top, top the right, right the bottom and
    // bottom the left.
    EXPECT_EQ(PrinterMarginPixels(m, TRLPageOrientation::poLandscape), (TRect{96, 4, 20, 2}));
    m.PPIY = 0;
    EXPECT_EQ(PrinterMarginPixels(m, TRLPageOrientation::poPortrait), TRect{});
}

TEST_F(Layout, AdjustableMarginsTakeTheLargerOfOwnAndPrinterMargins)
{
    report.Margins().SetLeftMargin(0);
    report.Margins().SetTopMargin(0);
    EXPECT_EQ(band->Left(), 0);
    EXPECT_EQ(band->Top(), 0);
    report.SetAdjustableMargins(true);
    const TRect printer = PrinterMarginPixels(report.PrinterMetrics(), TRLPageOrientation::poPortrait);
    EXPECT_EQ(band->Left(), printer.Left);
    EXPECT_EQ(band->Top(), printer.Top);
    EXPECT_EQ(band->Width(), 794 - printer.Left - std::max(38, printer.Right));
    report.SetAdjustableMargins(false);
    EXPECT_EQ(band->Left(), 0);
    EXPECT_EQ(band->Width(), 794 - 38);
}

TEST_F(Layout, TitleAndJobTitle)
{
    report.SetTitle(QStringLiteral("A"));
    EXPECT_EQ(report.JobTitle(), QStringLiteral("A"));
    report.SetTitle(QStringLiteral("B"));
    EXPECT_EQ(report.JobTitle(), QStringLiteral("B"));
    report.SetJobTitle(QStringLiteral("J"));
    report.SetTitle(QStringLiteral("C"));
    EXPECT_EQ(report.JobTitle(), QStringLiteral("J"));
    report.SetJobTitle(QString());
    EXPECT_EQ(report.JobTitle(), QStringLiteral("C"));
}

// ---------------------------------------------------------------------------
// Bounds and sizes

TEST_F(Layout, UnchangedBoundsStillRealignTheChildren)
{
    band->SetAutoExpand(false);
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("x"));
    l->SetAlign(TRLControlAlign::faTopOnly);
    EXPECT_EQ(l->Top(), 0);
    // Move the label while the band is not aligning, as a form being loaded would.
    band->ControlState().include(TRLControlStateType::stAligningControls);
    l->SetTop(9);
    band->ControlState().exclude(TRLControlStateType::stAligningControls);
    ASSERT_EQ(l->Top(), 9);
    band->SetBounds(band->Left(), band->Top(), band->Width(), band->Height());
    EXPECT_EQ(l->Top(), 0);
}

TEST_F(Layout, AutoSizeBandFollowsItsTextControl)
{
    band->SetAutoSize(true);
    band->SetAutoExpand(false);
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("Linha"));
    l->SetBounds(16, 0, 41, 16);
    l->SetAlign(TRLControlAlign::faTopOnly);
    EXPECT_EQ(l->Left(), 16);
    EXPECT_EQ(band->Height(), lineHeight(*l));
    const int before = lineHeight(*l);
    l->SetFontSize(20);
    ASSERT_GT(lineHeight(*l), before);
    EXPECT_EQ(l->Height(), lineHeight(*l));
    EXPECT_EQ(l->Width(), measured(*l, "Linha"));
    EXPECT_EQ(band->Height(), lineHeight(*l));
    // The band's own top alignment keeps its width at the report's client width.
    EXPECT_EQ(band->Width(), 718);
    // A band margin is added around the needed height.
    band->InsideMargins().SetTopMargin(2); // 8 px
    EXPECT_EQ(l->Top(), 8);
    EXPECT_EQ(band->Height(), lineHeight(*l) + 8);
}

TEST_F(Layout, SiteExpandersGrowAnAutoExpandingBandByTheirGrowth)
{
    ASSERT_TRUE(band->AutoExpand());
    band->SetHeight(40);
    auto *grower = band->AddChild<TRLCustomControl>();
    grower->SetBounds(0, 0, 10, 10);
    auto *other = band->AddChild<TRLCustomControl>();
    other->SetBounds(20, 0, 10, 10);

    other->SetHeight(30); // not an expander: the band keeps its height
    EXPECT_EQ(band->Height(), 40);

    grower->SetBehavior(TRLControlBehavior{TRLControlBehaviorType::beSiteExpander});
    grower->SetHeight(25);
    EXPECT_EQ(band->Height(), 55);
    grower->SetHeight(20);
    EXPECT_EQ(band->Height(), 50);
    // The band only grows in the directions of its AutoSizeDir.
    grower->SetWidth(100);
    EXPECT_EQ(band->Width(), 718);

    // Bounds restored after a record do not grow or shrink the band.
    grower->PushBoundsRect();
    grower->SetHeight(60);
    EXPECT_EQ(band->Height(), 90);
    grower->PopBoundsRect();
    EXPECT_EQ(grower->Height(), 20);
    EXPECT_EQ(band->Height(), 90);
}

TEST_F(Layout, AdjustBoundsKeepsTheEdgeOfTheAlignment)
{
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QString());
    l->SetAutoSize(false);
    // A caption whose measured width is odd.
    std::string odd;
    for (const char *candidate : {"a", "ab", "abc", "i", "il", "W", "Wi", "x1", "mm", "abcd"})
        if (measured(*l, candidate) % 2) {
            odd = candidate;
            break;
        }
    ASSERT_FALSE(odd.empty()) << "no candidate measures an odd width in this font";
    const int w = measured(*l, odd);
    const int h = lineHeight(*l);
    l->SetCaption(QString::fromLatin1(odd.c_str()));

    l->SetBounds(100, 10, 41, 17);
    l->SetAlignment(TRLTextAlignment::taRightJustify);
    l->SetAutoSize(true);
    EXPECT_EQ(bounds(l), rectOf(141 - w, 10, w, h));

    // Centred: one pixel wider, then old left + (old width - new width) div 2,
    // the division truncating toward zero.
    l->SetAutoSize(false);
    l->SetAlignment(TRLTextAlignment::taCenter);
    l->SetBounds(100, 10, 41, 17);
    l->SetAutoSize(true);
    EXPECT_EQ(l->Width(), w + 1);
    EXPECT_EQ(l->Left(), 100 + (41 - (w + 1)) / 2);

    l->SetAutoSize(false);
    l->SetAlignment(TRLTextAlignment::taLeftJustify);
    l->SetLayout(TRLTextLayout::tlBottom);
    l->SetBounds(100, 10, 41, 40);
    l->SetAutoSize(true);
    EXPECT_EQ(bounds(l), rectOf(100, 50 - h, w, h));

    l->SetAutoSize(false);
    l->SetLayout(TRLTextLayout::tlCenter);
    l->SetBounds(100, 10, 41, 41);
    l->SetAutoSize(true);
    const int even = h + h % 2;
    EXPECT_EQ(bounds(l), rectOf(100, 10 + (41 - even) / 2, w, even));
}

TEST_F(Layout, LabelsMeasureTheirCaptionOrOutsidePreparationTheirName)
{
    TRLCustomLabel *l = addLabel(QStringLiteral("rotulo"), QStringLiteral("Total"));
    EXPECT_EQ(l->Width(), measured(*l, "Total"));
    EXPECT_EQ(l->Height(), lineHeight(*l));
    l->SetCaption(QString());
    EXPECT_EQ(l->Width(), measured(*l, "rotulo"));
    // A label that is not AutoSize keeps its size.
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 7, 9);
    l->SetCaption(QStringLiteral("a long caption"));
    EXPECT_EQ(l->Width(), 7);
    EXPECT_EQ(l->Height(), 9);
}

TEST_F(Layout, ChangingTheFontAdjustsTheBounds)
{
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("abc"));
    l->SetFontSize(24);
    EXPECT_EQ(l->Width(), measured(*l, "abc"));
    EXPECT_EQ(l->Height(), lineHeight(*l));
    TFont f = l->Font();
    f.SetSize(8);
    l->SetFont(f);
    EXPECT_EQ(l->Height(), lineHeight(*l));
}

TEST_F(Layout, ChangingAlignTakesTheNaturalSizeFirst)
{
    band->SetHeight(40);
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("abc"));
    l->SetAnchors(TRLControlAnchors{TRLControlAnchorsType::fkRight});
    l->SetAlign(TRLControlAlign::faTop);
    EXPECT_TRUE(l->Anchors().empty());
    EXPECT_EQ(l->Width(), 718);
    // From a full-width align to a full-height one: the label takes its own
    // width back before it is stretched to the band's height.
    l->SetAlign(TRLControlAlign::faLeft);
    EXPECT_EQ(bounds(l), rectOf(0, 0, measured(*l, "abc"), 40));
    l->SetAlign(TRLControlAlign::faNone);
    l->SetAnchors(TRLControlAnchors{TRLControlAnchorsType::fkBottom});
    EXPECT_EQ(l->Anchors(), TRLControlAnchors{TRLControlAnchorsType::fkBottom});
}

TEST_F(Layout, SiteSizeFromItsChildren)
{
    TRLCustomSite site(nullptr);
    site.SetBounds(0, 0, 10, 10);
    auto add = [&](TRLControlAlign a, int l, int t, int w, int h) {
        auto *c = site.AddChild<TRLCustomControl>();
        c->SetBounds(l, t, w, h);
        c->SetAlign(a);
        return c;
    };
    add(TRLControlAlign::faLeft, 0, 0, 30, 5);
    add(TRLControlAlign::faLeft, 0, 0, 40, 5);
    add(TRLControlAlign::faNone, 0, 0, 50, 60);
    add(TRLControlAlign::faTopOnly, 0, 0, 20, 25);  // width adds up, height is a maximum
    add(TRLControlAlign::faLeftOnly, 0, 0, 85, 12); // width is a maximum
    site.SetAutoSize(true);
    EXPECT_EQ(site.Width(), 30 + 40 + 20);
    EXPECT_EQ(site.Height(), 60);

    // Margins surround the needed client size.
    site.InsideMargins().SetLeftMargin(5); // 19 px
    EXPECT_EQ(site.Width(), 30 + 40 + 20 + 19);
    EXPECT_EQ(site.ClientRect().Left, 19);

    add(TRLControlAlign::faTop, 0, 0, 1, 30); // heights of top-aligned children add up
    add(TRLControlAlign::faTop, 0, 0, 1, 35);
    site.AdjustBounds();
    EXPECT_EQ(site.Height(), 12 + 30 + 35); // with the left-only one's height
    add(TRLControlAlign::faNone, 0, 0, 10, 90);
    site.AdjustBounds();
    EXPECT_EQ(site.Height(), 90);

    // An align that fixes the site's width leaves it alone.
    site.SetAutoSize(false);
    site.SetAlign(TRLControlAlign::faTop);
    site.SetWidth(33);
    site.SetAutoSize(true);
    EXPECT_EQ(site.Width(), 33);
    EXPECT_EQ(site.Height(), 90);
}

TEST_F(Layout, MeasureHeightRemakesTheCaptionOfMeasurableControls)
{
    band->SetAutoSize(true);
    auto *t = band->AddChild<TRLDBText>();
    t->SetName(QStringLiteral("t"));
    t->SetAlign(TRLControlAlign::faTopOnly);
    auto *fixed = band->AddChild<TRLDBText>();
    fixed->SetName(QStringLiteral("fixed"));
    fixed->SetAutoSize(false);
    fixed->SetCaption(QStringLiteral("keep"));
    int events = 0;
    t->OnMeasureHeight = [&](TRLCustomControl *) { ++events; };

    t->SetFriendlyName(QStringLiteral("Amigo"));
    fixed->SetFriendlyName(QStringLiteral("Other"));
    t->SetFontSize(18);
    band->MeasureHeight();
    EXPECT_EQ(events, 1);
    EXPECT_EQ(t->Caption(), QStringLiteral("Amigo"));
    EXPECT_EQ(t->Width(), measured(*t, "Amigo"));
    EXPECT_EQ(band->Height(), lineHeight(*t));
    EXPECT_EQ(fixed->Caption(), QStringLiteral("keep"));

    // An invisible control is not measured.
    t->SetVisible(false);
    t->SetFriendlyName(QStringLiteral("Outro"));
    t->MeasureHeight();
    EXPECT_EQ(t->Caption(), QStringLiteral("Amigo"));
    EXPECT_EQ(events, 1);
}

// ---------------------------------------------------------------------------
// Alignment inside a site

TEST_F(Alignment, AllStepsInTheirOrder)
{
    auto *leftMost = add(TRLControlAlign::faLeftMost, 0, 0, 10, 1);
    auto *rightMost = add(TRLControlAlign::faRightMost, 0, 0, 20, 1);
    auto *top = add(TRLControlAlign::faTop, 0, 0, 1, 15);
    auto *bottom = add(TRLControlAlign::faBottom, 0, 0, 1, 25);
    auto *left = add(TRLControlAlign::faLeft, 0, 0, 30, 1);
    auto *right = add(TRLControlAlign::faRight, 0, 0, 40, 1);
    // What remains: (40, 15) - (240, 175), 200 x 160.
    // Placed in the order of their left edges, which the earlier ones take
    // from their own placement: the later ones start further right.
    auto *client1 = add(TRLControlAlign::faClient, 500, 0, 1, 1);
    auto *client2 = add(TRLControlAlign::faClient, 501, 0, 1, 1);
    auto *client3 = add(TRLControlAlign::faClient, 502, 0, 1, 1);
    auto *leftTop = add(TRLControlAlign::faLeftTop, 0, 0, 12, 7);
    auto *rightTop = add(TRLControlAlign::faRightTop, 0, 0, 14, 9);
    auto *clientTop = add(TRLControlAlign::faClientTop, 0, 0, 1, 5);
    auto *leftBottom = add(TRLControlAlign::faLeftBottom, 0, 0, 12, 8);
    auto *rightBottom = add(TRLControlAlign::faRightBottom, 0, 0, 10, 6);
    auto *clientBottom = add(TRLControlAlign::faClientBottom, 0, 0, 1, 4);
    auto *clientLeft = add(TRLControlAlign::faClientLeft, 0, 0, 11, 1);
    auto *clientRight1 = add(TRLControlAlign::faClientRight, 0, 0, 13, 1);
    auto *clientRight2 = add(TRLControlAlign::faClientRight, 0, 500, 13, 1);
    auto *leftOnly = add(TRLControlAlign::faLeftOnly, 100, 50, 10, 10);
    auto *rightOnly = add(TRLControlAlign::faRightOnly, 100, 50, 10, 10);
    auto *topOnly = add(TRLControlAlign::faTopOnly, 100, 50, 10, 10);
    auto *bottomOnly = add(TRLControlAlign::faBottomOnly, 100, 50, 10, 10);
    auto *height = add(TRLControlAlign::faHeight, 100, 50, 10, 10);
    auto *width = add(TRLControlAlign::faWidth, 100, 50, 10, 10);
    auto *center = add(TRLControlAlign::faCenter, 0, 0, 20, 10);
    auto *centerLeft = add(TRLControlAlign::faCenterLeft, 0, 0, 20, 10);
    auto *centerTop = add(TRLControlAlign::faCenterTop, 0, 0, 20, 10);
    auto *centerRight = add(TRLControlAlign::faCenterRight, 0, 0, 20, 10);
    auto *centerBottom = add(TRLControlAlign::faCenterBottom, 0, 0, 20, 10);
    site.RealignControls();

    EXPECT_EQ(bounds(leftMost), rectOf(0, 0, 10, 200));
    EXPECT_EQ(bounds(rightMost), rectOf(280, 0, 20, 200));
    EXPECT_EQ(bounds(top), rectOf(10, 0, 270, 15));
    EXPECT_EQ(bounds(bottom), rectOf(10, 175, 270, 25));
    EXPECT_EQ(bounds(left), rectOf(10, 15, 30, 160));
    EXPECT_EQ(bounds(right), rectOf(240, 15, 40, 160));
    // 200 / 3 = 66 each, the last one takes what is left.
    EXPECT_EQ(bounds(client1), rectOf(40, 15, 66, 160));
    EXPECT_EQ(bounds(client2), rectOf(106, 15, 66, 160));
    EXPECT_EQ(bounds(client3), rectOf(172, 15, 68, 160));
    // Steps 8 on work in the rectangle left after the side aligns, not after
    // the client ones.
    EXPECT_EQ(bounds(leftTop), rectOf(40, 15, 12, 7));
    EXPECT_EQ(bounds(rightTop), rectOf(226, 15, 14, 9));
    EXPECT_EQ(bounds(clientTop), rectOf(52, 15, 174, 5));
    EXPECT_EQ(bounds(leftBottom), rectOf(40, 167, 12, 8));
    EXPECT_EQ(bounds(rightBottom), rectOf(230, 169, 10, 6));
    EXPECT_EQ(bounds(clientBottom), rectOf(52, 171, 178, 4));
    // Between the top row (9 high) and the bottom row (8 high): 143 pixels.
    EXPECT_EQ(bounds(clientLeft), rectOf(40, 24, 11, 143));
    EXPECT_EQ(bounds(clientRight1), rectOf(227, 24, 13, 71));
    EXPECT_EQ(bounds(clientRight2), rectOf(227, 95, 13, 72));
    EXPECT_EQ(bounds(leftOnly), rectOf(40, 50, 10, 10));
    EXPECT_EQ(bounds(rightOnly), rectOf(230, 50, 10, 10));
    EXPECT_EQ(bounds(topOnly), rectOf(100, 15, 10, 10));
    EXPECT_EQ(bounds(bottomOnly), rectOf(100, 165, 10, 10));
    EXPECT_EQ(bounds(height), rectOf(100, 15, 10, 160));
    EXPECT_EQ(bounds(width), rectOf(40, 50, 200, 10));
    EXPECT_EQ(bounds(center), rectOf(130, 90, 20, 10));
    EXPECT_EQ(bounds(centerLeft), rectOf(40, 90, 20, 10));
    EXPECT_EQ(bounds(centerTop), rectOf(130, 15, 20, 10));
    EXPECT_EQ(bounds(centerRight), rectOf(220, 90, 20, 10));
    EXPECT_EQ(bounds(centerBottom), rectOf(130, 165, 20, 10));
}

TEST_F(Alignment, ControlsKeepTheOrderOfTheirEdges)
{
    // Created in the opposite order of their edges.
    auto *b = addQuiet(TRLControlAlign::faLeft, 50, 0, 20, 1);
    auto *a = addQuiet(TRLControlAlign::faLeft, 10, 0, 10, 1);
    auto *far = addQuiet(TRLControlAlign::faRight, 0, 0, 5, 1);
    auto *near = addQuiet(TRLControlAlign::faRight, 299, 0, 7, 1);
    auto *low = addQuiet(TRLControlAlign::faBottom, 0, 100, 1, 3);
    auto *lower = addQuiet(TRLControlAlign::faBottom, 0, 190, 1, 4);
    auto *lt2 = addQuiet(TRLControlAlign::faLeftTop, 200, 0, 6, 2);
    auto *lt1 = addQuiet(TRLControlAlign::faLeftTop, 100, 0, 4, 2);
    auto *rt2 = addQuiet(TRLControlAlign::faRightTop, 100, 0, 6, 2);
    auto *rt1 = addQuiet(TRLControlAlign::faRightTop, 200, 0, 4, 2);
    auto *cl2 = addQuiet(TRLControlAlign::faClientLeft, 0, 150, 3, 1);
    auto *cl1 = addQuiet(TRLControlAlign::faClientLeft, 0, 20, 3, 1);
    auto *cb2 = addQuiet(TRLControlAlign::faClientBottom, 200, 0, 1, 2);
    auto *cb1 = addQuiet(TRLControlAlign::faClientBottom, 100, 0, 1, 2);
    site.RealignControls();
    EXPECT_EQ(a->Left(), 0);
    EXPECT_EQ(b->Left(), 10);
    EXPECT_EQ(near->Left(), 300 - 7);
    EXPECT_EQ(far->Left(), 300 - 7 - 5);
    EXPECT_EQ(lower->Top(), 196);
    EXPECT_EQ(low->Top(), 193);
    // Along the edges of what is left, too.
    EXPECT_EQ(lt1->Left(), 30);
    EXPECT_EQ(lt2->Left(), 34);
    EXPECT_EQ(rt1->Left(), 288 - 4);
    EXPECT_EQ(rt2->Left(), 288 - 4 - 6);
    EXPECT_LT(cl1->Top(), cl2->Top());
    EXPECT_LT(cb1->Left(), cb2->Left());
}

TEST_F(Alignment, BandsStackByTypeThenGroup)
{
    TRLReport report;
    auto *footer = report.AddChild<TRLBand>();
    footer->SetBandType(TRLBandType::btFooter);
    auto *detail2 = report.AddChild<TRLBand>();
    detail2->SetGroupIndex(2);
    auto *detail1 = report.AddChild<TRLBand>();
    detail1->SetGroupIndex(1);
    auto *header = report.AddChild<TRLBand>();
    header->SetBandType(TRLBandType::btHeader);
    report.RealignControls();
    EXPECT_EQ(header->Top(), 38);
    EXPECT_EQ(detail1->Top(), 38 + 16);
    EXPECT_EQ(detail2->Top(), 38 + 32);
    EXPECT_EQ(footer->Top(), 38 + 48);
}

TEST_F(Alignment, AnchorsFollowTheSiteSize)
{
    auto *right = add(TRLControlAlign::faNone, 50, 50, 10, 10);
    right->SetAnchors(TRLControlAnchors{TRLControlAnchorsType::fkRight});
    auto *stretched = add(TRLControlAlign::faNone, 50, 50, 10, 10);
    stretched->SetAnchors(TRLControlAnchors{TRLControlAnchorsType::fkLeft, TRLControlAnchorsType::fkRight,
                                            TRLControlAnchorsType::fkTop, TRLControlAnchorsType::fkBottom});
    auto *bottom = add(TRLControlAlign::faNone, 50, 50, 10, 10);
    bottom->SetAnchors(TRLControlAnchors{TRLControlAnchorsType::fkBottom});
    auto *still = add(TRLControlAlign::faNone, 50, 50, 10, 10);
    site.SetBounds(0, 0, 330, 220);
    EXPECT_EQ(bounds(right), rectOf(80, 50, 10, 10));
    EXPECT_EQ(bounds(stretched), rectOf(50, 50, 40, 30));
    EXPECT_EQ(bounds(bottom), rectOf(50, 70, 10, 10));
    EXPECT_EQ(bounds(still), rectOf(50, 50, 10, 10));
    site.SetBounds(0, 0, 300, 200);
    EXPECT_EQ(bounds(right), rectOf(50, 50, 10, 10));
    EXPECT_EQ(bounds(stretched), rectOf(50, 50, 10, 10));
}

// ---------------------------------------------------------------------------
// Colours, borders and client rectangles

TEST_F(Layout, ColoursAndTransparency)
{
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("x"));
    ASSERT_TRUE(l->Transparent());
    l->SetColor(clWhite);
    EXPECT_TRUE(l->Transparent());
    band->SetColor(clYellow);
    EXPECT_EQ(l->Color(), clYellow); // a transparent control shows its parent's colour
    l->SetColor(clRed);
    EXPECT_FALSE(l->Transparent());
    EXPECT_EQ(l->Color(), clRed);
    l->SetTransparent(true);
    EXPECT_EQ(l->Color(), clYellow);

    // A transparent report is white.
    report.SetColor(clAqua);
    EXPECT_FALSE(report.Transparent());
    report.SetTransparent(true);
    EXPECT_EQ(report.Color(), clWhite);
}

TEST_F(Layout, BordersAddToTheMeasuredSize)
{
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("Total"));
    const int w = measured(*l, "Total"), h = lineHeight(*l);
    l->Borders().SetWidth(2);
    l->Borders().SetDrawLeft(true);
    l->Borders().SetDrawRight(true);
    l->Borders().SetDrawTop(true);
    EXPECT_EQ(l->Width(), w + 2 * 3);
    EXPECT_EQ(l->Height(), h + 3);
    EXPECT_EQ(l->ClientRect(), (TRect{3, 3, l->Width() - 3, l->Height()}));

    // With fixed-only printing just the fixed sides count.
    report.SetPrintQuality(TRLPrintQuality::pqFixedOnly);
    l->Borders().SetFixedLeft(true);
    EXPECT_FALSE(l->Borders().CanDrawTop());
    EXPECT_FALSE(l->Borders().CanDrawRight());
    EXPECT_TRUE(l->Borders().CanDrawLeft());
    EXPECT_EQ(l->Width(), w + 3);
    EXPECT_EQ(l->Height(), h);
    report.SetPrintQuality(TRLPrintQuality::pqFullFeature);

    // A border of width 0 is neither measured nor drawn.
    l->Borders().SetWidth(0);
    EXPECT_EQ(l->Width(), w);
    EXPECT_EQ(l->Height(), h);
    EXPECT_EQ(l->ClientRect(), (TRect{0, 0, w, h}));
    TRLGraphicSurface s;
    l->Borders().PaintTo(s, TRect{0, 0, 50, 50});
    EXPECT_EQ(s.ObjectCount(), 0);

    l->Borders().SetSides(TRLBorderSides::sdNone);
    l->Borders().SetWidth(1);
    EXPECT_FALSE(l->Borders().DrawLeft());
    EXPECT_FALSE(l->Borders().FixedLeft());
    l->Borders().SetSides(TRLBorderSides::sdAll);
    EXPECT_TRUE(l->Borders().DrawBottom());
}

TEST_F(Layout, BordersPaintOneFilledRectanglePerSide)
{
    TRLBorders &b = band->Borders();
    b.SetWidth(3);
    b.SetColor(clBlue);
    b.SetSides(TRLBorderSides::sdAll);
    TRLGraphicSurface s;
    b.PaintTo(s, TRect{10, 20, 110, 70});
    ASSERT_EQ(s.ObjectCount(), 4);
    const TRect expected[] = {{10, 20, 13, 70}, {10, 20, 110, 23}, {107, 20, 110, 70}, {10, 67, 110, 70}};
    for (int i = 0; i < 4; ++i) {
        auto *r = dynamic_cast<TRLRectangleObject *>(s.Objects(i));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->BoundsRect(), expected[i]);
        EXPECT_EQ(r->Brush().Color(), (TRLMetaColor{0, 0, 255}));
        EXPECT_EQ(r->Brush().Style(), MetaBrushStyleSolid);
        EXPECT_EQ(r->Pen().Width(), 1);
    }
    // Without a master report only fixed sides print.
    TRLBand orphan(nullptr);
    orphan.Borders().SetSides(TRLBorderSides::sdAll);
    orphan.Borders().SetFixedBottom(true);
    TRLGraphicSurface s2;
    orphan.Borders().PaintTo(s2, TRect{0, 0, 10, 10});
    ASSERT_EQ(s2.ObjectCount(), 1);
    EXPECT_EQ(s2.Objects(0)->BoundsRect(), (TRect{0, 9, 10, 10}));
}

TEST_F(Layout, SiteClientRectangleIsMarginsThenBordersThenInsideMargins)
{
    band->Margins().SetLeftMargin(2); // 8 px
    band->Borders().SetWidth(3);
    band->Borders().SetDrawLeft(true);
    band->Borders().SetDrawBottom(true);
    band->InsideMargins().SetLeftMargin(1); // 4 px
    band->InsideMargins().SetBottomMargin(1);
    const TRect c = band->ClientRect();
    EXPECT_EQ(c.Left, 8 + 3 + 4);
    EXPECT_EQ(c.Top, 0);
    EXPECT_EQ(c.Right, band->Width());
    EXPECT_EQ(c.Bottom, band->Height() - 3 - 4);
    // A border of width 0 does not shrink it.
    band->Borders().SetWidth(0);
    EXPECT_EQ(band->ClientRect().Left, 8 + 4);
    // A child aligned to the client area follows.
    auto *c1 = band->AddChild<TRLCustomControl>();
    c1->SetBounds(0, 0, 5, 5);
    c1->SetAlign(TRLControlAlign::faLeftOnly);
    EXPECT_EQ(c1->Left(), 12);
}

// Client rectangles are kept between layout steps: each change of what
// surrounds a client area, made after it was asked for, shows at once.
TEST_F(Layout, ClientRectanglesFollowEveryChangeAroundThem)
{
    band->Borders().SetWidth(2);
    band->Borders().SetDrawLeft(true); // not fixed: drawn with full features only
    TRLReport next;
    next.SetName(QStringLiteral("next"));
    TRLBand *nextBand = next.AddChild<TRLBand>();
    nextBand->Borders().SetWidth(2);
    nextBand->Borders().SetDrawLeft(true);
    auto printerLeft = [&](TRLPageOrientation o) { return PrinterMarginPixels(report.PrinterMetrics(), o).Left; };
    const struct {
        const char *change;
        std::function<void()> make;
        const TRLCustomControl *control;
        std::function<int()> left;
    } steps[] = {
        {"asked first", [] {}, band, [] { return 2; }},
        {"fixed-only printing", [&] { report.SetPrintQuality(TRLPrintQuality::pqFixedOnly); }, band, [] { return 0; }},
        {"the side fixed", [&] { band->Borders().SetFixedLeft(true); }, band, [] { return 2; }},
        {"a margin", [&] { band->Margins().SetLeftMargin(1); }, band, [] { return 4 + 2; }},
        {"an inside margin", [&] { band->InsideMargins().SetLeftMargin(1); }, band, [] { return 4 + 2 + 4; }},
        {"another report on its own", [] {}, nextBand, [] { return 2; }},
        {"chained after the fixed-only one", [&] { report.SetNextReport(&next); }, nextBand, [] { return 0; }},
        {"full features again", [&] { report.SetPrintQuality(TRLPrintQuality::pqFullFeature); }, nextBand,
         [] { return 2; }},
        {"no margin of its own", [&] { report.Margins().SetLeftMargin(0); }, &report, [] { return 0; }},
        {"the printer's margins", [&] { report.SetAdjustableMargins(true); }, &report,
         [&] { return printerLeft(TRLPageOrientation::poPortrait); }},
        {"the page turned", [&] { report.PageSetup().SetOrientation(TRLPageOrientation::poLandscape); }, &report,
         [&] { return printerLeft(TRLPageOrientation::poLandscape); }},
    };
    for (const auto &step : steps) {
        step.make();
        EXPECT_EQ(step.control->ClientRect().Left, step.left()) << step.change;
    }
    report.SetNextReport(nullptr);
}

// ---------------------------------------------------------------------------
// Bands, chains and ancestors

TEST_F(Layout, CarbonCopiesAndGroups)
{
    band->SetCarbonCopies(0);
    EXPECT_EQ(band->CarbonCopies(), 1);
    band->SetCarbonCopies(-4);
    EXPECT_EQ(band->CarbonCopies(), 1);
    band->SetGroupIndex(-2);
    EXPECT_EQ(band->GroupIndex(), 0);

    auto *a = report.AddChild<TRLBand>();
    auto *b = report.AddChild<TRLBand>();
    auto *c = report.AddChild<TRLBand>();
    a->SetGroupIndex(2);
    b->SetGroupIndex(2);
    a->SetCarbonCopies(3);
    EXPECT_EQ(b->CarbonCopies(), 3);
    EXPECT_EQ(band->CarbonCopies(), 1); // outside the group
    c->SetCarbonCopies(5);
    c->SetGroupIndex(2); // joins with the group's count
    EXPECT_EQ(c->CarbonCopies(), 3);
    b->SetCarbonCopies(4);
    EXPECT_EQ(a->CarbonCopies(), 4);
    EXPECT_EQ(c->CarbonCopies(), 4);
    // Group 0 shares nothing.
    band->SetCarbonCopies(2);
    EXPECT_EQ(a->CarbonCopies(), 4);
}

TEST(CompositeChain, BothSidesAreKept)
{
    TRLReport r1, r2, r3;
    r1.SetNextReport(&r2);
    EXPECT_EQ(r2.PriorReport(), &r1);
    r3.SetPriorReport(&r1);
    EXPECT_EQ(r1.NextReport(), &r3);
    EXPECT_EQ(r2.PriorReport(), nullptr);
    r2.SetNextReport(&r3);
    EXPECT_EQ(r3.PriorReport(), &r2);
    EXPECT_EQ(r1.NextReport(), nullptr);
    r1.SetNextReport(&r1);
    EXPECT_EQ(r1.NextReport(), nullptr);
    r1.SetNextReport(&r2);
    auto *inner = r3.AddChild<TRLBand>();
    EXPECT_EQ(inner->MasterReport(), &r1);
    EXPECT_EQ(r1.LastReport(), &r3);
    r3.SetPriorReport(nullptr);
    EXPECT_EQ(r2.NextReport(), nullptr);
    EXPECT_EQ(inner->MasterReport(), &r3);
    {
        TRLReport gone;
        gone.SetPriorReport(&r3);
        EXPECT_EQ(r3.NextReport(), &gone);
    }
    EXPECT_EQ(r3.NextReport(), nullptr);
}

TEST_F(Layout, AncestorsAndTheErrorsOfMissingOnes)
{
    auto *group = report.AddChild<TRLCustomGroup>();
    auto *inGroup = group->AddChild<TRLBand>();
    auto *label = inGroup->AddChild<TRLCustomLabel>();
    EXPECT_EQ(label->FindParentBand(), inGroup);
    EXPECT_EQ(label->FindParentSite(), inGroup);
    EXPECT_EQ(label->FindParentGroup(), group);
    EXPECT_EQ(label->FindParentPager(), group);
    EXPECT_EQ(label->FindParentSkipper(), &report);
    EXPECT_EQ(label->FindParentReport(), &report);
    EXPECT_EQ(band->FindParentGroup(), nullptr);
    // The report and the skipper are found from themselves.
    EXPECT_EQ(report.FindParentSkipper(), &report);
    EXPECT_EQ(report.FindParentReport(), &report);
    EXPECT_EQ(report.FindParentPager(), nullptr);
    EXPECT_EQ(label->RequestParentSurface(), &inGroup->Surface());

    TRLBand orphan(nullptr);
    orphan.SetName(QStringLiteral("solta"));
    auto message = [](auto &&call) {
        try {
            call();
        } catch (const Exception &e) {
            return e.message();
        }
        return QStringLiteral("no error");
    };
    const QString prefix = LS().LS_NotFoundStr + QStringLiteral(": solta");
    EXPECT_EQ(message([&] { orphan.RequestParentPager(); }), prefix + QStringLiteral(".ParentPager"));
    EXPECT_EQ(message([&] { orphan.RequestParentSkipper(); }), prefix + QStringLiteral(".ParentSkipper"));
    EXPECT_EQ(message([&] { orphan.RequestParentReport(); }), prefix + QStringLiteral(".ParentReport"));
    EXPECT_EQ(message([&] { orphan.RequestParentSurface(); }), prefix + QStringLiteral(".ParentSurface"));
}

// ---------------------------------------------------------------------------
// Captions

namespace {
class OneField : public TField {
public:
    QString FieldName() const override { return QStringLiteral("LINHA"); }
    QString DisplayText() const override { return value; }
    QString DisplayLabel() const override { return label; }
    QString value = QStringLiteral("valor");
    QString label = QStringLiteral("Linha do relatório");
};
class OneRecord : public TDataSet {
public:
    bool Active() const override { return active; }
    int RecordCount() const override { return 1; }
    void First() override { eof = false; }
    void Next() override { eof = true; }
    bool Eof() const override { return eof; }
    TField *FindField(const QString &name) override
    {
        return name.compare(field.FieldName(), Qt::CaseInsensitive) == 0 ? &field : nullptr;
    }
    OneField field;
    bool active = true, eof = false;
};
} // namespace

TEST_F(Layout, DataTextCaptionOutsidePreparation)
{
    OneRecord data;
    TDataSource source(&data);
    auto *t = band->AddChild<TRLDBText>();
    t->SetName(QStringLiteral("dbt"));
    auto text = [&] {
        QString s;
        t->InternalMakeCaption(s);
        return s;
    };
    EXPECT_EQ(text(), QStringLiteral("dbt"));
    t->SetDataFormula(QStringLiteral("A+B"));
    EXPECT_EQ(text(), QStringLiteral("(A+B)"));
    t->SetDataField(QStringLiteral("LINHA"));
    EXPECT_TRUE(t->DataFormula().isEmpty());
    EXPECT_EQ(text(), QStringLiteral("LINHA")); // no data source: the field name
    t->SetDataSource(&source);
    EXPECT_EQ(t->Field(), &data.field);
    EXPECT_EQ(text(), QStringLiteral("Linha do relatório"));
    t->SetDataField(QStringLiteral("OUTRO"));
    EXPECT_EQ(t->Field(), nullptr);
    EXPECT_EQ(text(), QStringLiteral("OUTRO"));
    t->SetDataFormula(QStringLiteral("X"));
    EXPECT_TRUE(t->DataField().isEmpty());
    t->SetFriendlyName(QStringLiteral("Amigo"));
    EXPECT_EQ(text(), QStringLiteral("Amigo"));

    // The mask: the first '#' takes the text, otherwise it is appended.
    t->SetText(QStringLiteral("[#] #"));
    EXPECT_EQ(text(), QStringLiteral("[Amigo] #"));
    t->SetText(QStringLiteral("Nome: "));
    EXPECT_EQ(text(), QStringLiteral("Nome: Amigo"));
}

TEST_F(Layout, CaptionsWhilePreparingLeaveTheDesignCaption)
{
    OneRecord data;
    TDataSource source(&data);
    report.SetDataSource(&source);
    band->SetAutoSize(true);
    TRLCustomLabel *l = addLabel(QStringLiteral("l"), QStringLiteral("Design"));
    auto *t = band->AddChild<TRLDBText>();
    t->SetName(QStringLiteral("t"));
    t->SetDataSource(&source);
    t->SetDataField(QStringLiteral("LINHA"));
    t->SetText(QStringLiteral("<#>"));
    QString seenLabel, seenText, captionInHandler;
    l->BeforeText = [&](TRLCustomControl *, QString &text, bool &) {
        seenLabel = text;
        text = QStringLiteral("Prepared");
    };
    t->BeforeText = [&](TRLCustomControl *, QString &text, bool &) { seenText = text; };
    t->AfterPrint = [&](TRLCustomControl *) { captionInHandler = l->Caption(); };
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(seenLabel, QStringLiteral("Design"));
    EXPECT_EQ(seenText, QStringLiteral("<valor>"));
    EXPECT_EQ(captionInHandler, QStringLiteral("Prepared"));
    EXPECT_EQ(l->Caption(), QStringLiteral("Design"));
    EXPECT_EQ(l->Width(), measured(*l, "Design"));
}
