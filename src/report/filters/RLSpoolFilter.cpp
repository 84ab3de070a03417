#include "report/filters/RLSpoolFilter.h"

#include "platform/graphics/canvas.h"
#include "platform/printing/printjob.h"
#include "report/RLConsts.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/filters/pdf/RLPDFFontMetrics.h"
#include "report/filters/pdf/RLPDFOutput.h"
#include "report/filters/pdf/RLPDFWriter.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace prenso {
namespace {

// The operator may have chosen a paper in the printer's setup dialog that is
// smaller than the page (or turned it): the page is then shrunk, keeping its
// proportions, until it fits on the sheet, so that nothing is cut off. A page
// that fits, give or take a millimetre, keeps its size.
double fitOnSheet(const TRLPrinterMetrics &m, double widthMM, double heightMM)
{
    if (m.PPIX <= 0 || m.PPIY <= 0 || widthMM <= 0 || heightMM <= 0)
        return 1.0;
    const double sheetWidthMM = DotsToMillimetres(m.PhysicalWidth, m.PPIX);
    const double sheetHeightMM = DotsToMillimetres(m.PhysicalHeight, m.PPIY);
    if (widthMM <= sheetWidthMM + 1 && heightMM <= sheetHeightMM + 1)
        return 1.0;
    return std::min(sheetWidthMM / widthMM, sheetHeightMM / heightMM);
}

QString driverError(const QString &words)
{
    return LS().LS_PrinterDriverErrorStr + QStringLiteral(": ") + words;
}

} // namespace

// The writer's bytes go into the print server's job as they come.
class TRLSpoolFilter::JobSink : public TRLPDFSink {
public:
    explicit JobSink(printing::PrintServerJob &job) : FJob(job) {}
    void Write(std::string_view bytes) override
    {
        try {
            FJob.write(bytes);
        } catch (const Exception &e) {
            throw Exception(driverError(e.message()));
        }
    }

private:
    printing::PrintServerJob &FJob;
};

TRLSpoolFilter::TRLSpoolFilter() = default;

TRLSpoolFilter::~TRLSpoolFilter()
{
    BeginDestroy();
    DropJob();
}

bool TRLSpoolFilter::SetPageSize(TRLPageOrientation orientation, double paperWidth, double paperHeight)
{
    if (FDocStarted && orientation == FOrientation && paperWidth == FPaperWidth && paperHeight == FPaperHeight)
        return false;
    FOrientation = orientation;
    FPaperWidth = paperWidth;
    FPaperHeight = paperHeight;
    TRLPrinterWrapper &printer = RLPrinter();
    if (FDocStarted) {
        FDocStarted = false;
        EndJob();
    }
    printer.SetPaperSize(paperWidth, paperHeight, orientation, false, true);
    TRLPrinterMetrics m;
    printer.LoadMetrics(m);
    const bool landscape = orientation == TRLPageOrientation::poLandscape;
    const double w = landscape ? paperHeight : paperWidth;
    const double h = landscape ? paperWidth : paperHeight;
    const double scale = printer.LayoutChosenInSetup() ? fitOnSheet(m, w, h) : 1.0;
    // The stored page's origin is the corner of the sheet, not of the
    // printable area: whatever lies in the unprintable margin is cut off.
    // A stored paper size can be anything a file says; the sums saturate.
    auto negated = [](int v) { return v == INT_MIN ? INT_MAX : -v; };
    const int left = negated(m.MarginLeft);
    const int top = negated(m.MarginTop);
    FPrinterRect = TRect{left, top, SatAdd(RoundCoord(MillimetresToDots(w * scale, m.PPIX)), left),
                         SatAdd(RoundCoord(MillimetresToDots(h * scale, m.PPIY)), top)};
    QString title;
    if (TRLGraphicStorage *pages = Pages()) {
        title = pages->JobTitle();
        if (title.isEmpty())
            title = pages->Title();
    }
    if (title.isEmpty())
        title = QStringLiteral("Sem título");
    if (FHandsOverDocuments && printer.TakesDocuments())
        StartJob(title, m);
    else
        printer.BeginDoc(title);
    FDocStarted = true;
    return true;
}

void TRLSpoolFilter::StartJob(const QString &title, const TRLPrinterMetrics &m)
{
    FDevice.Sheet = TPoint{m.PhysicalWidth, m.PhysicalHeight};
    FDevice.PixelsPerInchX = m.PPIX > 0 ? m.PPIX : kDesignPixelsPerInch;
    FDevice.PixelsPerInchY = m.PPIY > 0 ? m.PPIY : kDesignPixelsPerInch;
    const QString &queueName = RLPrinter().QueueName();
    FJob = RLPrinter().StartDocument(queueName.isEmpty() ? title : queueName, printing::kPdfFormat);
    FSink = std::make_unique<JobSink>(*FJob);
    FWriter = std::make_unique<TRLPDFWriter>();
    // The printer prints every face the canvas can draw, with outlines or not.
    FWriter->SetFontMetricsProvider(GetCanvasFontMetrics);
    FPagePainter = std::make_unique<TRLPDFPagePainter>(*FWriter);
    TRLPDFFilterDocumentInfo info;
    info.Assign(&DefaultDocumentInfo());
    info.SetTitle(title);
    try {
        FWriter->BeginDoc(*FSink,
                          TPoint{RoundCoord(DotsToPixels(FDevice.Sheet.X, FDevice.PixelsPerInchX)),
                                 RoundCoord(DotsToPixels(FDevice.Sheet.Y, FDevice.PixelsPerInchY))},
                          info);
    } catch (...) {
        DropJob();
        throw;
    }
}

void TRLSpoolFilter::EndJob()
{
    if (!FJob) {
        RLPrinter().EndDoc();
        return;
    }
    const bool errorInFlight = std::uncaught_exceptions() > 0;
    // A document without pages (a range that ends before it starts) would
    // only feed the printer a blank sheet, or make its filters fail: the job
    // goes, as an empty job prints nothing.
    if (FWriter->PageCount() == 0) {
        DropJob();
        return;
    }
    try {
        FWriter->EndDoc();
        FJob->finish();
    } catch (const Exception &e) {
        DropJob();
        if (errorInFlight)
            return;
        throw Exception(e.message().startsWith(LS().LS_PrinterDriverErrorStr) ? e.message() : driverError(e.message()));
    } catch (...) {
        DropJob();
        if (errorInFlight)
            return;
        throw;
    }
    FPagePainter.reset();
    FWriter.reset();
    FSink.reset();
    FJob.reset();
}

void TRLSpoolFilter::DropJob() noexcept
{
    FPagePainter.reset();
    FWriter.reset();
    if (FJob)
        FJob->cancel();
    FSink.reset();
    FJob.reset();
}

void TRLSpoolFilter::InternalBeginDoc()
{
    FDocStarted = false;
    FPageBreakPending = false;
    TRLGraphicStorage *pages = Pages();
    SetPageSize(pages ? pages->Orientation() : TRLPageOrientation::poPortrait, pages ? pages->PaperWidth() : 210,
                pages ? pages->PaperHeight() : 297);
}

void TRLSpoolFilter::InternalNewPage()
{
    FPageBreakPending = true;
}

void TRLSpoolFilter::InternalEndDoc()
{
    FDocStarted = false;
    FPageBreakPending = false;
    EndJob();
}

void TRLSpoolFilter::InternalDrawPage(TRLGraphicPage *page)
{
    // A page of another size starts a job of its own, which begins on a
    // fresh sheet: the break asked for before it would only have left a
    // blank sheet at the end of the job before.
    if (SetPageSize(page->Orientation(), page->PaperWidth(), page->PaperHeight()))
        FPageBreakPending = false;
    if (FJob) {
        // Each page of the document is a sheet of its own.
        FPageBreakPending = false;
        const TRect &r = FPrinterRect;
        const double xf = page->Width() != 0 ? (static_cast<double>(r.Right) - r.Left) / page->Width() : 1.0;
        const double yf = page->Height() != 0 ? (static_cast<double>(r.Bottom) - r.Top) / page->Height() : 1.0;
        // The printer rectangle starts at the sheet's corner, which is the
        // document page's origin.
        auto extent = [](int from, int to) {
            return static_cast<int>(
                std::clamp(static_cast<long long>(to) - from, 0LL, static_cast<long long>(INT_MAX)));
        };
        FDevice.Context = TRLPaintContext(xf, yf, 0, 0, kPrinterPaintOptions);
        FDevice.Clip = TRect{0, 0, extent(r.Left, r.Right), extent(r.Top, r.Bottom)};
        FPagePainter->DrawPage(*page, FDevice);
        return;
    }
    if (FPageBreakPending) {
        FPageBreakPending = false;
        RLPrinter().NewPage();
    }
    TCanvas *printerCanvas = RLPrinter().Canvas();
    if (!printerCanvas)
        throw Exception(QStringLiteral("The printer has no open document to draw on."));
    // The printer paints the page as the screen does, with what a printer
    // asks for: every box at least one of its pixels, pictures in 256 colours.
    TRLCanvasPainter(*printerCanvas, kPrinterPaintOptions).Paint(*page, FPrinterRect);
}

} // namespace prenso
