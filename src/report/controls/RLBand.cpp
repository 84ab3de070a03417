#include "report/controls/RLBand.h"

#include "report/controls/RLDesignPaint.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicSurface.h"

#include <algorithm>

namespace prenso {

// ---------------------------------------------------------------------------
// Band

void TRLCustomBand::Initialize()
{
    // Every document starts with a band in its own colour.
    m_greenBarFlag = false;
    TRLCustomBandSet::Initialize();
}

TRLCustomBand::TRLCustomBand(TRLCustomSite *parent) : TRLCustomBandSet(parent)
{
    setBoundsRaw(0, 0, 185, 16);
    m_printSize = TPoint{185, 16};
    SetAutoExpand(true);
    SetAutoSizeDir(TRLAutoSizeDirSet{asHeightDir});
    SetAlign(faTop);
}

void TRLCustomBand::SetCarbonCopies(int v)
{
    m_carbonCopies = v < 1 ? 1 : v;
    if (m_groupIndex > 0 && Parent())
        for (const auto &child : Parent()->Children())
            if (auto *b = dynamic_cast<TRLCustomBand *>(child.get()); b && b != this && b->m_groupIndex == m_groupIndex)
                b->m_carbonCopies = m_carbonCopies;
}

void TRLCustomBand::SetGroupIndex(int v)
{
    m_groupIndex = v < 0 ? 0 : v;
    if (m_groupIndex > 0 && Parent())
        for (const auto &child : Parent()->Children())
            if (auto *b = dynamic_cast<TRLCustomBand *>(child.get()); b && b != this && b->m_groupIndex == m_groupIndex) {
                m_carbonCopies = b->m_carbonCopies;
                break;
            }
}

bool TRLCustomBand::Completing() const
{
    const TRLCustomPager *pager = FindParentPager();
    return pager && pager->Completing();
}

bool TRLCustomBand::IsBlank() const
{
    if (Completing())
        return true;
    const TRLCustomSkipper *skipper = FindParentSkipper();
    return skipper && skipper->RecordAction() == raBlankAndRetain;
}

void TRLCustomBand::InternalPrint()
{
    // Green bars: every second printed band takes the bar colour.
    const bool swapColor = m_greenBarPrint && m_greenBarFlag;
    const TColor savedColor = Color();
    const bool savedTransparent = Transparent();
    if (m_greenBarPrint)
        m_greenBarFlag = !m_greenBarFlag;
    if (swapColor)
        SetColor(m_greenBarColor);

    bool computeIt = m_bandType == btDetail && m_computable;
    if (computeIt && OnCompute)
        OnCompute(this, computeIt);
    m_computableForCount = computeIt;
    const bool computable = computeIt && !IsBlank();
    try {
        if (computable)
            for (const auto &child : Children())
                child->ComputeDetail(this);
        OpenSurface();
        WriteSurface();
        CloseSurface();
    } catch (...) {
        if (swapColor) {
            SetColor(savedColor);
            SetTransparent(savedTransparent);
        }
        throw;
    }
    if (swapColor) {
        SetColor(savedColor);
        if (savedTransparent)
            SetTransparent(true);
    }
    if (computable)
        if (TRLCustomPager *pager = FindParentPager())
            pager->ComputeDetail(this);
    if (computable || m_bandType == btSummary)
        for (TRLCustomPager *p = FindParentPager(); p; p = p->FindParentPager())
            p->IncDataBandPrinted();
}

void TRLCustomBand::SurfaceBeginDraw()
{
    TRLCustomSite::SurfaceBeginDraw();
}

void TRLCustomBand::SurfaceClosed()
{
    TRLCustomPager *pager = FindParentPager();
    if (pager && m_bandType == btDetail && m_computableForCount)
        pager->IncDetailsInSurface();
    if (m_pageBreaking == pbAfterPrint)
        if (TRLCustomReport *report = FindParentReport())
            report->InvalidatePage();
}

void TRLCustomBand::MarkPrintPosition()
{
    const TRLCustomPager *pager = FindParentPager();
    m_printPosition = TPoint{Left(), pager ? pager->RelativePagerRow() : Top()};
    m_printSize = TPoint{Width(), Height()};
}

void TRLCustomBand::PlaceSurface()
{
    TRLCustomPager *pager = RequestParentPager();
    TRLCustomReport *report = RequestParentReport();

    const bool blank = IsBlank();
    if ((IsDataBand() && !blank && report->TakeNewPageNeeded()) ||
        (m_pageBreaking == pbBeforePrint && report->DataBandPrinted() > 0) ||
        (m_bandType == btDetail && pager->MaxBands() > 0 && pager->DetailsInSurface() + 1 > pager->MaxBands() &&
         !pager->Completing()))
        pager->InternalNewPage(this, !pager->CanBreakPage());

    if (m_alignToBottom || m_bandType == btFooter || m_bandType == btColumnFooter || m_bandType == btSummary) {
        if (m_bandType == btColumnFooter) {
            pager->GoColumnFooterRow();
        } else if (m_bandType == btSummary) {
            if (m_alignToBottom) {
                pager->GoSummaryRow();
                if (pager->RelativePagerRow() > pager->GetRelativeSummaryRow()) {
                    pager->InternalNewPage(this, !pager->CanBreakPage());
                    pager->GoSummaryRow();
                }
            }
        } else if (m_bandType == btFooter) {
            pager->GoFooterRow();
        }
    }

    MarkPrintPosition();
    const bool footerLike = m_bandType == btColumnFooter || m_bandType == btFooter;
    const int printedHeight = m_printSize.Y;
    const int printedWidth = m_printSize.X;
    int done = 0, lastSlice = 0;
    while (done < printedHeight) {
        int slice = printedHeight - done;
        if (!footerLike) {
            int available = 0;
            if (!HeightFits(slice, available)) {
                int row = 0;
                if (m_integralHeight || available < m_minHeight) {
                    SkipToNextPage();
                } else if (Surface().FindFreeRow(done + available, row) && row >= m_minHeight && row > done) {
                    slice = row - done;
                } else {
                    SkipToNextPage();
                }
            }
        }
        TRLGraphicSurface *target = RequestParentSurface();
        const TRect source{0, done, printedWidth, done + slice};
        const TRect dest{m_printPosition.X, m_printPosition.Y, m_printPosition.X + printedWidth,
                         m_printPosition.Y + slice};
        if (Enabled()) {
            target->SetClipRect(dest);
            DrawFrame(*target, TRect{m_printPosition.X, m_printPosition.Y - done, m_printPosition.X + printedWidth,
                                     m_printPosition.Y - done + printedHeight});
            target->ResetClipRect();
        }
        // A band placed whole is done with its surface: its objects move to
        // the page instead of being copied. Slices of a split band copy.
        if (done == 0 && slice == printedHeight)
            target->CopyRectTaking(dest, Surface(), source);
        else
            target->CopyRect(dest, Surface(), source);
        done += slice;
        lastSlice = slice;
        if (done < printedHeight)
            SkipToNextPage();
    }
    AdvanceRow(printedWidth, lastSlice);
}

void TRLCustomBand::SkipToNextPage()
{
    RequestParentPager()->InternalNewPage(this, false);
    MarkPrintPosition();
}

bool TRLCustomBand::HeightFits(int height, int &available)
{
    TRLCustomPager *pager = RequestParentPager();
    const int limit = m_bandType == btSummary ? pager->GetRelativeFooterRow()
                                              : pager->GetRelativeColumnFooterRowNoSummary();
    available = limit - pager->RelativePagerRow();
    return available >= height;
}

void TRLCustomBand::AdvanceRow(int /*width*/, int height)
{
    TRLCustomPager *pager = RequestParentPager();
    pager->SetRelativePagerRow(pager->RelativePagerRow() + height);
}

// ---------------------------------------------------------------------------
// Design view

void TRLCustomBand::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    TRLCustomBandSet::DesignPaint(canvas, rect);
    // The dotted frame shows where a band without borders ends.
    if (ShowDesigners() && !Borders().Visible())
        DesignDottedFrame(canvas, rect);
    // The tag sits at the band's right end, where the content of a form
    // rarely is; a short band shows only the top of it.
    const QString tag = QLatin1String(DesignBandTypeName(m_bandType)) + QLatin1Char(' ') + Name();
    DesignDrawTag(canvas, rect, tag, TRLDesignTagStyle{"Small Fonts", 6, clWhite, kDesignerInk, false, true});
}

} // namespace prenso
