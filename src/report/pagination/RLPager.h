#pragma once
// Pagers print bands onto pages and break pages: headers, footers and
// completion rows, and the sorted lists of their bands.

#include "report/controls/RLBand.h"

#include <array>
#include <vector>

namespace prenso {

// For each band type, the pager's bands of that type in Top order, and whether
// that type has been printed on the current page.
class TRLSortedBands {
public:
    void Clear();
    void Add(TRLCustomBand *band);
    const std::vector<TRLCustomBand *> &List(TRLBandType t) const { return m_lists[t]; }
    bool Printed(TRLBandType t) const { return m_printed[t]; }
    void SetPrinted(TRLBandType t, bool v) { m_printed[t] = v; }
    void ResetPrinted(bool keepTitle);

private:
    std::array<std::vector<TRLCustomBand *>, kBandTypeCount> m_lists;
    std::array<bool, kBandTypeCount> m_printed {};
};

class TRLCustomPager : public TRLCustomBandSet {
public:
    explicit TRLCustomPager(TRLCustomSite *parent);
    TRLCustomPager *AsPager() override { return this; }

    TRLAllowedBands AllowedBands() const { return m_allowedBands; }
    int MaxBands() const { return m_maxBands; }
    void SetMaxBands(int v) { m_maxBands = v; }
    int MinBands() const { return m_minBands; }
    void SetMinBands(int v) { m_minBands = v; }
    bool ForceMinBands() const { return m_forceMinBands; }
    void SetForceMinBands(bool v) { m_forceMinBands = v; }
    TRLFooterMeasuring FooterMeasuring() const { return m_footerMeasuring; }
    void SetFooterMeasuring(TRLFooterMeasuring v) { m_footerMeasuring = v; }
    TRLSortedBands &SortedBands() { return m_sortedBands; }

    int RelativePagerRow() const { return m_relativePagerRow; }
    void SetRelativePagerRow(int v) { m_relativePagerRow = v; }
    int DetailsInSurface() const { return m_detailsInSurface; }
    void IncDetailsInSurface() { ++m_detailsInSurface; }
    int DetailCount() const { return m_detailCount; }
    int DataBandPrinted() const { return m_dataBandPrinted; }
    void IncDataBandPrinted() { ++m_dataBandPrinted; }
    bool NewPageNeeded() const { return m_newPageNeeded; }
    // Reads and clears the pending break.
    bool TakeNewPageNeeded();
    TRLCustomBand *NewPageCaller() const { return m_newPageCaller; }
    bool Completing() const { return m_pagerStatus.has(psCompleting); }

    void Initialize() override;
    void ComputeDetail(TRLCustomControl *caller) override;
    void SurfaceOpening() override;
    void SurfaceBeginDraw() override;
    void SurfaceClosing() override;

    TRLPrintBandResults PrintBands(TRLBandType type);
    void PrintBand(TRLCustomBand *band);
    void PrintDetails();
    void PrintHeaders();
    void PrintFooters(bool summarize);
    void PrintCompletion();
    void PrintSite(TRLCustomSite *site);
    void PrintPagers();
    void MeasureFooters();
    int GetRelativeFooterRow();
    int GetRelativeSummaryRow();
    int GetRelativeColumnFooterRow();
    int GetRelativeColumnFooterRowNoSummary();
    bool GoFooterRow();
    bool GoSummaryRow();
    bool GoColumnFooterRow();
    void InvalidatePage() { m_newPageNeeded = true; }
    void BeginDoc();
    void EndDoc();
    void NewPage();
    void InternalNewPage(TRLCustomBand *caller, bool moveOnly);
    bool CanBreakPage() const;
    void SortBands();

    virtual void InternalBeginDoc();
    virtual void InternalEndDoc();

    // Height below the client area (bottom margin, border and inside margin).
    int HeightBelowClient() const;

protected:
    TRLAllowedBands m_allowedBands;
    int m_detailCount = 0;
    TRLSortedBands m_sortedBands;
    int m_maxBands = 0;
    int m_minBands = 0;
    int m_relativePagerRow = 0;
    int m_detailsInSurface = 0;
    bool m_newPageNeeded = false;
    bool m_pageBreaking = false;
    bool m_jumpPending = false;
    int m_jumpLength = 0;
    TRLCustomBand *m_newPageCaller = nullptr;
    bool m_forceMinBands = false;
    TRLFooterMeasuring m_footerMeasuring = fmNone;
    int m_dataBandPrinted = 0;
    TRLPagerStatus m_pagerStatus;

private:
    void resetPageState();
    int footerHeights(TRLBandType type) const;
};

class TRLCustomGroup : public TRLCustomPager {
public:
    using TRLCustomPager::TRLCustomPager;
};

} // namespace prenso
