#pragma once
// Pagers print bands onto pages and break pages: headers, footers and
// completion rows, where each band lands (the bands' host), and the sorted
// lists of their bands.

#include "report/controls/RLBand.h"
#include "report/controls/RLHosts.h"

#include <array>
#include <vector>

namespace prenso {

// For each band type, the pager's bands of that type in Top order, and whether
// that type has been printed on the current page.
class TRLSortedBands {
public:
    void Clear();
    void Add(TRLCustomBand *band);
    const std::vector<TRLCustomBand *> &List(TRLBandType t) const { return FLists[Ord(t)]; }
    bool Printed(TRLBandType t) const { return FPrinted[Ord(t)]; }
    void SetPrinted(TRLBandType t, bool v) { FPrinted[Ord(t)] = v; }
    void ResetPrinted(bool keepTitle);

private:
    std::array<std::vector<TRLCustomBand *>, kBandTypeCount> FLists;
    std::array<bool, kBandTypeCount> FPrinted{};
};

class TRLCustomPager : public TRLCustomBandSet, public TRLBandHost {
public:
    explicit TRLCustomPager(TRLCustomSite *parent);
    TRLCustomPager *AsPager() override { return this; }

    TRLAllowedBands AllowedBands() const { return FAllowedBands; }
    int MaxBands() const { return FMaxBands; }
    void SetMaxBands(int v) { FMaxBands = v; }
    int MinBands() const { return FMinBands; }
    void SetMinBands(int v) { FMinBands = v; }
    bool ForceMinBands() const { return FForceMinBands; }
    void SetForceMinBands(bool v) { FForceMinBands = v; }
    TRLFooterMeasuring FooterMeasuring() const { return FFooterMeasuring; }
    void SetFooterMeasuring(TRLFooterMeasuring v) { FFooterMeasuring = v; }

    int RelativePagerRow() const final { return FRelativePagerRow; }
    void SetRelativePagerRow(int v) { FRelativePagerRow = v; }
    int DetailCount() const { return FDetailCount; }
    int DataBandPrinted() const { return FDataBandPrinted; }
    bool NewPageNeeded() const { return FNewPageNeeded; }
    // Reads and clears the pending break.
    bool TakeNewPageNeeded();
    bool Completing() const final { return FPagerStatus.has(TRLPagerStatusType::psCompleting); }

    // What the bands ask of the pager that prints them.
    bool PrintsBlank() const final;
    void PlaceBand(TRLCustomBand &band) final;
    void BandClosed(TRLCustomBand &band, bool detail) final;
    void BandPrinted(TRLCustomBand &band, bool computed) final;

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
    void InvalidatePage() { FNewPageNeeded = true; }
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
    TRLAllowedBands FAllowedBands;
    int FDetailCount = 0;
    TRLSortedBands FSortedBands;
    int FMaxBands = 0;
    int FMinBands = 0;
    int FRelativePagerRow = 0;
    int FDetailsInSurface = 0;
    bool FNewPageNeeded = false;
    bool FPageBreaking = false;
    bool FJumpPending = false;
    int FJumpLength = 0;
    TRLCustomBand *FNewPageCaller = nullptr;
    bool FForceMinBands = false;
    TRLFooterMeasuring FFooterMeasuring = TRLFooterMeasuring::fmNone;
    int FDataBandPrinted = 0;
    TRLPagerStatus FPagerStatus;

private:
    void resetPageState();
    int footerHeights(TRLBandType type) const;
    // Rows left for `band` above the limit of the page: the footer row for a
    // summary, the column footers' row without summaries for any other band.
    int roomFor(const TRLCustomBand &band);
    // A new page for the band, which continues at its top row.
    void skipToNextPage(TRLCustomBand &band);
};

class TRLCustomGroup : public TRLCustomPager {
public:
    using TRLCustomPager::TRLCustomPager;
};

} // namespace prenso
