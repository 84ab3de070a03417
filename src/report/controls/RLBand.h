#pragma once
// Bands: the rows of a report (headers, details, footers ...) that a pager
// prints one after the other. Where a band lands on the page is the pager's
// to decide (TRLBandHost::PlaceBand).

#include "report/controls/RLSite.h"

namespace prenso {

class TRLCustomBand : public TRLCustomBandSet {
public:
    explicit TRLCustomBand(TRLCustomSite *parent);

    TRLBandType BandType() const { return FBandType; }
    void SetBandType(TRLBandType t) { FBandType = t; }
    bool Computable() const { return FComputable; }
    void SetComputable(bool v) { FComputable = v; }
    TRLPageBreaking PageBreaking() const { return FPageBreaking; }
    void SetPageBreaking(TRLPageBreaking v) { FPageBreaking = v; }
    TRLCompletionType Completion() const { return FCompletion; }
    void SetCompletion(TRLCompletionType v) { FCompletion = v; }
    bool AlignToBottom() const { return FAlignToBottom; }
    void SetAlignToBottom(bool v) { FAlignToBottom = v; }
    int CarbonCopies() const { return FCarbonCopies; }
    void SetCarbonCopies(int v);
    int CarbonIndex() const { return FCarbonIndex; }
    void SetCarbonIndex(int v) { FCarbonIndex = v; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool v) { FIntegralHeight = v; }
    TRLBandOptions Options() const { return FOptions; }
    void SetOptions(TRLBandOptions v) { FOptions = v; }
    bool GreenBarPrint() const { return FGreenBarPrint; }
    void SetGreenBarPrint(bool v) { FGreenBarPrint = v; }
    TColor GreenBarColor() const { return FGreenBarColor; }
    void SetGreenBarColor(TColor c) { FGreenBarColor = c; }
    int MinHeight() const { return FMinHeight; }
    TRLOnDetailComputeEvent OnCompute;

    // True while the parent pager fills its last page with blank bands.
    bool Completing() const;
    // Blank bands print their controls empty.
    bool IsBlank() const;
    bool IsDataBand() const { return FBandType == TRLBandType::btDetail || FBandType == TRLBandType::btSummary; }
    TRLCustomBand *AsBand() override { return this; }

    void Initialize() override;
    void InternalPrint() override;
    void SurfaceBeginDraw() override;
    void SurfaceClosed() override;
    void MarkPrintPosition() override;
    void PlaceSurface() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

private:
    TRLBandType FBandType = TRLBandType::btDetail;
    bool FComputable = true;
    TRLPageBreaking FPageBreaking = TRLPageBreaking::pbNone;
    TRLCompletionType FCompletion = TRLCompletionType::ctNone;
    bool FAlignToBottom = false;
    int FCarbonCopies = 1;
    int FCarbonIndex = 0;
    int FGroupIndex = 0;
    bool FIntegralHeight = true;
    TRLBandOptions FOptions;
    bool FGreenBarPrint = false;
    TColor FGreenBarColor = 15066597;
    bool FGreenBarFlag = false;
    int FMinHeight = 0;
    bool FComputableForCount = false; // Computable after OnCompute, blank or not
};

class TRLBand : public TRLCustomBand {
public:
    using TRLCustomBand::TRLCustomBand;
};

} // namespace prenso
