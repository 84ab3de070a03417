#include "report/pagination/RLPageSetup.h"

#include "report/pagination/RLReport.h"

namespace prenso {

// ---------------------------------------------------------------------------
// Page setup

TRLPageSetup::TRLPageSetup(TRLCustomReport *report)
    : FReport(report), FPaperHeight(PaperInfo(TRLPaperSize::fpA4).Height),
      FPaperWidth(PaperInfo(TRLPaperSize::fpA4).Width)
{}

void TRLPageSetup::changed()
{
    if (FReport)
        FReport->PageSetupChanged();
}

void TRLPageSetup::SetPaperSize(TRLPaperSize size)
{
    if (size == FPaperSize)
        return;
    FPaperSize = size;
    if (size != TRLPaperSize::fpCustom) {
        FPaperWidth = PaperInfo(size).Width;
        FPaperHeight = PaperInfo(size).Height;
    }
    changed();
}

void TRLPageSetup::SetPaperWidth(double mm)
{
    // Only a custom paper takes a size of its own, and never 0.
    if (mm == FPaperWidth || FPaperSize != TRLPaperSize::fpCustom || mm == 0)
        return;
    FPaperWidth = mm;
    changed();
}

void TRLPageSetup::SetPaperHeight(double mm)
{
    if (mm == FPaperHeight || FPaperSize != TRLPaperSize::fpCustom || mm == 0)
        return;
    FPaperHeight = mm;
    changed();
}

void TRLPageSetup::SetOrientation(TRLPageOrientation o)
{
    if (o == FOrientation)
        return;
    FOrientation = o;
    changed();
}

void TRLPageSetup::Assign(const TRLPageSetup &source)
{
    SetPaperSize(source.FPaperSize);
    SetOrientation(source.FOrientation);
    SetPaperWidth(source.FPaperWidth);
    SetPaperHeight(source.FPaperHeight);
    FForceEmulation = source.FForceEmulation;
}

} // namespace prenso
