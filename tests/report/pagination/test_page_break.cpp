// The page-break rules on their own: whether a band breaks the page when it
// arrives, whether that break closes the page, whether a band moves on before
// it prints, and where each slice of a band goes. Heights and rows are in
// pixels; 16 is a line of the program's forms. The same rules at work in a
// report are in test_bands.cpp and test_pagination.cpp.
#include "report/pagination/RLPageBreak.h"

#include <gtest/gtest.h>

using namespace prenso;

namespace {

using Where = TRLPageBreak::TWhere;

const char *whereName(Where w)
{
    switch (w) {
    case Where::Here: return "here";
    case Where::Split: return "split";
    case Where::NextPage: return "next page";
    }
    return "?";
}

} // namespace

TEST(PageBreak, ABandArrivingBreaksThePageOrNot)
{
    struct Row {
        const char *name;
        TRLPageBreak::TArrival arrival;
        bool newPage, takesPending;
    };
    const Row rows[] = {
        {"a detail on a page with room stays",
         {.DataBand = true, .Detail = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         false,
         false},
        {"a pending break moves the next detail",
         {.DataBand = true, .Detail = true, .Pending = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         true,
         true},
        {"a pending break waits for a band that is not blank",
         {.Detail = true, .Pending = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         false,
         false},
        {"a pending break is taken by a summary",
         {.DataBand = true, .Pending = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         true,
         true},
        {"a header neither takes nor makes the pending break",
         {.Pending = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         false,
         false},
        {"break before print after a data band",
         {.DataBand = true, .Detail = true, .BreakBefore = true, .DataBandsOnPage = 3, .DetailsOnPage = 3},
         true,
         false},
        {"break before print as the first band of the page",
         {.DataBand = true, .Detail = true, .BreakBefore = true},
         false,
         false},
        {"the detail after the maximum starts a page",
         {.DataBand = true, .Detail = true, .DataBandsOnPage = 3, .DetailsOnPage = 3, .MaxBands = 3},
         true,
         false},
        {"the detail that reaches the maximum stays",
         {.DataBand = true, .Detail = true, .DataBandsOnPage = 2, .DetailsOnPage = 2, .MaxBands = 3},
         false,
         false},
        {"completion never breaks for the maximum",
         {.Detail = true, .DataBandsOnPage = 3, .DetailsOnPage = 3, .MaxBands = 3, .Completing = true},
         false,
         false},
        {"the maximum counts details only",
         {.DataBand = true, .DataBandsOnPage = 3, .DetailsOnPage = 3, .MaxBands = 3},
         false,
         false},
    };
    for (const Row &r : rows) {
        const TRLPageBreak::TArrivalBreak got = TRLPageBreak::OnArrival(r.arrival);
        EXPECT_EQ(got.NewPage, r.newPage) << r.name;
        EXPECT_EQ(got.TakesPending, r.takesPending) << r.name;
    }
}

TEST(PageBreak, ABreakClosesOnlyAPageWithData)
{
    struct Row {
        const char *name;
        int dataBands, details;
        bool forceMinBands;
        int minBands;
        bool closes;
    };
    const Row rows[] = {
        {"no data band yet: the band only moves", 0, 0, false, 0, false},
        {"a data band on the page", 1, 1, false, 0, true},
        {"a summary is a data band, not a detail", 1, 0, false, 0, true},
        {"forced minimum not reached", 2, 2, true, 3, false},
        {"forced minimum reached", 3, 3, true, 3, true},
        {"a minimum that is not forced", 2, 2, false, 3, true},
        {"a forced minimum of none", 1, 1, true, 0, true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(TRLPageBreak::ClosesPage(r.dataBands, r.details, r.forceMinBands, r.minBands), r.closes) << r.name;
}

TEST(PageBreak, ABandMovesOnBeforeItPrintsOnlyWhenItCannotBeSplit)
{
    struct Row {
        const char *name;
        TRLPageBreak::TFit fit; // height, available, integral height, minimum height, footer
        bool optimistic;
        bool moves;
    };
    const Row rows[] = {
        {"a line that fits", {16, 100, true, 0, false}, false, false},
        {"a line that ends on the limit", {16, 16, true, 0, false}, false, false},
        {"a line one row too tall", {16, 15, true, 0, false}, false, true},
        {"a band that may be split is left to placing", {200, 50, false, 0, false}, false, false},
        {"room below the minimum height", {200, 50, false, 60, false}, false, true},
        {"room of exactly the minimum height", {200, 60, false, 60, false}, false, false},
        {"an optimistic band is left to placing", {16, 15, true, 0, false}, true, false},
        {"a footer is left to placing", {16, 15, true, 0, true}, false, false},
    };
    for (const Row &r : rows)
        EXPECT_EQ(TRLPageBreak::BreaksEarly(r.fit, r.optimistic), r.moves) << r.name;
}

TEST(PageBreak, WhereTheNextSliceOfABandGoes)
{
    struct Row {
        const char *name;
        TRLPageBreak::TFit fit; // height, available, integral height, minimum height, footer
        int done;
        int freeRow; // what the band's surface finds; -1 for none
        Where where;
        int height;
        int asksFrom; // where the free row is looked for from; -1 for not asked
    };
    const Row rows[] = {
        {"fits with room", {16, 100, true, 0, false}, 0, -1, Where::Here, 16, -1},
        {"ends exactly on the limit", {16, 16, true, 0, false}, 0, -1, Where::Here, 16, -1},
        {"integral band that does not fit", {16, 10, true, 0, false}, 0, 5, Where::NextPage, 16, -1},
        {"a footer stays where it was put", {40, 10, true, 0, true}, 0, -1, Where::Here, 40, -1},
        {"split between two lines", {160, 100, false, 0, false}, 0, 96, Where::Split, 96, 100},
        {"the rest of a split band, split again", {64, 40, false, 0, false}, 96, 128, Where::Split, 32, 136},
        {"the rest of a split band that fits", {64, 64, false, 0, false}, 96, -1, Where::Here, 64, -1},
        {"no free row", {160, 100, false, 0, false}, 0, -1, Where::NextPage, 160, 100},
        {"a free row at the top splits nothing", {160, 100, false, 0, false}, 0, 0, Where::NextPage, 160, 100},
        {"a free row above what is placed", {64, 40, false, 0, false}, 96, 90, Where::NextPage, 64, 136},
        {"a free row at what is placed", {64, 40, false, 0, false}, 96, 96, Where::NextPage, 64, 136},
        {"a free row short of the minimum", {160, 100, false, 50, false}, 0, 48, Where::NextPage, 160, 100},
        {"a free row at the minimum height", {160, 100, false, 48, false}, 0, 48, Where::Split, 48, 100},
        {"room below the minimum height", {160, 40, false, 48, false}, 0, 32, Where::NextPage, 160, -1},
    };
    for (const Row &r : rows) {
        int askedFrom = -1;
        const TRLPageBreak::TSlice got = TRLPageBreak::PlaceSlice(r.fit, r.done, [&](int from, int &row) {
            askedFrom = from;
            row = r.freeRow;
            return r.freeRow >= 0;
        });
        EXPECT_STREQ(whereName(got.Where), whereName(r.where)) << r.name;
        EXPECT_EQ(got.Height, r.height) << r.name;
        EXPECT_EQ(askedFrom, r.asksFrom) << r.name;
    }
}
