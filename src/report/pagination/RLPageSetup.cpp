#include "report/pagination/RLPageSetup.h"

#include "report/pagination/RLReport.h"

namespace prenso {

// ---------------------------------------------------------------------------
// Page setup

TRLPageSetup::TRLPageSetup(TRLCustomReport *report)
    : m_report(report), m_paperHeight(PaperInfo(fpA4).Height), m_paperWidth(PaperInfo(fpA4).Width)
{
}

void TRLPageSetup::changed()
{
    if (m_report)
        m_report->PageSetupChanged();
}

void TRLPageSetup::SetPaperSize(TRLPaperSize size)
{
    if (size == m_paperSize)
        return;
    m_paperSize = size;
    if (size != fpCustom) {
        m_paperWidth = PaperInfo(size).Width;
        m_paperHeight = PaperInfo(size).Height;
    }
    changed();
}

void TRLPageSetup::SetPaperWidth(double mm)
{
    // Only a custom paper takes a size of its own, and never 0.
    if (mm == m_paperWidth || m_paperSize != fpCustom || mm == 0)
        return;
    m_paperWidth = mm;
    changed();
}

void TRLPageSetup::SetPaperHeight(double mm)
{
    if (mm == m_paperHeight || m_paperSize != fpCustom || mm == 0)
        return;
    m_paperHeight = mm;
    changed();
}

void TRLPageSetup::SetOrientation(TRLPageOrientation o)
{
    if (o == m_orientation)
        return;
    m_orientation = o;
    changed();
}

void TRLPageSetup::Assign(const TRLPageSetup &source)
{
    SetPaperSize(source.m_paperSize);
    SetOrientation(source.m_orientation);
    SetPaperWidth(source.m_paperWidth);
    SetPaperHeight(source.m_paperHeight);
    m_forceEmulation = source.m_forceEmulation;
}

} // namespace prenso
