#pragma once
// Bands: the rows of a report (headers, details, footers ...) that a pager
// prints one after the other, breaking to a new page where one does not fit.

#include "report/controls/RLSite.h"

namespace prenso {

class TRLCustomBand : public TRLCustomBandSet {
public:
    explicit TRLCustomBand(TRLCustomSite *parent);

    TRLBandType BandType() const { return m_bandType; }
    void SetBandType(TRLBandType t) { m_bandType = t; }
    bool Computable() const { return m_computable; }
    void SetComputable(bool v) { m_computable = v; }
    TRLPageBreaking PageBreaking() const { return m_pageBreaking; }
    void SetPageBreaking(TRLPageBreaking v) { m_pageBreaking = v; }
    TRLCompletionType Completion() const { return m_completion; }
    void SetCompletion(TRLCompletionType v) { m_completion = v; }
    bool AlignToBottom() const { return m_alignToBottom; }
    void SetAlignToBottom(bool v) { m_alignToBottom = v; }
    int CarbonCopies() const { return m_carbonCopies; }
    void SetCarbonCopies(int v);
    int CarbonIndex() const { return m_carbonIndex; }
    void SetCarbonIndex(int v) { m_carbonIndex = v; }
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int v);
    bool IntegralHeight() const { return m_integralHeight; }
    void SetIntegralHeight(bool v) { m_integralHeight = v; }
    TRLBandOptions Options() const { return m_options; }
    void SetOptions(TRLBandOptions v) { m_options = v; }
    bool GreenBarPrint() const { return m_greenBarPrint; }
    void SetGreenBarPrint(bool v) { m_greenBarPrint = v; }
    TColor GreenBarColor() const { return m_greenBarColor; }
    void SetGreenBarColor(TColor c) { m_greenBarColor = c; }
    int MinHeight() const { return m_minHeight; }
    void SetMinHeight(int v) { m_minHeight = v; }
    TRLOnDetailComputeEvent OnCompute;

    // True while the parent pager fills its last page with blank bands.
    bool Completing() const;
    // Blank bands print their controls empty.
    bool IsBlank() const;
    bool IsDataBand() const { return m_bandType == btDetail || m_bandType == btSummary; }
    TRLCustomBand *AsBand() override { return this; }

    void Initialize() override;
    void InternalPrint() override;
    void SurfaceBeginDraw() override;
    void SurfaceClosed() override;
    void MarkPrintPosition() override;
    void PlaceSurface() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

    virtual void SkipToNextPage();
    virtual bool HeightFits(int height, int &available);
    virtual void AdvanceRow(int width, int height);

private:

    TRLBandType m_bandType = btDetail;
    bool m_computable = true;
    TRLPageBreaking m_pageBreaking = pbNone;
    TRLCompletionType m_completion = ctNone;
    bool m_alignToBottom = false;
    int m_carbonCopies = 1;
    int m_carbonIndex = 0;
    int m_groupIndex = 0;
    bool m_integralHeight = true;
    TRLBandOptions m_options;
    bool m_greenBarPrint = false;
    TColor m_greenBarColor = 15066597;
    bool m_greenBarFlag = false;
    int m_minHeight = 0;
    bool m_computableForCount = false; // Computable after OnCompute, blank or not
};

class TRLBand : public TRLCustomBand {
public:
    using TRLCustomBand::TRLCustomBand;
};

} // namespace prenso
