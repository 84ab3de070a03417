#include "report/controls/RLBand.h"

#include "report/controls/RLDesignPaint.h"
#include "report/controls/RLHosts.h"

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
    const TRLBandHost *pager = FindBandHost();
    return pager && pager->Completing();
}

bool TRLCustomBand::IsBlank() const
{
    const TRLBandHost *pager = FindBandHost();
    return pager && pager->PrintsBlank();
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
    if (TRLBandHost *pager = FindBandHost())
        pager->BandPrinted(*this, computable);
}

void TRLCustomBand::SurfaceBeginDraw()
{
    TRLCustomSite::SurfaceBeginDraw();
}

void TRLCustomBand::SurfaceClosed()
{
    if (TRLBandHost *pager = FindBandHost())
        pager->BandClosed(*this, FBandType == TRLBandType::btDetail && FComputableForCount);
}

void TRLCustomBand::MarkPrintPosition()
{
    const TRLBandHost *pager = FindBandHost();
    FPrintPosition = TPoint{Left(), pager ? pager->RelativePagerRow() : Top()};
    FPrintSize = TPoint{Width(), Height()};
}

void TRLCustomBand::PlaceSurface()
{
    TRLBandHost *pager = FindBandHost();
    if (!pager)
        NotFound(".ParentPager");
    pager->PlaceBand(*this);
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
