#pragma once
// Paper and orientation of a report, in millimetres.

#include "report/RLPageOrientation.h"
#include "report/printing/RLPaperSizes.h"

namespace prenso {

class TRLCustomReport;

class TRLPageSetup {
public:
    explicit TRLPageSetup(TRLCustomReport *report);
    TRLPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TRLPaperSize size);
    double PaperWidth() const { return FPaperWidth; }
    double PaperHeight() const { return FPaperHeight; }
    void SetPaperWidth(double mm);
    void SetPaperHeight(double mm);
    TRLPageOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TRLPageOrientation o);
    bool ForceEmulation() const { return FForceEmulation; }
    void SetForceEmulation(bool v) { FForceEmulation = v; }
    double OrientedWidth() const { return FOrientation == TRLPageOrientation::poPortrait ? FPaperWidth : FPaperHeight; }
    double OrientedHeight() const
    {
        return FOrientation == TRLPageOrientation::poPortrait ? FPaperHeight : FPaperWidth;
    }
    void Assign(const TRLPageSetup &source);

private:
    void changed();
    TRLCustomReport *FReport;
    double FPaperHeight;
    double FPaperWidth;
    TRLPaperSize FPaperSize = TRLPaperSize::fpA4;
    TRLPageOrientation FOrientation = TRLPageOrientation::poPortrait;
    bool FForceEmulation = false;
};

} // namespace prenso
