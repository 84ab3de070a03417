// Band generation: the record walk with its actions and ranges, headers,
// footers and summaries, completion of the last page, green bars, pending
// breaks, bands taller than a page, NewPage before any page, and page
// numbers across two chained reports.
#include "data/dataset.h"
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

class Lines : public TDataSet {
public:
    class Field : public TField {
    public:
        explicit Field(const Lines &owner) : m_owner(owner) {}
        QString FieldName() const override { return QStringLiteral("LINHA"); }
        QString DisplayText() const override { return m_owner.rows.at(m_owner.pos); }

    private:
        const Lines &m_owner;
    };

    bool Active() const override { return active; }
    int RecordCount() const override { return static_cast<int>(rows.size()); }
    void First() override { pos = 0; }
    void Next() override
    {
        if (pos < rows.size())
            ++pos;
    }
    bool Eof() const override { return pos >= rows.size(); }
    TField *FindField(const QString &name) override { return name == QLatin1String("LINHA") ? &field : nullptr; }

    void add(int count, const QString &prefix = QStringLiteral("l"))
    {
        for (int i = 1; i <= count; ++i)
            rows.push_back(prefix + QString::number(rows.size() + 1));
    }

    std::vector<QString> rows;
    size_t pos = 0;
    bool active = true;
    Field field{*this};
};

// A font whose line is 16 pixels high.
TFont lineFont()
{
    TFont font;
    font.SetName(QStringLiteral("Courier New"));
    for (int em = 4; em < 60; ++em) {
        font.SetHeight(-em);
        if (font.Resource().height() == 16)
            break;
    }
    return font;
}

// A report like the program's: one AutoSize detail band holding one text
// control on the LINHA field, 16 pixels a line.
struct FormReport {
    explicit FormReport(Lines &lines) : source(&lines)
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
        text->SetFont(lineFont());
    }

    // A fixed band of that type and height holding one label.
    TRLBand *addBand(TRLBandType type, int height, const QString &caption)
    {
        auto *b = report.AddChild<TRLBand>();
        b->SetBandType(type);
        b->SetAutoExpand(false);
        b->SetHeight(height);
        auto *l = b->AddChild<TRLCustomLabel>();
        l->SetFont(lineFont());
        l->SetCaption(caption);
        return b;
    }

    std::vector<CapturedPage> pages()
    {
        std::vector<CapturedPage> out;
        for (int i = 0; i < report.Pages().PageCount(); ++i)
            out.push_back(capturePage(*report.Pages().Pages(i)));
        return out;
    }

    // The texts of each page.
    std::vector<std::vector<std::string>> texts()
    {
        std::vector<std::vector<std::string>> out;
        for (const CapturedPage &p : pages()) {
            out.emplace_back();
            for (const auto &t : p.texts)
                out.back().push_back(t.text);
        }
        return out;
    }

    TDataSource source;
    TRLReport report;
    TRLBand *band = nullptr;
    TRLDBText *text = nullptr;
};

using Texts = std::vector<std::vector<std::string>>;

const test::CapturedText *find(const CapturedPage &page, const std::string &text)
{
    for (const auto &t : page.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// The record walk

TEST(RecordWalk, ActionsSkipRepeatOrBlankARecord)
{
    Lines lines;
    lines.add(3);
    FormReport f(lines);
    std::vector<std::pair<int, int>> seen;

    f.report.OnDataRecord = [&](TRLCustomControl *, int recNo, int copyNo, bool &, TRLRecordAction &action) {
        seen.emplace_back(recNo, copyNo);
        if (!lines.Eof() && lines.rows[lines.pos] == QLatin1String("l2"))
            action = TRLRecordAction::raIgnoreIt;
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "l3"}}));
    // Ignored records are not counted.
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {2, 1}, {3, 1}}));
    // Ignoring the first record moves on to the next one rather than to the
    // first again.
    f.report.OnDataRecord = [&](TRLCustomControl *, int, int, bool &, TRLRecordAction &action) {
        if (!lines.Eof() && lines.rows[lines.pos] == QLatin1String("l1"))
            action = TRLRecordAction::raIgnoreIt;
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l2", "l3"}}));

    seen.clear();
    f.report.OnDataRecord = [&](TRLCustomControl *, int recNo, int copyNo, bool &, TRLRecordAction &action) {
        seen.emplace_back(recNo, copyNo);
        if (recNo == 1 && copyNo < 3)
            action = TRLRecordAction::raUseAndRetain;
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "l1", "l1", "l2", "l3"}}));
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(f.report.DetailCount(), 5);

    bool blanked = false;
    f.report.OnDataRecord = [&](TRLCustomControl *, int recNo, int, bool &, TRLRecordAction &action) {
        if (recNo == 2 && !blanked) {
            blanked = true;
            action = TRLRecordAction::raBlankAndRetain;
        }
    };
    ASSERT_TRUE(f.report.Prepare());
    // The blank band prints empty, full height, and is not a computed detail.
    EXPECT_EQ(f.texts(), (Texts{{"l1", "", "l2", "l3"}}));
    EXPECT_EQ(f.pages()[0].texts[2].top, 38 + 32);
    EXPECT_EQ(f.report.DetailCount(), 3);

    // The event may end the data.
    f.report.OnDataRecord = [&](TRLCustomControl *, int recNo, int, bool &eof, TRLRecordAction &) {
        if (recNo == 3)
            eof = true;
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "l2"}}));
}

TEST(RecordWalk, RangesStartAtTheCurrentRecord)
{
    Lines lines;
    lines.add(5);
    FormReport f(lines);
    lines.pos = 2;
    f.report.SetRecordRange(TRLRecordRange::rrCurrentOnly);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l3"}}));

    lines.pos = 1;
    f.report.SetRecordRange(TRLRecordRange::rrNextN);
    f.report.SetRangeCount(2);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l2", "l3"}}));

    lines.pos = 3;
    f.report.SetRecordRange(TRLRecordRange::rrUntilEof);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l4", "l5"}}));

    lines.pos = 3;
    f.report.SetRecordRange(TRLRecordRange::rrAllRecords);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts().at(0).size(), 5u);
}

TEST(RecordWalk, RecordsFromEventsWithoutADataSource)
{
    Lines lines;
    FormReport f(lines);
    f.report.SetDataSource(nullptr);
    int calls = 0;
    f.report.OnNeedData = [&](TRLCustomControl *, bool &more) { more = ++calls <= 4; };
    std::vector<QString> printed;
    f.text->BeforeText = [&](TRLCustomControl *, QString &text, bool &) {
        text = QStringLiteral("r") + QString::number(f.report.RecNo());
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"r1", "r2", "r3", "r4"}}));
    EXPECT_EQ(calls, 5);

    // The record count: the event's answer, else the active dataset's.
    EXPECT_EQ(f.report.DataCount(), 0);
    f.report.SetDataSource(&f.source);
    lines.add(7);
    EXPECT_EQ(f.report.DataCount(), 7);
    lines.active = false;
    EXPECT_EQ(f.report.DataCount(), 0);
    f.report.OnDataCount = [](TRLCustomControl *, int &count) { count = 42; };
    EXPECT_EQ(f.report.DataCount(), 42);
    // An inactive dataset gives no records: one empty page.
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{}}));
}

// ---------------------------------------------------------------------------
// Headers, footers, summaries

TEST(BandTypes, HeadersFootersAndASummaryAtTheBottom)
{
    Lines lines;
    lines.add(100);
    FormReport f(lines);
    f.addBand(TRLBandType::btHeader, 20, QStringLiteral("H"));
    f.addBand(TRLBandType::btTitle, 20, QStringLiteral("T"));
    f.addBand(TRLBandType::btFooter, 20, QStringLiteral("F"));
    f.addBand(TRLBandType::btSummary, 10, QStringLiteral("S"))->SetAlignToBottom(true);
    int starting = 0, ending = 0;
    f.report.OnPageStarting = [&](TRLCustomControl *) { ++starting; };
    f.report.OnPageEnding = [&](TRLCustomControl *) { ++ending; };
    ASSERT_TRUE(f.report.Prepare());
    auto p = f.pages();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(starting, 2);
    EXPECT_EQ(ending, 2);
    // Details stop at the footer row, 1123 - 38 - 20 = 1065: from row 78,
    // 61 lines fit on the first page.
    ASSERT_NE(find(p[0], "H"), nullptr);
    EXPECT_EQ(find(p[0], "H")->top, 38);
    ASSERT_NE(find(p[0], "T"), nullptr);
    EXPECT_EQ(find(p[0], "T")->top, 58);
    EXPECT_EQ(find(p[0], "l1")->top, 78);
    EXPECT_NE(find(p[0], "l61"), nullptr);
    EXPECT_EQ(find(p[0], "l62"), nullptr);
    EXPECT_EQ(find(p[0], "F")->top, 1065);
    EXPECT_EQ(find(p[0], "S"), nullptr);
    // The title prints once per document; the header on every page.
    EXPECT_EQ(find(p[1], "T"), nullptr);
    EXPECT_EQ(find(p[1], "H")->top, 38);
    EXPECT_EQ(find(p[1], "l62")->top, 58);
    EXPECT_EQ(find(p[1], "F")->top, 1065);
    // The summary sits right above the footer.
    ASSERT_NE(find(p[1], "S"), nullptr);
    EXPECT_EQ(find(p[1], "S")->top, 1055);
}

TEST(BandTypes, ASummaryThatCannotReachItsRowStartsANewPage)
{
    Lines lines;
    lines.add(65);
    FormReport f(lines);
    f.addBand(TRLBandType::btSummary, 10, QStringLiteral("S"))->SetAlignToBottom(true);
    ASSERT_TRUE(f.report.Prepare());
    auto p = f.pages();
    // 65 lines end at row 1078, past the summary row 1075.
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].texts.size(), 65u);
    ASSERT_EQ(p[1].texts.size(), 1u);
    EXPECT_EQ(p[1].texts[0].text, "S");
    EXPECT_EQ(p[1].texts[0].top, 1085 - 10);
}

// ---------------------------------------------------------------------------
// Completion of the last page

TEST(Completion, BlankBandsFillTheLastPage)
{
    Lines lines;
    lines.add(3);
    FormReport f(lines);
    f.band->SetCompletion(TRLCompletionType::ctFullPage);
    ASSERT_TRUE(f.report.Prepare());
    auto p = f.pages();
    ASSERT_EQ(p.size(), 1u);
    // 65 lines fit on a page: 3 with text and 62 empty ones.
    ASSERT_EQ(p[0].texts.size(), 65u);
    EXPECT_EQ(p[0].texts[2].text, "l3");
    EXPECT_EQ(p[0].texts[3].text, "");
    EXPECT_EQ(p[0].texts[64].top, 38 + 64 * 16);
    EXPECT_EQ(f.report.DetailCount(), 3);

    // Also up to MaxBands.
    f.report.SetMaxBands(10);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.pages()[0].texts.size(), 10u);
}

TEST(Completion, MaxAndMinBands)
{
    Lines lines;
    lines.add(7);
    FormReport f(lines);
    f.band->SetCompletion(TRLCompletionType::ctMaxBands);
    f.report.SetMaxBands(5);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "l2", "l3", "l4", "l5"}, {"l6", "l7", "", "", ""}}));

    f.band->SetCompletion(TRLCompletionType::ctMinBands);
    f.report.SetMaxBands(0);
    f.report.SetMinBands(9);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts().at(0).size(), 9u);
    f.report.SetMinBands(3);
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts().at(0).size(), 7u);
}

TEST(Completion, ABandThatRefusesToPrintEndsIt)
{
    Lines lines;
    lines.add(2);
    FormReport f(lines);
    f.report.SetMaxBands(5);
    f.report.SetMinBands(5);
    f.band->BeforePrintEvent = [&](TRLCustomControl *, bool &printIt) { printIt = !f.band->Completing(); };
    for (TRLCompletionType c :
         {TRLCompletionType::ctFullPage, TRLCompletionType::ctMaxBands, TRLCompletionType::ctMinBands}) {
        f.band->SetCompletion(c);
        ASSERT_TRUE(f.report.Prepare());
        EXPECT_EQ(f.texts(), (Texts{{"l1", "l2"}}));
    }
}

TEST(Completion, MaxBandsLargerThanAPageStopsAtThePageEnd)
{
    Lines lines;
    lines.add(2);
    FormReport f(lines);
    f.band->SetCompletion(TRLCompletionType::ctMaxBands);
    f.report.SetMaxBands(100);
    ASSERT_TRUE(f.report.Prepare());
    // Completion fills the page it started on and no further.
    ASSERT_GE(f.report.Pages().PageCount(), 1);
    EXPECT_EQ(f.texts().at(0).size(), 65u);
    EXPECT_LE(f.report.Pages().PageCount(), 2);
}

// ---------------------------------------------------------------------------
// Green bars, breaks, oversized bands, NewPage

TEST(GreenBars, EverySecondBandTakesTheBarColourFromTheFirstOfEachDocument)
{
    Lines lines;
    lines.add(3);
    FormReport f(lines);
    f.band->SetGreenBarPrint(true);
    auto barTops = [&] {
        std::vector<int> tops;
        TRLGraphicPage &page = *f.report.Pages().Pages(0);
        for (int i = 0; i < page.ObjectCount(); ++i)
            if (auto *fill = dynamic_cast<TRLFillRectObject *>(page.Objects(i)))
                if (fill->Brush().Color() == TRLMetaColor{229, 229, 229})
                    tops.push_back(fill->BoundsRect().Top);
        return tops;
    };
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(f.report.Prepare());
        EXPECT_EQ(barTops(), std::vector<int>{38 + 16}) << "run " << run;
    }
    EXPECT_TRUE(f.band->Transparent());
}

TEST(Breaks, APendingBreakIsOnlyTakenByTheNextDataBand)
{
    Lines lines;
    lines.add(2);
    FormReport f(lines);
    f.band->SetPageBreaking(TRLPageBreaking::pbAfterPrint);
    f.addBand(TRLBandType::btFooter, 20, QStringLiteral("F"));
    ASSERT_TRUE(f.report.Prepare());
    // The footer after the last line does not take the break.
    EXPECT_EQ(f.texts(), (Texts{{"l1", "F"}, {"l2", "F"}}));

    // A summary is a data band: it does.
    f.addBand(TRLBandType::btSummary, 20, QStringLiteral("S"));
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "F"}, {"l2", "F"}, {"S", "F"}}));
}

TEST(Breaks, ABandTallerThanAPageIsPlacedWholeAfterAnEmptyPage)
{
    Lines lines;
    lines.add(1);
    FormReport f(lines);
    f.band->SetAutoSize(false);
    f.band->SetHeight(1200);
    auto *last = f.band->AddChild<TRLCustomLabel>();
    last->SetBounds(16, 1180, 30, 16);
    last->SetCaption(QStringLiteral("fim"));
    ASSERT_TRUE(f.band->IntegralHeight());
    ASSERT_TRUE(f.report.Prepare());
    auto p = f.pages();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_TRUE(p[0].texts.empty());
    ASSERT_NE(find(p[1], "l1"), nullptr);
    EXPECT_EQ(find(p[1], "l1")->top, 38);
    // It runs past the bottom of the page.
    ASSERT_NE(find(p[1], "fim"), nullptr);
    EXPECT_EQ(find(p[1], "fim")->top, 38 + 1180);
}

TEST(Breaks, NewPageBeforeAnyPageOpensTheFirstOneAndStoresNothing)
{
    Lines lines;
    lines.add(3);
    FormReport f(lines);
    bool asked = false;
    f.report.OnDataRecord = [&](TRLCustomControl *, int, int, bool &, TRLRecordAction &) {
        if (!asked) {
            asked = true;
            f.report.NewPage();
        }
    };
    ASSERT_TRUE(f.report.Prepare());
    EXPECT_EQ(f.texts(), (Texts{{"l1", "l2", "l3"}}));
    EXPECT_EQ(f.report.Pages().Pages(0)->Macros().Value("PageNo"), "1");
}

TEST(LineSizes, RepeatedAndEmptyLinesAreMeasuredLikeAnyOther)
{
    Lines lines;
    lines.rows = {QStringLiteral("abcdefghij"), QStringLiteral("abcdefghij"), QString(), QString(),
                  QStringLiteral("x")};
    FormReport f(lines);
    ASSERT_TRUE(f.report.Prepare());
    auto p = f.pages();
    ASSERT_EQ(p.at(0).texts.size(), 5u);
    const FontResource &font = f.text->Font().Resource();
    const int wide = font.width(std::string_view("abcdefghij ")), space = font.width(std::string_view(" "));
    const auto &t = p[0].texts;
    EXPECT_EQ(t[0].right - t[0].left, wide);
    EXPECT_EQ(t[1].right - t[1].left, wide);
    EXPECT_EQ(t[2].right - t[2].left, space);
    EXPECT_EQ(t[3].right - t[3].left, space);
    // An empty line is a full line high.
    EXPECT_EQ(t[3].top, 38 + 3 * 16);
    EXPECT_EQ(t[4].top, 38 + 4 * 16);
    EXPECT_EQ(t[3].bottom - t[3].top, 16);
}

// ---------------------------------------------------------------------------
// Two chained reports

TEST(CompositeReports, PageNumbersRunOnAcrossTheChain)
{
    Lines first, second;
    first.add(70);
    second.add(3, QStringLiteral("s"));
    FormReport a(first), b(second);
    a.report.SetNextReport(&b.report);
    ASSERT_TRUE(a.report.Prepare());
    TRLGraphicStorage &pages = a.report.Pages();
    ASSERT_EQ(pages.PageCount(), 3);
    std::vector<std::string> numbers, indexes;
    for (int i = 0; i < 3; ++i) {
        numbers.push_back(pages.Pages(i)->Macros().Value("PageNo"));
        indexes.push_back(pages.Pages(i)->Macros().Value("CompositeIndex"));
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(indexes, (std::vector<std::string>{"0", "0", "1"}));
    EXPECT_EQ(pages.Macros().Value("LastPageNumber"), "3");
    EXPECT_EQ(pages.Macros().Value("LastPageNumber_1"), "3");
    EXPECT_EQ(capturePage(*pages.Pages(2)).texts.at(0).text, "s1");
    EXPECT_EQ(a.report.ReportState(), TRLReportState::rsReady);

    // The second report numbering its pages anew: each keeps its own last number.
    b.report.CompositeOptions().ResetPageNumber = true;
    ASSERT_TRUE(a.report.Prepare());
    EXPECT_EQ(pages.Pages(2)->Macros().Value("PageNo"), "1");
    EXPECT_EQ(pages.Macros().Value("LastPageNumber"), "2");
    EXPECT_EQ(pages.Macros().Value("LastPageNumber_1"), "1");
}
