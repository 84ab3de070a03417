// The filter framework: which pages the page loop draws, in which order and
// with which breaks, emulated copies, cancelling, failures, and how a filter
// is chosen.
#include "platform/system/errors.h"
#include "platform/system/session.h"
#include "report/filters/RLFilters.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>

using namespace prenso;

namespace {

// A storage of `count` pages, page n holding the text "pN".
std::shared_ptr<TRLGraphicStorage> makePages(int count)
{
    auto pages = std::make_shared<TRLGraphicStorage>();
    for (int n = 1; n <= count; ++n) {
        auto page = std::make_unique<TRLGraphicSurface>();
        page->Open();
        page->TextOut(10, 10, "p" + std::to_string(n));
        page->Close();
        pages->Add(std::move(page));
    }
    return pages;
}

// Records the calls of a run: "B" begin, "N" new page, "1".."n" a page drawn
// (by the text on it), "E" end.
class Recorder : public TRLCustomPrintFilter {
public:
    explicit Recorder(bool emulateCopies = false)
    {
        SetShowProgress(false);
        SetEmulateCopies(emulateCopies);
    }
    ~Recorder() override { BeginDestroy(); }

    std::string calls;
    int cancelOnPage = 0; // cancels while drawing this page
    int failOnPage = 0;   // raises while drawing this page
    TRLGraphicStorage *pagesAtEnd = nullptr;

protected:
    void InternalBeginDoc() override { calls += "B"; }
    void InternalEndDoc() override
    {
        pagesAtEnd = Pages();
        calls += "E";
    }
    void InternalNewPage() override { calls += "N"; }
    void InternalDrawPage(TRLGraphicPage *page) override
    {
        auto *text = dynamic_cast<TRLTextObject *>(page->Objects(0));
        const std::string number = text ? text->DisplayText().substr(1) : "?";
        calls += number;
        if (std::stoi(number) == cancelOnPage)
            FCanceled = true;
        if (std::stoi(number) == failOnPage)
            throw Exception(QStringLiteral("falhou"));
    }
};

class SaveTo : public TRLCustomSaveFilter {
public:
    explicit SaveTo(const QString &ext)
    {
        SetDefaultExt(ext);
        SetShowProgress(false);
    }
    ~SaveTo() override { BeginDestroy(); }

protected:
    void InternalBeginDoc() override {}
    void InternalEndDoc() override {}
    void InternalNewPage() override {}
    void InternalDrawPage(TRLGraphicPage *) override {}
};

class FilterLoop : public ::testing::Test {
protected:
    FilterLoop() : kept(makePages(5)), pages(kept.get()) {}

    std::string run(const QString &selection, int first = 1, int last = 5,
                    TRLPrintOddEvenPages oddEven = TRLPrintOddEvenPages::odAllPages)
    {
        filter.calls.clear();
        filter.FilterPages(pages, first, last, selection, oddEven);
        return filter.calls;
    }

    std::shared_ptr<TRLGraphicStorage> kept;
    TRLGraphicStorage *pages;
    Recorder filter;
};

} // namespace

TEST(PageSelection, ItemsAndRanges)
{
    auto selected = [](const char *selection, int upTo = 12) {
        std::vector<int> out;
        for (int n = 1; n <= upTo; ++n)
            if (IsPageSelected(n, QString::fromLatin1(selection)))
                out.push_back(n);
        return out;
    };
    EXPECT_EQ(selected("1-3;5"), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(selected(" 2 ; 2 "), (std::vector<int>{2}));
    EXPECT_EQ(selected("5-3"), std::vector<int>{});
    EXPECT_EQ(selected("5-"), std::vector<int>{});
    EXPECT_EQ(selected("-5"), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(selected("10 - 12;x;1"), (std::vector<int>{1, 10, 11, 12}));
    EXPECT_EQ(selected("").size(), 12u);
    EXPECT_EQ(selected("   ").size(), 12u);
}

TEST_F(FilterLoop, SelectionParityAndRange)
{
    EXPECT_EQ(run(QString()), "B1N2N3N4N5E");
    // Skipped pages neither break nor draw.
    EXPECT_EQ(run(QStringLiteral("1-3;5"), 1, 5, TRLPrintOddEvenPages::odOddPagesOnly), "B1N3N5E");
    EXPECT_EQ(run(QStringLiteral("1-3;5"), 1, 5, TRLPrintOddEvenPages::odEvenPagesOnly), "B2E");
    EXPECT_EQ(run(QStringLiteral("2;2")), "B2E");
    EXPECT_EQ(run(QStringLiteral("   ")), "B1N2N3N4N5E");
    EXPECT_EQ(run(QString(), 2, 3), "B2N3E");
    // -1 or a page past the end means the last page.
    EXPECT_EQ(run(QString(), 4, -1), "B4N5E");
    EXPECT_EQ(run(QString(), 4, 99), "B4N5E");
    // A range that ends before it starts still makes an (empty) document.
    EXPECT_EQ(run(QString(), 4, 2), "BE");
    EXPECT_EQ(filter.Pages(), nullptr);
    EXPECT_EQ(filter.pagesAtEnd, pages); // held until the document ended
    EXPECT_EQ(pages->ReferenceCount(), 0);
    EXPECT_EQ(kept.use_count(), 1);
}

TEST_F(FilterLoop, EmulatedCopiesAreCollatedWithABreakBetweenEveryTwoPages)
{
    Recorder copier(true);
    RLPrinter().SetCopies(2);
    copier.FilterPages(pages, 1, 3, QString(), TRLPrintOddEvenPages::odAllPages);
    EXPECT_EQ(copier.calls, "B1N2N3N1N2N3E");
    // Without the option the driver makes the copies: one pass.
    EXPECT_EQ(run(QString(), 1, 3), "B1N2N3E");

    // Cancelling on page 2 leaves the rest undrawn, in every copy.
    copier.calls.clear();
    copier.cancelOnPage = 2;
    copier.FilterPages(pages, 1, 5, QString(), TRLPrintOddEvenPages::odAllPages);
    EXPECT_EQ(copier.calls, "B1N2E");
    EXPECT_TRUE(copier.Canceled());
    RLPrinter().SetCopies(1);
}

TEST_F(FilterLoop, AMissingPageEndsThatCopysPass)
{
    Recorder copier(true);
    RLPrinter().SetCopies(2);
    // There is no page 0: each copy's pass ends there, after the break
    // that separates it from the copy before.
    copier.FilterPages(pages, 0, 3, QString(), TRLPrintOddEvenPages::odAllPages);
    RLPrinter().SetCopies(1);
    EXPECT_EQ(copier.calls, "BNE");
}

// Pages that the storage no longer holds in memory come back from its page
// file; a page file damaged in the middle of a run (a disk error, a clean-up
// of the temporary folder) must stop the run with an error naming the page,
// not end it early as if the report were shorter.
TEST_F(FilterLoop, APageThatCannotBeReadIsAnErrorNamingIt)
{
    struct Damage {
        const char *name;
        std::function<void(QFile &)> apply;
        const char *reason;
    };
    const Damage damages[] = {
        {"cut short", [](QFile &f) { f.resize(10); }, "File is corrupted"},
        {"overwritten", [](QFile &f) { f.write("garbage garbage garbage"); }, "File is corrupted"},
    };
    for (const Damage &d : damages) {
        SCOPED_TRACE(d.name);
        const std::shared_ptr<TRLGraphicStorage> sevenKept = makePages(7); // pages 1 and 2 leave the cache
        TRLGraphicStorage *seven = sevenKept.get();
        QFile file(seven->TempFileName());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        d.apply(file);
        file.close();
        filter.calls.clear();
        try {
            filter.FilterPages(seven);
            ADD_FAILURE() << "the run ended without an error: " << filter.calls;
        } catch (const EReadError &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Page 1 cannot be read"))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(d.reason))) << e.message().toStdString();
        }
        EXPECT_EQ(filter.calls, "BE");
        EXPECT_EQ(sevenKept.use_count(), 1);
        // Looking at pages (the preview) still just shows none.
        EXPECT_EQ(seven->Pages(0), nullptr);
        EXPECT_NE(seven->Pages(6), nullptr);
    }
}

TEST_F(FilterLoop, AFailureStillEndsTheDocumentAndUnlinksThePages)
{
    filter.failOnPage = 3;
    EXPECT_THROW(run(QString()), Exception);
    EXPECT_EQ(filter.calls, "B1N2N3E");
    EXPECT_EQ(filter.Pages(), nullptr);
    EXPECT_EQ(pages->ReferenceCount(), 0);
    EXPECT_EQ(kept.use_count(), 1) << "the filter still holds the pages";
    // The filter runs again afterwards.
    filter.failOnPage = 0;
    EXPECT_EQ(run(QString(), 1, 2), "B1N2E");
}

TEST_F(FilterLoop, ApplyFilterChoosesTheGivenTheSelectedOrTheSpoolFilter)
{
    Recorder other;
    SetSelectedFilter(&other);
    ApplyFilter(pages, &filter, 1, 1, QString(), TRLPrintOddEvenPages::odAllPages);
    EXPECT_EQ(filter.calls, "B1E");
    EXPECT_EQ(other.calls, "");
    ApplyFilter(pages, nullptr, 2, 2, QString(), TRLPrintOddEvenPages::odAllPages);
    EXPECT_EQ(other.calls, "B2E");
    {
        Recorder gone;
        SetSelectedFilter(&gone);
    }
    // A destroyed filter is no longer selected.
    EXPECT_EQ(SelectedFilter(), nullptr);
    EXPECT_NE(SpoolFilterInstance(), nullptr);
    EXPECT_EQ(SpoolFilterInstance(), SpoolFilterInstance());
    EXPECT_TRUE(SpoolFilterInstance()->GetDisplayLabel().isEmpty());
}

TEST(SaveFilters, FoundByTheExtensionOfTheFileName)
{
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("REPORT.PDF")), nullptr);
    SaveTo pdf(QStringLiteral("pdf"));
    SaveTo dotted(QStringLiteral(".txt"));
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("REPORT.PDF")), &pdf);
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("/tmp/a.b/notas.Txt")), &dotted);
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("notas.doc")), nullptr);
    // A print filter is never a save filter.
    Recorder printer;
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("x.")), nullptr);
    // A file without extension: only a save filter without one.
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("/tmp/a.b/REPORT")), nullptr);
    {
        SaveTo bare{QString()};
        EXPECT_EQ(SaveFilterByFileName(QStringLiteral("REPORT")), &bare);
        // The first one registered wins.
        SaveTo pdf2(QStringLiteral("PDF"));
        EXPECT_EQ(SaveFilterByFileName(QStringLiteral("r.pdf")), &pdf);
    }
    EXPECT_EQ(SaveFilterByFileName(QStringLiteral("REPORT")), nullptr);
}

// Filters belong to the session they were made in: a later session starts
// with none chosen and none listed, and a filter that outlives its session
// (a static of some program) goes without touching it.
TEST(FilterList, EachSessionHasItsOwnFilters)
{
    Recorder before;
    SetSelectedFilter(&before);
    auto session = std::make_unique<Session>();
    EXPECT_EQ(SelectedFilter(), nullptr);
    EXPECT_TRUE(ActiveFilters().empty());
    auto outliving = std::make_unique<Recorder>();
    SetSelectedFilter(outliving.get());
    EXPECT_EQ(ActiveFilters().size(), 1u);
    session.reset();
    EXPECT_EQ(SelectedFilter(), &before);
    EXPECT_EQ(ActiveFilters().size(), 1u);
    outliving.reset();
    EXPECT_EQ(SelectedFilter(), &before);
}
