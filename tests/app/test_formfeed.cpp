// Form-feed page breaks on the real report layouts of the main form: which
// lines land on which page, and at which row.
#include "app/Principal.h"
#include "platform/graphics/canvas.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "support/capture_filter.h"

#include <gtest/gtest.h>

using namespace prenso;
using prenso::test::CapturedPage;
using prenso::test::capturePage;

namespace {

// A font whose line is `pixels` high (by its character height in pixels),
// or one with an empty name when there is none.
TFont fontForLineHeight(const QString &name, int pixels)
{
    for (int em = 4; em < 60; ++em) {
        TFont f;
        f.SetName(name);
        f.SetHeight(-em);
        if (f.Resource().height() == pixels)
            return f;
    }
    return TFont{};
}

class FormFeed : public ::testing::Test {
protected:
    FormFeed() : form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")}) {}

    // Lays the lines out on the chosen report with a 16-pixel line and returns
    // the stored pages.
    std::vector<CapturedPage> layOut(const std::vector<std::string> &lines, bool landscape = false)
    {
        const TFont font = fontForLineHeight(QStringLiteral("Courier New"), 16);
        EXPECT_FALSE(font.Name().isEmpty()) << "no Courier New height gives a 16-pixel line here";
        TLineTable &table = form.cdsLinhaRelatorio;
        table.CreateDataSet();
        int n = 0;
        for (const std::string &line : lines)
            table.AppendLine(++n, line);
        TRLReport *report = landscape ? form.rlrPaisagem : form.rlrRetrato;
        TRLDBText *text = landscape ? form.rldbtxtLinhaP : form.rldbtxtLinha;
        text->SetFont(font);
        report->SetShowProgress(false);
        EXPECT_TRUE(report->Prepare());
        std::vector<CapturedPage> pages;
        for (int i = 0; i < report->Pages().PageCount(); ++i)
            pages.push_back(capturePage(*report->Pages().Pages(i)));
        return pages;
    }

    static std::vector<int> counts(const std::vector<CapturedPage> &pages)
    {
        std::vector<int> c;
        for (const CapturedPage &p : pages)
            c.push_back(static_cast<int>(p.texts.size()));
        return c;
    }

    static std::vector<std::string> numbered(int count, const std::string &prefix = "linha ")
    {
        std::vector<std::string> lines;
        for (int i = 1; i <= count; ++i)
            lines.push_back(prefix + std::to_string(i));
        return lines;
    }

    TfrmPrincipal form;
};

} // namespace

TEST_F(FormFeed, PagesBreakByHeight)
{
    auto pages = layOut(numbered(130));
    EXPECT_EQ(counts(pages), (std::vector<int>{65, 65}));
    ASSERT_EQ(pages.size(), 2u);
    // The 66th line starts page 2 at the top margin, 16 pixels right of the band.
    EXPECT_EQ(pages[1].texts.front().text, "linha 66");
    EXPECT_EQ(pages[1].texts.front().top, 38);
    EXPECT_EQ(pages[0].texts.back().top, 38 + 64 * 16);
    EXPECT_EQ(pages[0].texts.front().left, 38 + 16);
    EXPECT_EQ(pages[0].width, 794);
    EXPECT_EQ(pages[0].height, 1123);

    form.cdsLinhaRelatorio.Close();
    auto wide = layOut(numbered(130), true);
    EXPECT_EQ(counts(wide), (std::vector<int>{44, 44, 42}));
    EXPECT_EQ(wide[0].width, 1123);
    EXPECT_EQ(wide[0].orientation, TRLPageOrientation::poLandscape);
}

TEST_F(FormFeed, LineWithFormFeedStartsTheNextPage)
{
    auto pages = layOut({"a", "b", "\fc", "d"});
    ASSERT_EQ(counts(pages), (std::vector<int>{2, 2}));
    EXPECT_EQ(pages[1].texts[0].text, "c"); // the form feed itself is not printed
    EXPECT_EQ(pages[1].texts[0].top, 38);
    EXPECT_EQ(pages[1].texts[1].text, "d");
}

TEST_F(FormFeed, FirstLineFormFeedLeavesAnEmptyFirstPage)
{
    auto pages = layOut({"\fa", "b"});
    EXPECT_EQ(counts(pages), (std::vector<int>{0, 2}));
}

TEST_F(FormFeed, TwoFormFeedLinesInARow)
{
    auto pages = layOut({"a", "\fb", "\fc", "d"});
    EXPECT_EQ(counts(pages), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(pages[1].texts[0].text, "b");
}

TEST_F(FormFeed, OnlyTheFirstFormFeedBreaks)
{
    auto pages = layOut({"a", "\f\fb", "c\fd"});
    ASSERT_EQ(counts(pages), (std::vector<int>{1, 2}));
    EXPECT_EQ(pages[1].texts[0].text, "\fb");
    EXPECT_EQ(pages[1].texts[1].text, "c\fd");
}

TEST_F(FormFeed, LastLineOnlyAFormFeedEndsWithABlankSheet)
{
    auto pages = layOut({"a", "b", "\f"});
    ASSERT_EQ(counts(pages), (std::vector<int>{2, 1}));
    EXPECT_EQ(pages[1].texts[0].text, "");
    // An empty line is still a full line high.
    EXPECT_EQ(pages[1].texts[0].bottom - pages[1].texts[0].top, 16);
}

TEST_F(FormFeed, FormFeedOnALineThatWouldNotFitLeavesOneBlankPage)
{
    auto lines = numbered(65);
    lines.push_back("\fnext");
    auto pages = layOut(lines);
    EXPECT_EQ(counts(pages), (std::vector<int>{65, 0, 1}));
}

TEST_F(FormFeed, WideLinesAreCutAtTheRightMargin)
{
    auto pages = layOut({std::string(300, 'W')});
    ASSERT_EQ(pages.size(), 1u);
    // The table keeps 250 characters; the text object holds them all and the
    // band's clip cuts what passes the right margin.
    EXPECT_EQ(pages[0].texts[0].text.size(), 250u);
    EXPECT_GT(pages[0].texts[0].right, 794 - 38);
}

TEST_F(FormFeed, EmptyTablePrintsOneEmptyPage)
{
    auto pages = layOut({});
    EXPECT_EQ(counts(pages), (std::vector<int>{0}));
    EXPECT_EQ(form.rlrRetrato->Pages().LastPageNumber(), 1);
}
