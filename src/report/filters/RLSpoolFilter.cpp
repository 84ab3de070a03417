#include "report/filters/RLSpoolFilter.h"

#include "platform/canvas.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/printing/RLPrinters.h"


namespace prenso {

TRLSpoolFilter::TRLSpoolFilter() = default;

TRLSpoolFilter::~TRLSpoolFilter()
{
    BeginDestroy();
}

void TRLSpoolFilter::SetPageSize(int orientation, double paperWidth, double paperHeight)
{
    if (m_docStarted && orientation == m_orientation && paperWidth == m_paperWidth && paperHeight == m_paperHeight)
        return;
    m_orientation = orientation;
    m_paperWidth = paperWidth;
    m_paperHeight = paperHeight;
    TRLPrinterWrapper &printer = RLPrinter();
    if (m_docStarted) {
        m_docStarted = false;
        printer.EndDoc();
    }
    printer.SetPaperSize(paperWidth, paperHeight, orientation == 2, false, true);
    TRLPrinterMetrics m;
    printer.LoadMetrics(m);
    const double w = orientation == 2 ? paperHeight : paperWidth;
    const double h = orientation == 2 ? paperWidth : paperHeight;
    // The stored page's origin is the corner of the sheet, not of the
    // printable area: whatever lies in the unprintable margin is cut off.
    m_printerRect = TRect{-m.MarginLeft, -m.MarginTop, RoundCoord(m.PPIX * w / 25.4) - m.MarginLeft,
                          RoundCoord(m.PPIY * h / 25.4) - m.MarginTop};
    QString title;
    if (TRLGraphicStorage *pages = Pages()) {
        title = pages->JobTitle();
        if (title.isEmpty())
            title = pages->Title();
    }
    if (title.isEmpty())
        title = QStringLiteral("Sem título");
    printer.BeginDoc(title);
    m_docStarted = true;
}

void TRLSpoolFilter::InternalBeginDoc()
{
    m_docStarted = false;
    TRLGraphicStorage *pages = Pages();
    SetPageSize(pages ? pages->Orientation() : 1, pages ? pages->PaperWidth() : 210,
                pages ? pages->PaperHeight() : 297);
}

void TRLSpoolFilter::InternalNewPage()
{
    RLPrinter().NewPage();
}

void TRLSpoolFilter::InternalEndDoc()
{
    m_docStarted = false;
    RLPrinter().EndDoc();
}

void TRLSpoolFilter::InternalDrawPage(TRLGraphicSurface *page)
{
    SetPageSize(page->Orientation(), page->PaperWidth(), page->PaperHeight());
    TCanvas *printerCanvas = RLPrinter().Canvas();
    if (!printerCanvas)
        throw Exception(QStringLiteral("The printer has no open document to draw on."));
    // The printer paints the page as the screen does, with what a printer
    // asks for: every box at least one of its pixels, pictures in 256 colours.
    page->PaintTo(*printerCanvas, m_printerRect, kPrinterPaintOptions);
}

} // namespace prenso
