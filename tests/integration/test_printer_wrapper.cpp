// The printer wrapper against a real print server with raw queues and one
// queue whose PPD declares unprintable margins.
#include "platform/graphics/canvas.h"
#include "platform/system/errors.h"
#include "report/RLConsts.h"
#include "report/windows/RLWindows.h"
#include "support/operator.h"
#include "support/pdf_probe.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QComboBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>

#include <cmath>

using namespace prenso;
using namespace prenso::test;
using namespace prenso::test::probe;

namespace {

QString uriFor(const SocketListener &listener)
{
    return QStringLiteral("socket://127.0.0.1:%1").arg(listener.port());
}

int pointsToPixels(double points, int ppi)
{
    return static_cast<int>(std::lround(points * ppi / 72.0));
}

} // namespace

// ---------------------------------------------------------------------------
// A server without queues: the wrapper has nothing to select.

using WrapperWithoutPrinters = PrinterServerTest;

TEST_F(WrapperWithoutPrinters, ReadsAsEmptyAndGivesTheFallbackMetrics)
{
    TRLPrinterWrapper &printer = RLPrinter();
    EXPECT_TRUE(printer.Printers().empty());
    EXPECT_EQ(printer.PrinterIndex(), -1);
    printer.SetPrinterIndex(0);
    EXPECT_EQ(printer.PrinterIndex(), -1);
    EXPECT_EQ(printer.PrinterName(), QString());
    EXPECT_EQ(printer.PrinterPort(), QString());
    EXPECT_EQ(printer.PrinterDisplayName(-1), QString());
    EXPECT_EQ(printer.OddEven(), TRLPrintOddEvenPages::odAllPages);

    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    EXPECT_EQ(metrics, (TRLPrinterMetrics{300, 300, 2550, 3300, 75, 75, 75, 75, 2400, 3150}));

    EXPECT_FALSE(printer.ExecuteSetup());
    EXPECT_THROW(printer.BeginDoc(QStringLiteral("nothing")), Exception);
    EXPECT_EQ(printer.Painter(), nullptr);
}

TEST_F(WrapperWithoutPrinters, SetPaperSizeTurnsOnlyTheOrientation)
{
    TRLPrinterWrapper &printer = RLPrinter();
    const QPageSize before = printer.Printer().pageLayout().pageSize();
    printer.SetPaperSize(211, 297, TRLPageOrientation::poLandscape, false, true);
    EXPECT_TRUE(printing::thePrinter().landscape());
    EXPECT_EQ(printing::thePrinter().paper().code, 0);
    EXPECT_TRUE(printer.Printer().pageLayout().pageSize().isEquivalentTo(before));
    EXPECT_DOUBLE_EQ(printer.CustomWidth(), 211);
    EXPECT_DOUBLE_EQ(printer.CustomHeight(), 297);
    printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
    EXPECT_FALSE(printing::thePrinter().landscape());
}

// ---------------------------------------------------------------------------
// Queues on the server.

class WrapperWithPrinters : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        // Added out of order: the list follows the server's order, not ours.
        cupsd->addRawQueue(QStringLiteral("Zeta"), zeta.port());
        cupsd->addRawQueue(QStringLiteral("alpha"), alpha.port());
        cupsd->addRawQueue(QStringLiteral("Mid"), mid.port());
    }

    SocketListener zeta, alpha, mid;
};

TEST_F(WrapperWithPrinters, ListsThePlatformOrderWithUnknownPorts)
{
    TRLPrinterWrapper &printer = RLPrinter();
    EXPECT_EQ(printer.Printers(), (std::vector<TRLPrinterEntry>{{QStringLiteral("alpha"), std::nullopt},
                                                                {QStringLiteral("Mid"), std::nullopt},
                                                                {QStringLiteral("Zeta"), std::nullopt}}));
    // Ports unknown: the dialog shows names alone.
    EXPECT_EQ(printer.PrinterDisplayName(1), QStringLiteral("Mid"));
    EXPECT_EQ(printer.PrinterDisplayName(3), QString());
}

TEST_F(WrapperWithPrinters, IndexOutsideTheListIsIgnored)
{
    TRLPrinterWrapper &printer = RLPrinter();
    // Nothing selected yet: the first printer stands in.
    EXPECT_EQ(printer.PrinterIndex(), 0);
    printer.SetPrinterIndex(2);
    EXPECT_EQ(printer.PrinterIndex(), 2);
    EXPECT_EQ(printer.PrinterName(), QStringLiteral("Zeta"));
    printer.SetPrinterIndex(3);
    EXPECT_EQ(printer.PrinterIndex(), 2);
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(printer.PrinterIndex(), 2);
    EXPECT_EQ(printing::thePrinter().qprinter().printerName(), QStringLiteral("Zeta"));
}

TEST_F(WrapperWithPrinters, NameSelectsIgnoringCaseAndWhatFollowsOn)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterName(QStringLiteral("mid on socket://somewhere"));
    EXPECT_EQ(printer.PrinterIndex(), 1);
    EXPECT_EQ(printer.PrinterName(), QStringLiteral("Mid"));
    printer.SetPrinterName(QStringLiteral("ZETA|whatever port"));
    EXPECT_EQ(printer.PrinterIndex(), 2);
    // Unknown names and partial names change nothing.
    printer.SetPrinterName(QStringLiteral("Omega"));
    printer.SetPrinterName(QStringLiteral("Zet"));
    printer.SetPrinterName(QString());
    EXPECT_EQ(printer.PrinterIndex(), 2);
}

TEST_F(WrapperWithPrinters, PortIsTheDeviceUriResolvedOnceAndKept)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(1);
    EXPECT_EQ(printer.PrinterPort(), uriFor(mid));
    EXPECT_EQ(printer.Printers()[1], (TRLPrinterEntry{QStringLiteral("Mid"), uriFor(mid)}));
    EXPECT_EQ(printer.Printers()[0], (TRLPrinterEntry{QStringLiteral("alpha"), std::nullopt}));
    EXPECT_EQ(printer.PrinterDisplayName(1), QStringLiteral("Mid ") + LS().LS_AtStr + u' ' + uriFor(mid));

    // Once known, the port is not asked for again: a changed queue shows up
    // only after a refresh.
    QString out;
    ASSERT_EQ(cupsd->runTool(QStringLiteral("lpadmin"),
                             {QStringLiteral("-p"), QStringLiteral("Mid"), QStringLiteral("-v"),
                              QStringLiteral("socket://127.0.0.1:1")},
                             &out),
              0)
        << out.toStdString();
    EXPECT_EQ(printer.PrinterPort(), uriFor(mid));
    printer.Refresh();
    EXPECT_EQ(printer.Printers()[1], (TRLPrinterEntry{QStringLiteral("Mid"), std::nullopt}));
    EXPECT_EQ(printer.PrinterIndex(), 1);
    EXPECT_EQ(printer.PrinterPort(), QStringLiteral("socket://127.0.0.1:1"));
}

TEST_F(WrapperWithPrinters, PortOfAQueueThatWentAwayRaisesTheServersError)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(0);
    cupsd->removeQueue(QStringLiteral("alpha"));
    try {
        printer.PrinterPort();
        ADD_FAILURE() << "no error for a queue that is gone";
    } catch (const Exception &e) {
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_EQ(printer.Printers()[0], (TRLPrinterEntry{QStringLiteral("alpha"), std::nullopt}));
}

TEST_F(WrapperWithPrinters, RefreshKeepsTheIndexWithinTheNewList)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(2);
    cupsd->removeQueue(QStringLiteral("Zeta"));
    printer.Refresh();
    EXPECT_EQ(printer.Printers().size(), 2u);
    EXPECT_EQ(printer.PrinterIndex(), 1);
    EXPECT_EQ(printer.PrinterName(), QStringLiteral("Mid"));

    cupsd->removeQueue(QStringLiteral("Mid"));
    cupsd->removeQueue(QStringLiteral("alpha"));
    printer.Refresh();
    EXPECT_TRUE(printer.Printers().empty());
    EXPECT_EQ(printer.PrinterIndex(), -1);
}

TEST_F(WrapperWithPrinters, PaperByCodeOrUserDefinedInTenths)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printing::PlatformPrinter &platform = printing::thePrinter();

    printer.SetPaperSize(211, 297, TRLPageOrientation::poPortrait, false, true);
    EXPECT_EQ(platform.paper().code, 256);
    EXPECT_EQ(platform.paper().widthTenths, 2110);
    EXPECT_EQ(platform.paper().lengthTenths, 2970);
    const QSizeF custom = printer.Printer().pageLayout().pageSize().size(QPageSize::Millimeter);
    EXPECT_NEAR(custom.width(), 211, 0.05);
    EXPECT_NEAR(custom.height(), 297, 0.05);

    printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
    EXPECT_EQ(platform.paper().code, 9);
    // A known paper leaves the user-defined measures as they were.
    EXPECT_EQ(platform.paper().widthTenths, 2110);
    EXPECT_EQ(printer.Printer().pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.Printer().pageLayout().orientation(), QPageLayout::Portrait);

    printer.SetPaperSize(215.9, 279.4, TRLPageOrientation::poLandscape, false, true);
    EXPECT_EQ(platform.paper().code, 1);
    EXPECT_EQ(printer.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer.Printer().pageLayout().orientation(), QPageLayout::Landscape);

    // Tenths are rounded, not cut.
    printer.SetPaperSize(100.06, 150.04, TRLPageOrientation::poPortrait, false, true);
    EXPECT_EQ(platform.paper().widthTenths, 1001);
    EXPECT_EQ(platform.paper().lengthTenths, 1500);
}

// The queue went away after the list was read: printing on it must say so
// (a silent abort would end the print with nothing printed and nothing said).
TEST_F(WrapperWithPrinters, SettingsOfAQueueThatWentAwayAreAClearError)
{
    TRLPrinterWrapper &printer = RLPrinter();
    ASSERT_EQ(printer.Printers().size(), 3u);
    cupsd->removeQueue(QStringLiteral("Mid"));
    printer.SetPrinterIndex(1);
    try {
        printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
        ADD_FAILURE() << "no error for a printer whose settings cannot be had";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), LS().LS_PrinterNotFoundStr + QStringLiteral(": Mid"));
    } catch (const SilentAbort &) {
        ADD_FAILURE() << "a silent abort: nothing printed and nothing said";
    }
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    EXPECT_EQ(metrics, kFallbackPrinterMetrics);
    // The other queues still work.
    printer.SetPrinterIndex(0);
    EXPECT_NO_THROW(printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true));
}

TEST_F(WrapperWithPrinters, CopiesAndOddEven)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(0);
    EXPECT_EQ(printer.Copies(), 1);
    printer.SetCopies(3);
    EXPECT_EQ(printer.Copies(), 3);
    EXPECT_EQ(printer.Printer().copyCount(), 3);
    printer.SetOddEven(TRLPrintOddEvenPages::odEvenPagesOnly);
    EXPECT_EQ(printer.OddEven(), TRLPrintOddEvenPages::odEvenPagesOnly);
    // Another printer starts from its own defaults.
    printer.SetPrinterIndex(1);
    EXPECT_EQ(printer.Copies(), 1);
    // The odd/even choice is the wrapper's own, not the printer's.
    EXPECT_EQ(printer.OddEven(), TRLPrintOddEvenPages::odEvenPagesOnly);
}

TEST_F(WrapperWithPrinters, DocumentArrivesAsOneJobWithItsTitleAndPages)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(1);
    printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
    printer.BeginDoc(QStringLiteral("Relatório de teste"));
    ASSERT_NE(printer.Painter(), nullptr);
    printer.Painter()->drawText(QPointF(300, 300), QStringLiteral("page one"));
    printer.NewPage();
    printer.Painter()->drawText(QPointF(300, 300), QStringLiteral("page two"));
    printer.EndDoc();
    EXPECT_EQ(printer.Painter(), nullptr);
    EXPECT_EQ(printer.PrinterIndex(), 1);

    const std::vector<std::string> jobs = mid.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u) << "no job reached the printer";
    EXPECT_EQ(jobs[0].substr(0, 5), "%PDF-");
    EXPECT_EQ(pdfInfoField(jobs[0], QStringLiteral("Pages")), QStringLiteral("2"));
    EXPECT_EQ(pdfInfoField(jobs[0], QStringLiteral("Title")), QStringLiteral("Relatório de teste"));
    const QString text = pdfText(jobs[0]);
    EXPECT_TRUE(text.contains(QStringLiteral("page one"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("page two"))) << text.toStdString();
    EXPECT_TRUE(alpha.jobs().empty());
    EXPECT_TRUE(zeta.jobs().empty());
}

// A page break that does not happen would draw the next page over the last.
TEST_F(WrapperWithPrinters, APageBreakOutsideADocumentIsAnError)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(1);
    for (const char *when : {"before the document", "after the document"}) {
        SCOPED_TRACE(when);
        try {
            printer.NewPage();
            ADD_FAILURE() << "a break that did not happen passed for done";
        } catch (const Exception &e) {
            EXPECT_TRUE(e.message().startsWith(LS().LS_PrinterDriverErrorStr + QStringLiteral(": ")))
                << e.message().toStdString();
        }
        printer.BeginDoc(QStringLiteral("quebra"));
        EXPECT_NO_THROW(printer.NewPage());
        printer.EndDoc();
    }
    EXPECT_EQ(mid.waitForJobs(2).size(), 2u);
}

// What the print dialog and the report set (copies, orientation, paper)
// lasts beyond a document: a report whose paper changes prints in two jobs,
// and the second must not fall back to the printer's defaults.
TEST_F(WrapperWithPrinters, CopiesOrientationAndPaperOutliveTheDocument)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(1);
    printer.SetPaperSize(215.9, 279.4, TRLPageOrientation::poLandscape, false, true); // Letter, landscape
    printer.SetCopies(3);
    for (int job = 1; job <= 2; ++job) {
        SCOPED_TRACE(job);
        printer.BeginDoc(QStringLiteral("persistente"));
        printer.EndDoc();
        EXPECT_EQ(printer.PrinterIndex(), 1);
        EXPECT_EQ(printer.Copies(), 3);
        EXPECT_TRUE(printing::thePrinter().landscape());
        EXPECT_EQ(printer.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
        EXPECT_EQ(printing::thePrinter().paper().code, 1);
    }
    const std::vector<std::string> jobs = mid.waitForJobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    for (const QSizeF &size : pdfPageSizes(jobs[1])) {
        EXPECT_NEAR(size.width(), 792, 1) << "the second job is on landscape Letter";
        EXPECT_NEAR(size.height(), 612, 1);
    }
}

// The canvas of a document lives from BeginDoc to EndDoc, across pages, and
// sizes fonts by the printer's vertical resolution: 10 points are as many
// printer pixels as 10/72 of an inch.
TEST_F(WrapperWithPrinters, CanvasLivesAsLongAsTheDocument)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(1);
    printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
    EXPECT_EQ(printer.Canvas(), nullptr);
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    printer.BeginDoc(QStringLiteral("canvas"));
    TCanvas *canvas = printer.Canvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->PixelsPerInch(), metrics.PPIY);
    EXPECT_EQ(canvas->Painter(), printer.Painter());
    TFont font;
    font.SetName(QStringLiteral("Courier New"));
    font.SetPixelsPerInch(canvas->PixelsPerInch());
    font.SetSize(10);
    canvas->SetFont(font);
    EXPECT_NEAR(canvas->Font().Resource().emPixels, metrics.PPIY * 10 / 72.0, 1.0);
    canvas->TextOut(300, 300, std::string_view("folha um"));
    printer.NewPage();
    EXPECT_EQ(printer.Canvas(), canvas);
    canvas->TextOut(300, 300, std::string_view("folha dois"));
    printer.EndDoc();
    EXPECT_EQ(printer.Canvas(), nullptr);

    const std::vector<std::string> jobs = mid.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(pdfInfoField(jobs[0], QStringLiteral("Pages")), QStringLiteral("2"));
    const QString text = pdfText(jobs[0]);
    EXPECT_TRUE(text.contains(QStringLiteral("folha um"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("folha dois"))) << text.toStdString();
}

// A queue that refuses jobs: the document is painted, but handing it over
// fails, and EndDoc says so (with the server's reason) instead of losing it.
TEST_F(WrapperWithPrinters, EndDocReportsAQueueThatRefusesTheJob)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(0);
    printer.BeginDoc(QStringLiteral("recusado"));
    printer.Painter()->drawText(QPointF(300, 300), QStringLiteral("nunca impresso"));
    QString out;
    ASSERT_EQ(cupsd->runTool(QStringLiteral("cupsreject"), {QStringLiteral("alpha")}, &out), 0) << out.toStdString();
    try {
        printer.EndDoc();
        ADD_FAILURE() << "the refused job passed for printed";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(LS().LS_PrinterDriverErrorStr + QStringLiteral(": ")))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("not accepting jobs"))) << e.message().toStdString();
    }
    EXPECT_EQ(printer.Painter(), nullptr);
    EXPECT_EQ(printer.PrinterIndex(), 0);
    // The next document on another queue is not blamed for the refusal.
    printer.SetPrinterIndex(1);
    printer.BeginDoc(QStringLiteral("aceito"));
    printer.EndDoc();
    EXPECT_EQ(mid.waitForJobs(1).size(), 1u);
    EXPECT_TRUE(alpha.jobs().empty());
}

// The setup dialog works on the selected printer's own settings: what the
// operator chooses there is what the following documents are printed with,
// whatever paper the report asks for meanwhile, until the printer is selected
// again, which brings back its defaults. After Cancel the report's paper
// holds.
TEST_F(WrapperWithPrinters, SetupChoiceReachesTheNextDocument)
{
    InstallRLWindows(); // the dialog is one of the engine's windows
    const Attended attended;
    struct Case {
        const char *what;
        std::function<void(QPageSetupDialog &)> answer;
        bool accept;
        int paperCode; // after the dialog (0: the printer's defaults)
        QSizeF sheet;  // points, as the next document arrives
    };
    const auto letter = [](QPageSetupDialog &d) {
        auto *sizes = d.findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
        ASSERT_NE(sizes, nullptr);
        sizes->setCurrentIndex(sizes->findText(QStringLiteral("Letter"), Qt::MatchStartsWith));
    };
    const auto turned = [](QPageSetupDialog &d) {
        auto *landscape = d.findChild<QRadioButton *>(QStringLiteral("landscape"));
        ASSERT_NE(landscape, nullptr);
        landscape->click();
    };
    const std::vector<Case> cases = {
        {"Letter", letter, true, 1, {612, 792}},
        {"landscape", turned, true, 9, {842, 595}},
        {"Letter, cancelled", letter, false, 0, {595, 842}},
    };
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterIndex(2);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
        {
            const AnswerWhenOpen<QPageSetupDialog> operatorAnswers([&](QPageSetupDialog &d) {
                c.answer(d);
                c.accept ? d.accept() : d.reject();
            });
            EXPECT_TRUE(printer.ExecuteSetup());
        }
        EXPECT_EQ(printer.PrinterIndex(), 2);
        EXPECT_EQ(printer.LayoutChosenInSetup(), c.accept);
        EXPECT_EQ(printing::thePrinter().paper().code, c.paperCode);
        // The report asks for its own paper again before printing.
        printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
        EXPECT_EQ(printing::thePrinter().paper().code, c.accept ? c.paperCode : 9);
        TRLPrinterMetrics metrics;
        printer.LoadMetrics(metrics);
        EXPECT_EQ(metrics.MarginLeft, 0) << "the pages bring their own margins";
        for (int document = 0; document < 2; ++document) {
            const QSizeF sheet = c.sheet;
            printer.BeginDoc(QString::fromLatin1(c.what));
            printer.Painter()->drawText(QPointF(300, 300), QStringLiteral("folha"));
            printer.EndDoc();
            const std::vector<std::string> jobs = zeta.waitForJobs(1);
            ASSERT_EQ(jobs.size(), 1u);
            const std::vector<QSizeF> sizes = pdfPageSizes(jobs[0]);
            ASSERT_EQ(sizes.size(), 1u);
            EXPECT_NEAR(sizes[0].width(), sheet.width(), 1);
            EXPECT_NEAR(sizes[0].height(), sheet.height(), 1);
            zeta.clear();
            printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
        }
        EXPECT_EQ(printer.LayoutChosenInSetup(), c.accept);
        printer.SetPrinterIndex(2);
        EXPECT_FALSE(printer.LayoutChosenInSetup());
    }
}

// ---------------------------------------------------------------------------
// The queue with unprintable margins.

class WrapperWithMargins : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Plain"), plain.port());
        cupsd->addMarginQueue(QStringLiteral("Margins"), margins.port());
    }

    // The expected metrics of a sheet of w x h points with the PPD's margins.
    static TRLPrinterMetrics expected(int ppi, double w, double h)
    {
        TRLPrinterMetrics m;
        m.PPIX = m.PPIY = ppi;
        m.PhysicalWidth = pointsToPixels(w, ppi);
        m.PhysicalHeight = pointsToPixels(h, ppi);
        m.MarginLeft = pointsToPixels(PrivateCupsd::kMarginLeftPt, ppi);
        m.MarginTop = pointsToPixels(PrivateCupsd::kMarginTopPt, ppi);
        m.MarginRight = pointsToPixels(PrivateCupsd::kMarginRightPt, ppi);
        m.MarginBottom = pointsToPixels(PrivateCupsd::kMarginBottomPt, ppi);
        m.ClientWidth = m.PhysicalWidth - m.MarginLeft - m.MarginRight;
        m.ClientHeight = m.PhysicalHeight - m.MarginTop - m.MarginBottom;
        return m;
    }

    static void expectNear(const TRLPrinterMetrics &got, const TRLPrinterMetrics &want)
    {
        EXPECT_EQ(got.PPIX, want.PPIX);
        EXPECT_EQ(got.PPIY, want.PPIY);
        EXPECT_NEAR(got.PhysicalWidth, want.PhysicalWidth, 1);
        EXPECT_NEAR(got.PhysicalHeight, want.PhysicalHeight, 1);
        EXPECT_NEAR(got.MarginLeft, want.MarginLeft, 1);
        EXPECT_NEAR(got.MarginTop, want.MarginTop, 1);
        EXPECT_NEAR(got.MarginRight, want.MarginRight, 2);
        EXPECT_NEAR(got.MarginBottom, want.MarginBottom, 2);
        EXPECT_NEAR(got.ClientWidth, want.ClientWidth, 2);
        EXPECT_NEAR(got.ClientHeight, want.ClientHeight, 2);
    }

    SocketListener plain, margins;
};

TEST_F(WrapperWithMargins, MetricsFollowThePrintableAreaOfThePpd)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterName(QStringLiteral("Margins"));
    ASSERT_EQ(printer.PrinterName(), QStringLiteral("Margins"));
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    EXPECT_NE(metrics, kFallbackPrinterMetrics);
    ASSERT_GT(metrics.PPIX, 0);
    // The PPD's default paper is A4 (595 x 842 points).
    expectNear(metrics, expected(metrics.PPIX, 595, 842));

    printer.SetPaperSize(215.9, 279.4, TRLPageOrientation::poPortrait, false, true);
    printer.LoadMetrics(metrics);
    expectNear(metrics, expected(metrics.PPIX, 612, 792));
}

TEST_F(WrapperWithMargins, RawQueuePrintsToTheEdge)
{
    TRLPrinterWrapper &printer = RLPrinter();
    // Margins first: the plain queue must not keep margins from the other one.
    printer.SetPrinterName(QStringLiteral("Margins"));
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    printer.SetPrinterName(QStringLiteral("Plain"));
    printer.SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, true);
    printer.LoadMetrics(metrics);
    // A4 as the printing system measures it: 595 x 842 points.
    EXPECT_NEAR(metrics.PhysicalWidth, pointsToPixels(595, metrics.PPIX), 1);
    EXPECT_NEAR(metrics.PhysicalHeight, pointsToPixels(842, metrics.PPIX), 1);
    EXPECT_EQ(metrics.MarginLeft, 0);
    EXPECT_EQ(metrics.MarginTop, 0);
    EXPECT_EQ(metrics.MarginRight, 0);
    EXPECT_EQ(metrics.MarginBottom, 0);
    EXPECT_EQ(metrics.ClientWidth, metrics.PhysicalWidth);
}

TEST_F(WrapperWithMargins, LandscapeTurnsTheSheet)
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPrinterName(QStringLiteral("Margins"));
    printer.SetPaperSize(210, 297, TRLPageOrientation::poLandscape, false, true);
    TRLPrinterMetrics metrics;
    printer.LoadMetrics(metrics);
    EXPECT_GT(metrics.PhysicalWidth, metrics.PhysicalHeight);
    EXPECT_NEAR(metrics.PhysicalWidth, pointsToPixels(842, metrics.PPIX), 1);
    EXPECT_EQ(metrics.MarginRight, metrics.PhysicalWidth - metrics.MarginLeft - metrics.ClientWidth);
    EXPECT_EQ(metrics.MarginBottom, metrics.PhysicalHeight - metrics.MarginTop - metrics.ClientHeight);
}

// A job that goes to the queue as a document is laid out from what the print
// server says of the queue, without the toolkit's printer: the same sheet,
// printable area and job options, to the device pixel.
TEST_F(WrapperWithMargins, TheQueuesDescriptionLaysOutTheToolkitsSheet)
{
    for (const QString &queue : {QStringLiteral("Margins"), QStringLiteral("Plain")})
        expectTheToolkitsSheets(queue);
}
