#pragma once
// The spool filter: prints every stored page at the printer's resolution,
// starting a new print job whenever the paper size or orientation changes
// from one page to the next. Pages of one job are separated by page breaks;
// a job never ends with a break (which would be a blank sheet).
//
// A printer that takes documents (a queue of the print server) gets each job
// as a PDF of the engine's own writer, streamed to the server as it is made:
// every object converted into the printer's pixels as the page painting
// converts it, the fonts embedded. Any other printer gets the pages painted
// on its canvas, through the same page painting as the screen.

#include "platform/graphics/valuetypes.h"
#include "report/filters/RLFilters.h"
#include "report/filters/pdf/RLPDFPages.h"

#include <memory>
#include <vector>

namespace prenso {

namespace printing {
class PrintServerJob;
}
class TRLPDFWriter;

class TRLSpoolFilter : public TRLCustomPrintFilter {
public:
    TRLSpoolFilter();
    ~TRLSpoolFilter() override;

    // Starts a job for that page size unless one for it is open already;
    // true when it started one.
    bool SetPageSize(TRLPageOrientation orientation, double paperWidth, double paperHeight);
    const TRect &PrinterRect() const { return FPrinterRect; }
    bool DocStarted() const { return FDocStarted; }

    // Whether a printer that takes documents gets them written by the
    // engine (on, the default) or painted on its canvas (off).
    bool HandsOverDocuments() const { return FHandsOverDocuments; }
    void SetHandsOverDocuments(bool value) { FHandsOverDocuments = value; }

protected:
    void InternalBeginDoc() override;
    void InternalEndDoc() override;
    void InternalNewPage() override;
    void InternalDrawPage(TRLGraphicPage *page) override;

private:
    class JobSink;
    void StartJob(const QString &title, const struct TRLPrinterMetrics &metrics);
    // Ends the open job: the document is finished and handed over. With an
    // error on its way out the pages drawn so far are still handed over as
    // the painted path hands them over, and nothing more is raised.
    void EndJob();
    void DropJob() noexcept;

    TRect FPrinterRect;
    bool FDocStarted = false;
    // The page loop asks for a break before the next page is known; it is
    // made only once that page turns out to go to the same job.
    bool FPageBreakPending = false;
    double FPaperWidth = 0;
    double FPaperHeight = 0;
    TRLPageOrientation FOrientation = TRLPageOrientation::poPortrait;

    bool FHandsOverDocuments = true;
    // The open job of a printer that takes documents, and what writes it.
    std::unique_ptr<printing::PrintServerJob> FJob;
    std::unique_ptr<JobSink> FSink;
    std::unique_ptr<TRLPDFWriter> FWriter;
    std::unique_ptr<TRLPDFPagePainter> FPagePainter;
    TRLPDFDevicePage FDevice;
};

} // namespace prenso
