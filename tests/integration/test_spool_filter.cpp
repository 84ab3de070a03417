// The spool filter painting stored pages on real queues of the private print
// server: jobs, titles, where a stored page lands on the sheet, the sizes
// things get at the printer's resolution, and how a run ends when something
// fails on the way.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "platform/system/errors.h"
#include "report/RLConsts.h"
#include "report/filters/RLSpoolFilter.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "support/pdf_probe.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QImage>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

using namespace prenso;
using namespace prenso::test;
using namespace prenso::test::probe;

namespace {

constexpr TRLPageOrientation kPortrait = TRLPageOrientation::poPortrait, kLandscape = TRLPageOrientation::poLandscape;

// An A4 page of the given orientation in screen pixels, as the engine stores it.
std::unique_ptr<TRLGraphicSurface> a4Page(TRLPageOrientation orientation)
{
    auto page = std::make_unique<TRLGraphicSurface>();
    page->SetOrientation(orientation);
    page->SetPaperWidth(210);
    page->SetPaperHeight(297);
    page->SetWidth(orientation == kLandscape ? 1123 : 794);
    page->SetHeight(orientation == kLandscape ? 794 : 1123);
    return page;
}

// A line of Courier New text whose character cell starts at (x, y).
void addText(TRLGraphicSurface &page, int x, int y, std::string_view bytes)
{
    auto *t = page.NewObject<TRLTextObject>();
    t->SetBoundsRect({x, y, x + 400, y + 20});
    t->SetOrigin({x, y});
    t->SetText(std::string(bytes));
    t->SetAlignment(MetaTextAlignmentLeft);
    t->SetLayout(MetaTextLayoutTop);
    t->SetTextFlags(MetaTextFlagAutoSize);
    t->Brush().SetStyle(MetaBrushStyleClear);
    t->Font().SetName(QStringLiteral("Courier New"));
    t->Font().SetPixelsPerInch(96);
    t->Font().SetSize(12);
    t->Font().SetHeight(-16);
    t->Font().SetColor({0, 0, 0});
    t->Font().SetPitch(MetaFontPitchFixed);
}

void addBlackFill(TRLGraphicSurface &page, const TRect &r)
{
    auto *f = page.NewObject<TRLFillRectObject>();
    f->SetBoundsRect(r);
    f->Brush().SetStyle(MetaBrushStyleSolid);
    f->Brush().SetColor({0, 0, 0});
}

std::string blackBitmap(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    TBitmap bitmap(w, h);
    bitmap.SetImage(image);
    return "BMP" + bitmap.SaveToBytes();
}

// The extent of the dark pixels of a grey picture: columns and rows that hold
// at least one pixel darker than mid-grey.
struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1; // inclusive; -1 when blank
    int width() const { return left < 0 ? 0 : right - left + 1; }
    int height() const { return top < 0 ? 0 : bottom - top + 1; }
};

Ink inkOf(const QImage &grey)
{
    Ink ink;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] >= 128)
                continue;
            if (ink.left < 0 || x < ink.left)
                ink.left = x;
            if (x > ink.right)
                ink.right = x;
            if (ink.top < 0)
                ink.top = y;
            ink.bottom = y;
        }
    }
    return ink;
}

// A spool filter that runs a test's action before the page with that index
// (0-based) is drawn: where a printer would fail in the middle of a run.
class InterruptedSpoolFilter : public TRLSpoolFilter {
public:
    int failBeforePage = -1;
    std::function<void()> action;

protected:
    void InternalDrawPage(TRLGraphicPage *page) override
    {
        if (page->PageIndex() == failBeforePage && action)
            action();
        TRLSpoolFilter::InternalDrawPage(page);
    }
};

class SpoolFilterOnQueue : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Plain"), plain.port());
        cupsd->addMarginQueue(QStringLiteral("Margins"), margins.port());
        spool.SetShowProgress(false);
    }

    // A filter that fails before page `page` (0-based) with `action`.
    std::unique_ptr<InterruptedSpoolFilter> failingBefore(int page, std::function<void()> action)
    {
        auto failing = std::make_unique<InterruptedSpoolFilter>();
        failing->SetShowProgress(false);
        failing->SetHandsOverDocuments(spool.HandsOverDocuments());
        failing->failBeforePage = page;
        failing->action = std::move(action);
        return failing;
    }

    // A storage that the test keeps alive and the holder stands linked to (a
    // filter only holds it while it runs), with its description taken from
    // its first page.
    TRLGraphicStorage *storage(const QString &jobTitle, const QString &title,
                               std::vector<std::unique_ptr<TRLGraphicSurface>> pages)
    {
        TRLGraphicStorage *st = kept.emplace_back(std::make_shared<TRLGraphicStorage>()).get();
        st->Link(&holder);
        st->SetJobTitle(jobTitle);
        st->SetTitle(title);
        if (!pages.empty()) {
            st->SetOrientation(pages.front()->Orientation());
            st->SetPaperWidth(pages.front()->PaperWidth());
            st->SetPaperHeight(pages.front()->PaperHeight());
        }
        for (auto &p : pages)
            st->Add(std::move(p));
        return st;
    }

    void select(const QString &queue)
    {
        RLPrinter().SetPrinterName(queue);
        ASSERT_EQ(RLPrinter().PrinterName(), queue);
    }

    // The printer's resolution and the printer rectangle the filter must use
    // for A4 on the selected queue, worked out from the queue's own facts.
    TRLPrinterMetrics metricsFor(TRLPageOrientation orientation)
    {
        RLPrinter().SetPaperSize(210, 297, orientation, false, true);
        TRLPrinterMetrics m;
        RLPrinter().LoadMetrics(m);
        return m;
    }

    TComponent holder;
    std::vector<std::shared_ptr<TRLGraphicStorage>> kept;
    TRLSpoolFilter spool;
    SocketListener plain, margins;
};

// Every case runs both ways a printer can get its pages: as a document the
// engine writes (a queue of the print server takes one) and painted on the
// printer's canvas.
class SpoolFilterOnPrinter : public SpoolFilterOnQueue, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        SpoolFilterOnQueue::SetUp();
        spool.SetHandsOverDocuments(GetParam());
    }
    bool handsOverDocuments() const { return GetParam(); }
};

std::vector<std::unique_ptr<TRLGraphicSurface>> pagesOf(
    std::initializer_list<std::pair<TRLPageOrientation, const char *>> wanted)
{
    std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
    for (const auto &[orientation, text] : wanted) {
        pages.push_back(a4Page(orientation));
        addText(*pages.back(), 100, 100, text);
    }
    return pages;
}

// Non-blank page texts of a document; blank pages only at its end are allowed.
QStringList inkedPages(const std::string &pdf, bool &blankInside)
{
    const QStringList pages = pdfPageTexts(pdf);
    QStringList out;
    blankInside = false;
    bool blankSeen = false;
    for (const QString &p : pages) {
        if (p.trimmed().isEmpty()) {
            blankSeen = true;
            continue;
        }
        if (blankSeen)
            blankInside = true;
        out.append(p.trimmed());
    }
    return out;
}

// ---------------------------------------------------------------------------

TEST_P(SpoolFilterOnPrinter, EveryChangeOfOrientationStartsAJobOfTheSameTitle)
{
    select(QStringLiteral("Plain"));
    const QString title = QStringLiteral("Faturas — março");
    TRLGraphicStorage *st = storage(title, QStringLiteral("not this one"),
                                    pagesOf({{kPortrait, "retrato 1"},
                                             {kLandscape, "paisagem 2"},
                                             {kLandscape, "paisagem 3"},
                                             {kPortrait, "retrato 4"}}));
    spool.FilterPages(st);
    EXPECT_FALSE(spool.DocStarted());
    EXPECT_EQ(spool.Pages(), nullptr);

    const std::vector<std::string> jobs = plain.waitForJobs(3);
    ASSERT_EQ(jobs.size(), 3u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(plain.jobs().size(), 3u) << "one job per run of equal pages, no more";

    const std::vector<QStringList> texts = {{QStringLiteral("retrato 1")},
                                            {QStringLiteral("paisagem 2"), QStringLiteral("paisagem 3")},
                                            {QStringLiteral("retrato 4")}};
    const bool landscape[] = {false, true, false};
    for (size_t j = 0; j < jobs.size(); ++j) {
        SCOPED_TRACE("job " + std::to_string(j + 1));
        EXPECT_EQ(pdfInfoField(jobs[j], QStringLiteral("Title")), title);
        bool blankInside = false;
        EXPECT_EQ(inkedPages(jobs[j], blankInside), texts[j]);
        EXPECT_FALSE(blankInside);
        // The page break the page loop gives before a change of paper is not
        // made on the job that ends there: no blank sheet after its pages.
        EXPECT_EQ(pdfPageCount(jobs[j]), static_cast<int>(texts[j].size()));
        for (const QSizeF &size : pdfPageSizes(jobs[j]))
            EXPECT_EQ(size.width() > size.height(), landscape[j]) << size.width() << " x " << size.height();
    }
}

TEST_P(SpoolFilterOnPrinter, JobTitleFallsBackToTitleThenToSemTitulo)
{
    select(QStringLiteral("Plain"));
    const struct {
        QString jobTitle, title, printed;
    } cases[] = {
        {QStringLiteral("Trabalho"), QStringLiteral("Título"), QStringLiteral("Trabalho")},
        {QString(), QStringLiteral("Relação de cobrança"), QStringLiteral("Relação de cobrança")},
        {QString(), QString(), QStringLiteral("Sem título")},
    };
    for (const auto &c : cases)
        spool.FilterPages(storage(c.jobTitle, c.title, pagesOf({{kPortrait, "x"}})));
    const std::vector<std::string> jobs = plain.waitForJobs(3);
    ASSERT_EQ(jobs.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(pdfInfoField(jobs[i], QStringLiteral("Title")), cases[i].printed);
}

// The stored page's origin is the corner of the sheet. A queue whose printer
// cannot print near the edges starts drawing at its printable area, so the
// filter moves everything back by those margins: text lands on the sheet
// where it lands on a printer without margins.
TEST_P(SpoolFilterOnPrinter, StoredPageLandsOnTheSheetNotOnThePrintableArea)
{
    auto onePage = [] {
        auto page = a4Page(kPortrait);
        addText(*page, 96, 192, "MARCA"); // one inch from the left, two from the top
        std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
        pages.push_back(std::move(page));
        return pages;
    };

    select(QStringLiteral("Margins"));
    const TRLPrinterMetrics m = metricsFor(kPortrait);
    ASSERT_GT(m.PPIX, 0);
    const auto px = [&](double points) { return static_cast<int>(std::lround(points * m.PPIX / 72.0)); };
    ASSERT_EQ(m.MarginLeft, px(PrivateCupsd::kMarginLeftPt));
    spool.FilterPages(storage(QStringLiteral("margens"), QString(), onePage()));
    const TRect expected{-px(PrivateCupsd::kMarginLeftPt), -px(PrivateCupsd::kMarginTopPt),
                         static_cast<int>(std::nearbyint(m.PPIX * 210 / 25.4)) - px(PrivateCupsd::kMarginLeftPt),
                         static_cast<int>(std::nearbyint(m.PPIY * 297 / 25.4)) - px(PrivateCupsd::kMarginTopPt)};
    EXPECT_EQ(spool.PrinterRect(), expected);

    select(QStringLiteral("Plain"));
    spool.FilterPages(storage(QStringLiteral("sem margens"), QString(), onePage()));
    EXPECT_EQ(spool.PrinterRect().Left, 0);
    EXPECT_EQ(spool.PrinterRect().Top, 0);

    const std::vector<std::string> withMargins = margins.waitForJobs(1);
    const std::vector<std::string> without = plain.waitForJobs(1);
    ASSERT_EQ(withMargins.size(), 1u);
    ASSERT_EQ(without.size(), 1u);
    const auto a = pdfWords(withMargins[0]);
    const auto b = pdfWords(without[0]);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    ASSERT_EQ(a[0].size(), 1u);
    ASSERT_EQ(b[0].size(), 1u);
    EXPECT_EQ(a[0][0].text, QStringLiteral("MARCA"));
    // One inch is 72 points, and left-aligned text starts half a space to the
    // right of its origin: 12-point Courier advances 0.6 em, so 3.6 points.
    // Had the margin not been taken off, the word would sit 18 points further.
    EXPECT_NEAR(a[0][0].xMin, 72 + 3.6, 0.5);
    EXPECT_NEAR(a[0][0].xMin, b[0][0].xMin, 0.25);
    EXPECT_NEAR(a[0][0].yMin, b[0][0].yMin, 0.25);
    EXPECT_GT(a[0][0].yMin, 144 - 0.5);
    EXPECT_LT(a[0][0].yMin, 144 + 12);
}

// Drawn with the scale 1:1 (a stored page exactly as wide and high as the
// printer's sheet in its pixels), then read back at the printer's resolution.
TEST_P(SpoolFilterOnPrinter, SizesAtThePrintersResolution)
{
    select(QStringLiteral("Plain"));
    const TRLPrinterMetrics m = metricsFor(kPortrait);
    const int sheetW = static_cast<int>(std::nearbyint(m.PPIX * 210 / 25.4));
    const int sheetH = static_cast<int>(std::nearbyint(m.PPIY * 297 / 25.4));
    auto page = a4Page(kPortrait);
    page->SetWidth(sheetW);
    page->SetHeight(sheetH);
    // Without width, without height: each still covers one printer pixel.
    addBlackFill(*page, {200, 200, 200, 260});
    addBlackFill(*page, {300, 200, 360, 200});
    // A picture 10 pixels wide stretched over 95: with parity it is cut down
    // to whole multiples of its width plus one, 91; without, it fills 95.
    auto *even = page->NewObject<TRLImageObject>();
    even->SetBoundsRect({400, 200, 495, 220});
    even->SetData(blackBitmap(10, 4));
    even->SetParity(true);
    auto *plainImage = page->NewObject<TRLImageObject>();
    plainImage->SetBoundsRect({400, 300, 495, 320});
    plainImage->SetData(blackBitmap(10, 4));
    std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
    pages.push_back(std::move(page));
    spool.FilterPages(storage(QStringLiteral("medidas"), QString(), std::move(pages)));

    const std::vector<std::string> jobs = plain.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const std::string &pdf = jobs[0];
    const int dpi = m.PPIX;

    const Ink column = inkOf(pdfRegion(pdf, 1, dpi, 190, 190, 20, 80));
    EXPECT_EQ(column.width(), 1);
    EXPECT_EQ(column.left, 10);
    EXPECT_EQ(column.height(), 60);

    const Ink row = inkOf(pdfRegion(pdf, 1, dpi, 290, 190, 80, 20));
    EXPECT_EQ(row.height(), 1);
    EXPECT_EQ(row.top, 10);
    EXPECT_EQ(row.width(), 60);

    // The rasteriser may round a scaled picture's far edges either way, so
    // pictures get one pixel of play; 91 and 95 stay apart all the same.
    const Ink withParity = inkOf(pdfRegion(pdf, 1, dpi, 390, 190, 120, 40));
    EXPECT_EQ(withParity.left, 10);
    EXPECT_NEAR(withParity.width(), 91, 1);
    EXPECT_NEAR(withParity.height(), 20, 1);

    const Ink withoutParity = inkOf(pdfRegion(pdf, 1, dpi, 390, 290, 120, 40));
    EXPECT_EQ(withoutParity.left, 10);
    EXPECT_NEAR(withoutParity.width(), 95, 1);
}

// Clips on the printer: an ordinary clip cuts what lies outside it, and a
// clip without width or height clips nothing, as on the screen and in a PDF
// (made one printer pixel wide, it used to hide the whole page).
TEST_P(SpoolFilterOnPrinter, ClipsCutOrLeaveThePageAsOnTheScreen)
{
    select(QStringLiteral("Plain"));
    auto page = a4Page(kPortrait);
    auto clip = [&](const TRect &r) { page->NewObject<TRLSetClipRectObject>()->SetBoundsRect(r); };
    auto reset = [&] { page->NewObject<TRLResetClipRectObject>(); };
    clip({100, 100, 100, 300}); // no width
    addBlackFill(*page, {150, 150, 200, 200});
    reset();
    clip({100, 400, 300, 400}); // no height
    addBlackFill(*page, {150, 450, 200, 500});
    reset();
    clip({100, 700, 200, 800}); // an ordinary clip: the right half is cut off
    addBlackFill(*page, {150, 720, 250, 760});
    reset();
    std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
    pages.push_back(std::move(page));
    spool.FilterPages(storage(QStringLiteral("recortes"), QString(), std::move(pages)));

    const std::vector<std::string> jobs = plain.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    // Read back at 96 dots per inch: one dot is one stored pixel.
    const Ink noWidth = inkOf(pdfRegion(jobs[0], 1, 96, 140, 140, 70, 70));
    EXPECT_EQ(noWidth.width(), 50);
    EXPECT_EQ(noWidth.height(), 50);
    const Ink noHeight = inkOf(pdfRegion(jobs[0], 1, 96, 140, 440, 70, 70));
    EXPECT_EQ(noHeight.width(), 50);
    const Ink cut = inkOf(pdfRegion(jobs[0], 1, 96, 140, 710, 130, 60));
    EXPECT_NEAR(cut.width(), 50, 1);
    EXPECT_NEAR(cut.height(), 40, 1);
}

// A saved report can claim any paper size. The printer rectangle worked out
// from it saturates instead of wrapping around: a sheet of a negative width
// must not turn into one of almost the whole int range.
TEST_P(SpoolFilterOnPrinter, PrinterRectangleOfAnyStoredPaperSize)
{
    select(QStringLiteral("Margins"));
    const struct {
        double width;
        bool positive;
    } cases[] = {{-1e300, false}, {1e300, true}, {-1e12, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        auto page = a4Page(kPortrait);
        page->SetPaperWidth(c.width);
        addText(*page, 100, 100, "x");
        std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
        pages.push_back(std::move(page));
        TRLGraphicStorage *st = storage(QStringLiteral("papel"), QString(), std::move(pages));
        st->SetPaperWidth(c.width);
        EXPECT_NO_THROW(spool.FilterPages(st));
        const TRect r = spool.PrinterRect();
        EXPECT_EQ(r.Right > r.Left, c.positive) << r.Left << " .. " << r.Right;
    }
    EXPECT_EQ(margins.waitForJobs(3).size(), 3u);
}

// An empty job prints nothing: painted, the toolkit still sends one blank
// page; as a document of no pages, the job is dropped before anything
// reaches the printer.
TEST_P(SpoolFilterOnPrinter, RangeEndingBeforeItStartsIsAnEmptyJob)
{
    select(QStringLiteral("Plain"));
    spool.FilterPages(storage(QStringLiteral("vazio"), QString(),
                              pagesOf({{kPortrait, "um"}, {kPortrait, "dois"}, {kPortrait, "tres"}})),
                      3, 2, QString(), TRLPrintOddEvenPages::odAllPages);
    EXPECT_FALSE(spool.DocStarted());
    if (handsOverDocuments()) {
        EXPECT_TRUE(plain.waitForJobs(1, 1500).empty());
        return;
    }
    const std::vector<std::string> jobs = plain.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u) << "the job is still started and ended";
    EXPECT_EQ(pdfInfoField(jobs[0], QStringLiteral("Title")), QStringLiteral("vazio"));
    EXPECT_EQ(pdfText(jobs[0]).trimmed(), QString());
}

// An error while drawing page 2: the job is ended all the same (what was
// drawn reaches the printer), the storage is let go, and the error reaches
// the caller.
TEST_P(SpoolFilterOnPrinter, ErrorWhileDrawingStillEndsTheJob)
{
    select(QStringLiteral("Plain"));
    auto owned = failingBefore(1, [] { throw Exception(QStringLiteral("papel preso")); });
    InterruptedSpoolFilter &failing = *owned;
    TRLGraphicStorage *st =
        storage(QStringLiteral("interrompido"), QString(), pagesOf({{kPortrait, "primeira"}, {kPortrait, "segunda"}}));
    try {
        failing.FilterPages(st);
        ADD_FAILURE() << "the error was lost";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("papel preso"));
    }
    EXPECT_EQ(failing.Pages(), nullptr);
    EXPECT_EQ(st->ReferenceCount(), 1) << "the filter still holds the storage";
    EXPECT_FALSE(failing.DocStarted());
    EXPECT_EQ(RLPrinter().Canvas(), nullptr);
    EXPECT_EQ(RLPrinter().Painter(), nullptr);

    const std::vector<std::string> jobs = plain.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u) << "the document was never ended";
    EXPECT_EQ(pdfInfoField(jobs[0], QStringLiteral("Title")), QStringLiteral("interrompido"));
    const QString text = pdfText(jobs[0]);
    EXPECT_TRUE(text.contains(QStringLiteral("primeira"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("segunda"))) << text.toStdString();
}

// The queue goes away in the middle of a run that changes orientation: the
// first job cannot be handed over when it ends, and that is an error the
// caller hears of, not a silently lost job. The run still ends cleanly.
TEST_P(SpoolFilterOnPrinter, QueueGoneBeforeAChangeOfOrientationIsAnError)
{
    select(QStringLiteral("Plain"));
    auto owned = failingBefore(1, [this] { cupsd->removeQueue(QStringLiteral("Plain")); });
    InterruptedSpoolFilter &failing = *owned;
    TRLGraphicStorage *st =
        storage(QStringLiteral("sem fila"), QString(), pagesOf({{kPortrait, "primeira"}, {kLandscape, "segunda"}}));
    try {
        failing.FilterPages(st);
        ADD_FAILURE() << "a job the server refused passed for printed";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(LS().LS_PrinterDriverErrorStr)) << e.message().toStdString();
    }
    EXPECT_EQ(failing.Pages(), nullptr);
    EXPECT_EQ(st->ReferenceCount(), 1);
    EXPECT_EQ(RLPrinter().Painter(), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(plain.jobs().empty());
}

// The print server stops while the last page is being drawn: the end of the
// document is where that shows, and it must show.
TEST_P(SpoolFilterOnPrinter, ServerStoppedDuringARunIsAnError)
{
    select(QStringLiteral("Plain"));
    auto owned = failingBefore(1, [this] { cupsd->stop(); });
    InterruptedSpoolFilter &failing = *owned;
    TRLGraphicStorage *st =
        storage(QStringLiteral("sem servidor"), QString(), pagesOf({{kPortrait, "primeira"}, {kPortrait, "segunda"}}));
    EXPECT_THROW(failing.FilterPages(st), Exception);
    EXPECT_EQ(failing.Pages(), nullptr);
    EXPECT_EQ(st->ReferenceCount(), 1);
    EXPECT_EQ(RLPrinter().Painter(), nullptr);
    EXPECT_TRUE(plain.jobs().empty());
}

// The document a queue gets shows what the painted pages show. Read back at
// 150 dots per inch without smoothing: rules, boxes and pictures cover the
// very same pixels; texts sit in the same places (moving one drawing by a
// pixel only makes them differ more), their edges differing a little since
// the two documents carry the face's glyphs in programs of their own.
TEST_F(SpoolFilterOnQueue, DocumentShowsWhatThePaintedPagesShow)
{
    select(QStringLiteral("Plain"));
    auto page = [] {
        auto p = a4Page(kPortrait);
        for (int i = 0; i < 12; ++i)
            addText(*p, 40 + 7 * i, 60 + 22 * i,
                    "NOTA FISCAL N\xBA 4711 \x96 A\xC7\xDA"
                    "CAR \x80 12,50");
        addText(*p, 300, 340, "VALOR TOTAL 8.070,56");
        auto *right = static_cast<TRLTextObject *>(p->Objects(p->ObjectCount() - 1));
        right->SetBoundsRect({300, 340, 700, 360});
        right->SetAlignment(MetaTextAlignmentRight);
        right->SetTextFlags(MetaTextFlagNoSplit);
        addBlackFill(*p, {40, 460, 700, 462});
        addBlackFill(*p, {100, 500, 180, 560});
        auto *picture = p->NewObject<TRLImageObject>();
        picture->SetBoundsRect({400, 500, 480, 540});
        picture->SetData(blackBitmap(8, 4));
        std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
        pages.push_back(std::move(p));
        return pages;
    };
    for (const bool document : {false, true}) {
        spool.SetHandsOverDocuments(document);
        spool.FilterPages(storage(QStringLiteral("igual"), QString(), page()));
    }
    const std::vector<std::string> jobs = plain.waitForJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    // Dark pixels in rows [top, bottom) of one and not the other, the
    // second drawing moved by (dx, dy).
    const QImage painted = pdfRegion(jobs[0], 1, 150, 0, 0, 1240, 1240);
    const QImage written = pdfRegion(jobs[1], 1, 150, 0, 0, 1240, 1240);
    ASSERT_EQ(painted.size(), written.size());
    auto differ = [&](int top, int bottom, int dx, int dy) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 1; x < painted.width() - 1; ++x)
                n += (qGray(painted.pixel(x, y)) < 128) != (qGray(written.pixel(x + dx, y + dy)) < 128);
        return n;
    };
    int textInk = 0;
    for (int y = 1; y < 700; ++y)
        for (int x = 0; x < painted.width(); ++x)
            textInk += qGray(painted.pixel(x, y)) < 128;
    ASSERT_GT(textInk, 5000);
    EXPECT_EQ(differ(700, 1239, 0, 0), 0) << "rules, boxes and pictures";
    const int inPlace = differ(1, 700, 0, 0);
    EXPECT_LT(inPlace, textInk / 8) << "of " << textInk << " inked pixels of text";
    for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
        EXPECT_LT(inPlace, differ(2, 699, dx, dy)) << "moved by " << dx << ", " << dy;
}

// Whatever face the canvas draws a text with prints: one with TrueType
// outlines, one the machine has only as a Type 1 face (it has no outline
// tables to measure or embed: the printer's own copy of it draws it), a bold
// one. The toolkit's printer leaves a Type 1 face out altogether, which is
// one more reason the printer gets the engine's own document.
TEST_P(SpoolFilterOnPrinter, EveryFaceTheCanvasDrawsPrints)
{
    select(QStringLiteral("Plain"));
    auto p = a4Page(kPortrait);
    const char *faces[] = {"Courier New", "Nimbus Sans", "Arial"};
    for (int i = 0; i < 3; ++i) {
        addText(*p, 100, 100 + 40 * i, "Fatura n\xBA " + std::to_string(i + 1));
        auto *t = static_cast<TRLTextObject *>(p->Objects(p->ObjectCount() - 1));
        t->Font().SetName(QString::fromLatin1(faces[i]));
        t->Font().SetStyle(i == 2 ? fsBold : 0);
    }
    std::vector<std::unique_ptr<TRLGraphicSurface>> pages;
    pages.push_back(std::move(p));
    EXPECT_NO_THROW(spool.FilterPages(storage(QStringLiteral("faces"), QString(), std::move(pages))));
    const std::vector<std::string> jobs = plain.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const QString text = pdfText(jobs[0]);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(faces[i]);
        if (!handsOverDocuments() && i == 1)
            continue;
        EXPECT_GT(inkOf(pdfRegion(jobs[0], 1, 96, 100, 100 + 40 * i, 200, 20)).width(), 60);
        EXPECT_TRUE(text.contains(QStringLiteral("Fatura nº %1").arg(i + 1))) << text.toStdString();
    }
}

// What the printer's settings say reaches the print server with the document
// as the job's options, by their IPP names: copies (collated), the paper,
// the orientation, one side.
TEST_F(SpoolFilterOnQueue, PrinterSettingsGoWithTheDocumentAsJobOptions)
{
    select(QStringLiteral("Plain"));
    RLPrinter().SetCopies(2);
    const auto oneCopy = qScopeGuard([] { RLPrinter().SetCopies(1); });
    spool.FilterPages(storage(QStringLiteral("opções"), QString(), pagesOf({{kLandscape, "paisagem"}})));
    ASSERT_EQ(plain.waitForJobs(1).size(), 1u);
    const std::map<std::string, std::string> job = cupsd->lastJobAttributes(QStringLiteral("Plain"));
    EXPECT_EQ(job.count("job-name") ? job.at("job-name") : "", "opções");
    const std::pair<const char *, const char *> expected[] = {
        {"copies", "2"},
        {"multiple-document-handling", "separate-documents-collated-copies"},
        {"media", "iso_a4_210x297mm"},
        {"orientation-requested", "landscape"},
        {"sides", "one-sided"},
        {"document-format-supplied", "application/pdf"},
    };
    for (const auto &[name, value] : expected)
        EXPECT_EQ(job.count(name) ? job.at(name) : "<none>", value) << name;
}

INSTANTIATE_TEST_SUITE_P(Paths, SpoolFilterOnPrinter, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &path) {
                             return path.param ? "Document" : "Painted";
                         });

} // namespace
