#pragma once
// Paper and orientation of a report, in millimetres.

#include "report/controls/RLTypes.h"
#include "report/printing/RLPaperSizes.h"

namespace prenso {

class TRLCustomReport;

class TRLPageSetup {
public:
    explicit TRLPageSetup(TRLCustomReport *report);
    TRLPaperSize PaperSize() const { return m_paperSize; }
    void SetPaperSize(TRLPaperSize size);
    double PaperWidth() const { return m_paperWidth; }
    double PaperHeight() const { return m_paperHeight; }
    void SetPaperWidth(double mm);
    void SetPaperHeight(double mm);
    TRLPageOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TRLPageOrientation o);
    bool ForceEmulation() const { return m_forceEmulation; }
    void SetForceEmulation(bool v) { m_forceEmulation = v; }
    double OrientedWidth() const { return m_orientation == poPortrait ? m_paperWidth : m_paperHeight; }
    double OrientedHeight() const { return m_orientation == poPortrait ? m_paperHeight : m_paperWidth; }
    void Assign(const TRLPageSetup &source);

private:
    void changed();
    TRLCustomReport *m_report;
    double m_paperHeight;
    double m_paperWidth;
    TRLPaperSize m_paperSize = fpA4;
    TRLPageOrientation m_orientation = poPortrait;
    bool m_forceEmulation = false;
};

} // namespace prenso
