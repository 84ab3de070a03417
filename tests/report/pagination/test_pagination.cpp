// Pagination on a report of the engine's own: bands laid out into pages,
// breaks by height, MaxBands, page numbers, splits at a free row,
// cancelling and failures.
#include "data/LineTable.h"
#include "platform/graphics/canvas.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "support/capture_filter.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace prenso;
using namespace prenso::test;
using prenso::test::CapturedPage;
using prenso::test::capturePage;

namespace {

// A report like the program's: one detail band holding one text control on
// the LINHA field, a 16-pixel line unless a test changes the band.
class Pagination : public ::testing::Test {
protected:
    Pagination() : source(&table)
    {
        report.SetName(QStringLiteral("rep"));
        report.SetShowProgress(false);
        report.SetDataSource(&source);
        band = report.AddChild<TRLBand>();
        band->SetName(QStringLiteral("band"));
        band->SetAutoSize(true);
        band->SetAutoExpand(false);
        text = band->AddChild<TRLDBText>();
        text->SetName(QStringLiteral("text"));
        text->SetBounds(16, 0, 41, 16);
        text->SetAlign(TRLControlAlign::faTopOnly);
        text->SetDataSource(&source);
        text->SetDataField(QStringLiteral("LINHA"));
        TFont font;
        font.SetName(QStringLiteral("Courier New"));
        for (int em = 4; em < 60; ++em) {
            font.SetHeight(-em);
            if (font.Resource().height() == 16)
                break;
        }
        text->SetFont(font);
        table.CreateDataSet();
    }

    void addLines(int count, const std::string &prefix = "l")
    {
        for (int i = 1; i <= count; ++i)
            table.AppendLine(++lines, prefix + std::to_string(i));
    }

    std::vector<CapturedPage> pages()
    {
        std::vector<CapturedPage> out;
        for (int i = 0; i < report.Pages().PageCount(); ++i)
            out.push_back(capturePage(*report.Pages().Pages(i)));
        return out;
    }

    std::vector<int> counts()
    {
        std::vector<int> c;
        for (const CapturedPage &p : pages())
            c.push_back(static_cast<int>(p.texts.size()));
        return c;
    }

    TLineTable table;
    TDataSource source;
    TRLReport report;
    TRLBand *band = nullptr;
    TRLDBText *text = nullptr;
    int lines = 0;
};

} // namespace

TEST_F(Pagination, BandGeometryFollowsTheMargins)
{
    EXPECT_EQ(report.Width(), 794);
    EXPECT_EQ(report.Height(), 1123);
    EXPECT_EQ(band->Left(), 38);
    EXPECT_EQ(band->Top(), 38);
    EXPECT_EQ(band->Width(), 718);
    report.PageSetup().SetOrientation(TRLPageOrientation::poLandscape);
    EXPECT_EQ(report.Width(), 1123);
    EXPECT_EQ(report.Height(), 794);
    EXPECT_EQ(band->Width(), 1047);
}

TEST_F(Pagination, MaxBandsLimitsDetailsPerPage)
{
    addLines(8);
    report.SetMaxBands(3);
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(counts(), (std::vector<int>{3, 3, 2}));
}

TEST_F(Pagination, PageNumbersStartAtFirstPageNumber)
{
    addLines(140);
    report.SetFirstPageNumber(5);
    ASSERT_TRUE(report.Prepare());
    ASSERT_EQ(report.Pages().PageCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(report.Pages().Pages(i)->Macros().Value("PageNo"), std::to_string(5 + i));
    EXPECT_EQ(report.Pages().LastPageNumber(), 7);
    EXPECT_EQ(report.Pages().FirstPageNumber(), 5);
    EXPECT_EQ(report.PageIndex(), 2);
    EXPECT_EQ(report.ReportState(), TRLReportState::rsReady);
}

TEST_F(Pagination, EmptyTable)
{
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(counts(), std::vector<int>{0});
    report.SetPrintEmpty(false);
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(report.Pages().PageCount(), 0);
    // A closed table gives no records either.
    table.Close();
    report.SetPrintEmpty(true);
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(report.Pages().PageCount(), 1);
}

TEST_F(Pagination, StorageDescribesThePages)
{
    addLines(1);
    report.SetTitle(QStringLiteral("Nota"));
    report.PageSetup().SetOrientation(TRLPageOrientation::poLandscape);
    ASSERT_TRUE(report.Prepare());
    TRLGraphicStorage &s = report.Pages();
    EXPECT_EQ(s.Title(), QStringLiteral("Nota"));
    EXPECT_EQ(s.JobTitle(), QStringLiteral("Nota"));
    EXPECT_EQ(s.Orientation(), TRLPageOrientation::poLandscape);
    EXPECT_EQ(s.Macros().Value("Orientation"), "2");
    EXPECT_DOUBLE_EQ(s.PaperWidth(), 210.0);
    EXPECT_DOUBLE_EQ(s.PaperHeight(), 297.0);
    // Without titles the job is named after the program, the form and the report.
    report.SetTitle(QString());
    report.SetJobTitle(QString());
    ASSERT_TRUE(report.Prepare());
    EXPECT_TRUE(s.JobTitle().contains(QStringLiteral(".rep"))) << s.JobTitle().toStdString();
    EXPECT_TRUE(s.JobTitle().startsWith(FormatDefaultJobTitle(QString()).left(3)));
}

TEST_F(Pagination, BandTallerThanTheSpaceLeftSplitsAtAFreeRow)
{
    // Records of one 90-pixel band holding five 16-pixel labels, which may
    // split between pages.
    band->SetVisible(false);
    TRLBand *tall = report.AddChild<TRLBand>();
    tall->SetName(QStringLiteral("tall"));
    tall->SetAutoSize(false);
    tall->SetHeight(90);
    tall->SetIntegralHeight(false);
    for (int i = 0; i < 5; ++i) {
        TRLCustomLabel *l = tall->AddChild<TRLCustomLabel>();
        l->SetName(QStringLiteral("lab%1").arg(i));
        l->SetAutoSize(false);
        l->SetBounds(0, i * 16, 100, 16);
        l->SetCaption(QStringLiteral("c%1").arg(i));
    }
    addLines(14);
    ASSERT_TRUE(report.Prepare());
    auto p = pages();
    ASSERT_EQ(p.size(), 2u);
    // Eleven whole records fill rows 38 to 1028; of the twelfth, 57 pixels
    // are left: the split falls at 48, under the third label, not through
    // the fourth.
    ASSERT_EQ(p[0].texts.size(), 11u * 5 + 3);
    EXPECT_EQ(p[0].texts.back().text, "c2");
    EXPECT_EQ(p[0].texts.back().top, 1028 + 32);
    ASSERT_GE(p[1].texts.size(), 2u);
    EXPECT_EQ(p[1].texts[0].text, "c3");
    EXPECT_EQ(p[1].texts[0].top, 38);
    EXPECT_EQ(p[1].texts[1].text, "c4");
    // The next record starts right under the rest of the split one.
    EXPECT_EQ(p[1].texts[2].text, "c0");
    EXPECT_EQ(p[1].texts[2].top, 38 + 42);
    EXPECT_EQ(p[1].texts.size(), 2u + 2 * 5);

    // With IntegralHeight the record moves whole to the next page instead.
    tall->SetIntegralHeight(true);
    ASSERT_TRUE(report.Prepare());
    p = pages();
    ASSERT_EQ(p[0].texts.size(), 11u * 5);
    EXPECT_EQ(p[1].texts[0].text, "c0");
    EXPECT_EQ(p[1].texts[0].top, 38);
}

TEST_F(Pagination, CancelStopsAfterTheCurrentRecordAndShowsNothing)
{
    addLines(300);
    int calls = 0;
    band->AfterPrint = [&](TRLCustomControl *) {
        if (++calls == 10)
            report.Cancel();
    };
    int boxes = 0;
    {
        ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &) { ++boxes; });
        EXPECT_FALSE(report.Prepare());
    }
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(report.ReportState(), TRLReportState::rsAbout);
    // The last page was still finished and stored.
    EXPECT_EQ(report.Pages().PageCount(), 1);
}

TEST_F(Pagination, FailureIsShownWithTheReportNameAndKind)
{
    addLines(3);
    text->BeforeText = [](TRLCustomControl *, QString &t, bool &) {
        if (t == QLatin1String("l2"))
            throw EConvertError(QStringLiteral("ruim"));
    };
    QString shown;
    {
        ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &t) { shown = t; });
        EXPECT_FALSE(report.Prepare());
    }
    EXPECT_EQ(shown, QStringLiteral("rep: ") + LS().LS_PrepareErrorStr + QStringLiteral("\nEConvertError(ruim)"));
    EXPECT_EQ(report.ReportState(), TRLReportState::rsAbout);
    // The report prepares again from scratch afterwards.
    text->BeforeText = nullptr;
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(counts(), std::vector<int>{3});
}

// The report's own BeforePrint may refuse: nothing is prepared, and the
// report is idle again, as after any preparation that did not finish.
TEST_F(Pagination, ARefusalByTheReportsBeforePrintLeavesItIdle)
{
    addLines(3);
    text->SetCaption(QStringLiteral("design"));
    ASSERT_TRUE(report.Prepare()); // the preparing caption is now the last line
    report.BeforePrint = [](TRLCustomControl *, bool &printIt) { printIt = false; };
    EXPECT_FALSE(report.Prepare());
    EXPECT_EQ(report.ReportState(), TRLReportState::rsAbout);
    EXPECT_EQ(report.Pages().PageCount(), 0);
    EXPECT_EQ(text->Caption(), QStringLiteral("design")) << "the caption of a report being prepared";

    // Once the handler agrees, printing prepares and prints.
    report.BeforePrint = nullptr;
    test::CaptureFilter capture;
    report.SetDefaultFilter(&capture);
    report.Print();
    SetSelectedFilter(nullptr);
    ASSERT_EQ(capture.pages.size(), 1u);
    EXPECT_EQ(capture.pages[0].texts.size(), 3u);
}

TEST_F(Pagination, BreakBeforeAndAfterPrint)
{
    addLines(4);
    band->SetPageBreaking(TRLPageBreaking::pbBeforePrint);
    ASSERT_TRUE(report.Prepare());
    // The first band of a page never breaks; each later one does.
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1, 1}));
    band->SetPageBreaking(TRLPageBreaking::pbAfterPrint);
    ASSERT_TRUE(report.Prepare());
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1, 1}));
}

TEST_F(Pagination, CarbonCopiesRepeatEachBand)
{
    addLines(2);
    band->SetCarbonCopies(0);
    EXPECT_EQ(band->CarbonCopies(), 1);
    band->SetCarbonCopies(3);
    ASSERT_TRUE(report.Prepare());
    auto p = pages();
    ASSERT_EQ(p.size(), 1u);
    ASSERT_EQ(p[0].texts.size(), 6u);
    EXPECT_EQ(p[0].texts[2].text, "l1");
    EXPECT_EQ(p[0].texts[3].text, "l2");
    EXPECT_EQ(p[0].texts[3].top, 38 + 3 * 16);
}

TEST_F(Pagination, MissingAncestorsNameTheControl)
{
    TRLBand orphanParent(nullptr);
    orphanParent.SetName(QStringLiteral("solta"));
    try {
        orphanParent.RequestParentPager();
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), LS().LS_NotFoundStr + QStringLiteral(": solta.ParentPager"));
    }
}

TEST_F(Pagination, PrintFiltersTheStoredPages)
{
    addLines(200);
    test::CaptureFilter capture;
    capture.SetName(QStringLiteral("cap"));
    report.SetDefaultFilter(&capture);
    report.Print();
    EXPECT_EQ(capture.pages.size(), 4u);
    EXPECT_EQ(capture.beginDocs, 1);
    EXPECT_EQ(capture.endDocs, 1);
    EXPECT_EQ(capture.newPages, 3);
    EXPECT_EQ(SelectedFilter(), &capture);
    // Printing again does not prepare again.
    table.AppendLine(++lines, "late");
    report.Print();
    EXPECT_EQ(capture.pages.size(), 8u);
    SetSelectedFilter(nullptr);
}
