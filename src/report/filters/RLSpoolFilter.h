#pragma once
// The spool filter: paints every stored object on the printer's canvas at the
// printer's resolution, starting a new print job whenever the paper size or
// orientation changes from one page to the next. Pages of one job are
// separated by page breaks; a job never ends with a break (which would be a
// blank sheet).

#include "platform/graphics.h"
#include "report/filters/RLFilters.h"

#include <vector>

namespace prenso {

class TRLSpoolFilter : public TRLCustomPrintFilter {
public:
    TRLSpoolFilter();
    ~TRLSpoolFilter() override;

    // Starts a job for that page size unless one for it is open already;
    // true when it started one.
    bool SetPageSize(int orientation, double paperWidth, double paperHeight);
    const TRect &PrinterRect() const { return FPrinterRect; }
    bool DocStarted() const { return FDocStarted; }

protected:
    void InternalBeginDoc() override;
    void InternalEndDoc() override;
    void InternalNewPage() override;
    void InternalDrawPage(TRLGraphicSurface *page) override;

private:
    TRect FPrinterRect;
    bool FDocStarted = false;
    // The page loop asks for a break before the next page is known; it is
    // made only once that page turns out to go to the same job.
    bool FPageBreakPending = false;
    double FPaperWidth = 0;
    double FPaperHeight = 0;
    int FOrientation = 0;
};

} // namespace prenso
