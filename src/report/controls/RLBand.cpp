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
    FGreenBarFlag = false;
    TRLCustomBandSet::Initialize();
}

TRLCustomBand::TRLCustomBand(TRLCustomSite *parent) : TRLCustomBandSet(parent)
{
    FKinds |= kKindBand;
    setBoundsRaw(0, 0, 185, 16);
    FPrintSize = TPoint{185, 16};
    SetAutoExpand(true);
    SetAutoSizeDir(TRLAutoSizeDirSet{TRLAutoSizeDirType::asHeightDir});
    SetAlign(TRLControlAlign::faTop);
}

void TRLCustomBand::SetCarbonCopies(int v)
{
    FCarbonCopies = v < 1 ? 1 : v;
    if (FGroupIndex > 0 && Parent())
        for (const auto &child : Parent()->Children())
            if (auto *b = dynamic_cast<TRLCustomBand *>(child.get()); b && b != this && b->FGroupIndex == FGroupIndex)
                b->FCarbonCopies = FCarbonCopies;
}

void TRLCustomBand::SetGroupIndex(int v)
{
    FGroupIndex = v < 0 ? 0 : v;
    if (FGroupIndex > 0 && Parent())
        for (const auto &child : Parent()->Children())
            if (auto *b = dynamic_cast<TRLCustomBand *>(child.get()); b && b != this && b->FGroupIndex == FGroupIndex) {
                FCarbonCopies = b->FCarbonCopies;
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
    return skipper && skipper->RecordAction() == TRLRecordAction::raBlankAndRetain;
}

void TRLCustomBand::InternalPrint()
{
    // Green bars: every second printed band takes the bar colour.
    const bool swapColor = FGreenBarPrint && FGreenBarFlag;
    const TColor savedColor = Color();
    const bool savedTransparent = Transparent();
    if (FGreenBarPrint)
        FGreenBarFlag = !FGreenBarFlag;
    if (swapColor)
        SetColor(FGreenBarColor);

    bool computeIt = FBandType == TRLBandType::btDetail && FComputable;
    if (computeIt && OnCompute)
        OnCompute(this, computeIt);
    FComputableForCount = computeIt;
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
    if (computable || FBandType == TRLBandType::btSummary)
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
    if (pager && FBandType == TRLBandType::btDetail && FComputableForCount)
        pager->IncDetailsInSurface();
    if (FPageBreaking == TRLPageBreaking::pbAfterPrint)
        if (TRLCustomReport *report = FindParentReport())
            report->InvalidatePage();
}

void TRLCustomBand::MarkPrintPosition()
{
    const TRLCustomPager *pager = FindParentPager();
    FPrintPosition = TPoint{Left(), pager ? pager->RelativePagerRow() : Top()};
    FPrintSize = TPoint{Width(), Height()};
}

void TRLCustomBand::PlaceSurface()
{
    TRLCustomPager *pager = RequestParentPager();
    TRLCustomReport *report = RequestParentReport();

    const bool blank = IsBlank();
    if ((IsDataBand() && !blank && report->TakeNewPageNeeded()) ||
        (FPageBreaking == TRLPageBreaking::pbBeforePrint && report->DataBandPrinted() > 0) ||
        (FBandType == TRLBandType::btDetail && pager->MaxBands() > 0 &&
         pager->DetailsInSurface() + 1 > pager->MaxBands() && !pager->Completing()))
        pager->InternalNewPage(this, !pager->CanBreakPage());

    if (FAlignToBottom || FBandType == TRLBandType::btFooter || FBandType == TRLBandType::btColumnFooter ||
        FBandType == TRLBandType::btSummary) {
        if (FBandType == TRLBandType::btColumnFooter) {
            pager->GoColumnFooterRow();
        } else if (FBandType == TRLBandType::btSummary) {
            if (FAlignToBottom) {
                pager->GoSummaryRow();
                if (pager->RelativePagerRow() > pager->GetRelativeSummaryRow()) {
                    pager->InternalNewPage(this, !pager->CanBreakPage());
                    pager->GoSummaryRow();
                }
            }
        } else if (FBandType == TRLBandType::btFooter) {
            pager->GoFooterRow();
        }
    }

    MarkPrintPosition();
    const bool footerLike = FBandType == TRLBandType::btColumnFooter || FBandType == TRLBandType::btFooter;
    const int printedHeight = FPrintSize.Y;
    const int printedWidth = FPrintSize.X;
    int done = 0, lastSlice = 0;
    while (done < printedHeight) {
        int slice = printedHeight - done;
        if (!footerLike) {
            int available = 0;
            if (!HeightFits(slice, available)) {
                int row = 0;
                if (FIntegralHeight || available < FMinHeight) {
                    SkipToNextPage();
                } else if (Surface().FindFreeRow(done + available, row) && row >= FMinHeight && row > done) {
                    slice = row - done;
                } else {
                    SkipToNextPage();
                }
            }
        }
        TRLGraphicSurface *target = RequestParentSurface();
        const TRect source{0, done, printedWidth, done + slice};
        const TRect dest{FPrintPosition.X, FPrintPosition.Y, FPrintPosition.X + printedWidth, FPrintPosition.Y + slice};
        if (Enabled()) {
            target->SetClipRect(dest);
            DrawFrame(*target, TRect{FPrintPosition.X, FPrintPosition.Y - done, FPrintPosition.X + printedWidth,
                                     FPrintPosition.Y - done + printedHeight});
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
    const int limit = FBandType == TRLBandType::btSummary ? pager->GetRelativeFooterRow()
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
    const QString tag = QLatin1String(DesignBandTypeName(FBandType)) + QLatin1Char(' ') + Name();
    DesignDrawTag(canvas, rect, tag, TRLDesignTagStyle{"Small Fonts", 6, clWhite, kDesignerInk, false, true});
}

} // namespace prenso
