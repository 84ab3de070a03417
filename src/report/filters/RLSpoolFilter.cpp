#include "report/filters/RLSpoolFilter.h"

#include "platform/canvas.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>
#include <climits>

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
    const double sheetWidthMM = m.PhysicalWidth * 25.4 / m.PPIX;
    const double sheetHeightMM = m.PhysicalHeight * 25.4 / m.PPIY;
    if (widthMM <= sheetWidthMM + 1 && heightMM <= sheetHeightMM + 1)
        return 1.0;
    return std::min(sheetWidthMM / widthMM, sheetHeightMM / heightMM);
}

} // namespace

TRLSpoolFilter::TRLSpoolFilter() = default;

TRLSpoolFilter::~TRLSpoolFilter()
{
    BeginDestroy();
}

bool TRLSpoolFilter::SetPageSize(int orientation, double paperWidth, double paperHeight)
{
    if (FDocStarted && orientation == FOrientation && paperWidth == FPaperWidth && paperHeight == FPaperHeight)
        return false;
    FOrientation = orientation;
    FPaperWidth = paperWidth;
    FPaperHeight = paperHeight;
    TRLPrinterWrapper &printer = RLPrinter();
    if (FDocStarted) {
        FDocStarted = false;
        printer.EndDoc();
    }
    printer.SetPaperSize(paperWidth, paperHeight, orientation == 2, false, true);
    TRLPrinterMetrics m;
    printer.LoadMetrics(m);
    const double w = orientation == 2 ? paperHeight : paperWidth;
    const double h = orientation == 2 ? paperWidth : paperHeight;
    const double scale = printer.LayoutChosenInSetup() ? fitOnSheet(m, w, h) : 1.0;
    // The stored page's origin is the corner of the sheet, not of the
    // printable area: whatever lies in the unprintable margin is cut off.
    // A stored paper size can be anything a file says; the sums saturate.
    auto negated = [](int v) { return v == INT_MIN ? INT_MAX : -v; };
    const int left = negated(m.MarginLeft);
    const int top = negated(m.MarginTop);
    FPrinterRect = TRect{left, top, SatAdd(RoundCoord(m.PPIX * w * scale / 25.4), left),
                         SatAdd(RoundCoord(m.PPIY * h * scale / 25.4), top)};
    QString title;
    if (TRLGraphicStorage *pages = Pages()) {
        title = pages->JobTitle();
        if (title.isEmpty())
            title = pages->Title();
    }
    if (title.isEmpty())
        title = QStringLiteral("Sem título");
    printer.BeginDoc(title);
    FDocStarted = true;
    return true;
}

void TRLSpoolFilter::InternalBeginDoc()
{
    FDocStarted = false;
    FPageBreakPending = false;
    TRLGraphicStorage *pages = Pages();
    SetPageSize(pages ? pages->Orientation() : 1, pages ? pages->PaperWidth() : 210,
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
    RLPrinter().EndDoc();
}

void TRLSpoolFilter::InternalDrawPage(TRLGraphicSurface *page)
{
    // A page of another size starts a job of its own, which begins on a
    // fresh sheet: the break asked for before it would only have left a
    // blank sheet at the end of the job before.
    if (SetPageSize(page->Orientation(), page->PaperWidth(), page->PaperHeight()))
        FPageBreakPending = false;
    if (FPageBreakPending) {
        FPageBreakPending = false;
        RLPrinter().NewPage();
    }
    TCanvas *printerCanvas = RLPrinter().Canvas();
    if (!printerCanvas)
        throw Exception(QStringLiteral("The printer has no open document to draw on."));
    // The printer paints the page as the screen does, with what a printer
    // asks for: every box at least one of its pixels, pictures in 256 colours.
    page->PaintTo(*printerCanvas, FPrinterRect, kPrinterPaintOptions);
}

} // namespace prenso
