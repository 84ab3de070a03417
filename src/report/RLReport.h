#pragma once
// Pagers print bands onto pages and break pages; the skipper walks the records
// of a data source; the report holds the page setup and the page storage and
// is where preparation, printing and preview start.

#include "report/RLControls.h"
#include "report/RLPaperSizes.h"
#include "report/RLPrinters.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <array>
#include <functional>

namespace prenso {

class TRLGraphicStorage;
class TStream;
class TRLCustomPrintFilter;
class TfrmRLFeedBack;

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

class TRLCustomSkipper : public TRLCustomPager {
public:
    using TRLCustomPager::TRLCustomPager;
    TRLCustomSkipper *AsSkipper() override { return this; }

    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *ds) { m_dataSource = ds; }
    TRLRecordRange RecordRange() const { return m_recordRange; }
    void SetRecordRange(TRLRecordRange r) { m_recordRange = r; }
    int RangeCount() const { return m_rangeCount; }
    void SetRangeCount(int v) { m_rangeCount = v; }
    TRLRecordAction RecordAction() const { return m_recordAction; }
    bool DataEof() const { return m_dataEof; }
    int RecNo() const { return m_recNo; }
    int CopyNo() const { return m_copyNo; }
    bool RecordMoved() const { return m_recordMoved; }

    TRLOnDataCountEvent OnDataCount;
    TRLOnDataRecordEvent OnDataRecord;
    TRLOnNeedDataEvent OnNeedData;

    virtual int DataCount();
    virtual void DataFirst();
    virtual void DataNext();

protected:
    bool moreData(bool first);
    void fetch(bool first);

    TRLRecordAction m_recordAction = raUseIt;
    TDataSource *m_dataSource = nullptr;
    bool m_dataEof = true;
    int m_recNo = 0;
    int m_copyNo = 0;
    bool m_recordMoved = false;
    TRLRecordRange m_recordRange = rrAllRecords;
    int m_rangeCount = 0;
};

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

struct TRLPreviewOptions {
    TRLPreviewOptionsDefaults Defaults = pdUseDefaults;
    bool ShowModal = false;
    int FormStyle = 0;        // normal
    int Position = 0;         // centred on the screen
    int WindowState = 2;      // maximized
    int BorderIcons = 7;      // system menu, minimize, maximize
    QString HelpFile;
    int HelpContext = 0;
    QString Caption;          // empty: the engine text
};

struct TRLCompositeOptions {
    bool ResetPageNumber = false;
    bool NumberPages = true;
    void Assign(const TRLCompositeOptions &o) { ResetPageNumber = o.ResetPageNumber; }
};

struct TRLPrintDialogParams {
    int FromPage = 1;
    int ToPage = 2147483647;
    bool Selection = false;
};

class TRLCustomReport : public TRLCustomSkipper {
public:
    // `ownerName` is the name of the form that carries the report (job titles use it).
    explicit TRLCustomReport(const QString &ownerName = QString());
    ~TRLCustomReport() override;

    TRLPageSetup &PageSetup() { return m_pageSetup; }
    TRLPreviewOptions &PreviewOptions() { return m_previewOptions; }
    TRLCompositeOptions &CompositeOptions() { return m_compositeOptions; }
    TRLGraphicStorage &Pages() { return *m_pages; }
    TRLReportState ReportState() const { return m_reportState; }
    bool Canceled() const { return m_canceled; }
    int PageIndex() const { return m_pageIndex; }
    int PageNumber() const;
    int CurrentPageNumber() const { return m_currentPageNumber; }
    int FirstPageNumber() const { return m_firstPageNumber; }
    void SetFirstPageNumber(int v) { m_firstPageNumber = v; }
    bool PrintDialog() const { return m_printDialog; }
    void SetPrintDialog(bool v) { m_printDialog = v; }
    bool PrintEmpty() const { return m_printEmpty; }
    void SetPrintEmpty(bool v) { m_printEmpty = v; }
    bool ShowProgress() const { return m_showProgress; }
    void SetShowProgress(bool v) { m_showProgress = v; }
    bool ForcePrepare() const { return m_forcePrepare; }
    void SetForcePrepare(bool v) { m_forcePrepare = v; }
    // What the design painting adds: name tags and corner marks, and the
    // dotted tracks of the margins.
    bool ShowDesigners() const { return m_showDesigners; }
    void SetShowDesigners(bool v) { m_showDesigners = v; }
    bool ShowTracks() const { return m_showTracks; }
    void SetShowTracks(bool v) { m_showTracks = v; }
    TRLPrintQuality PrintQuality() const { return m_printQuality; }
    void SetPrintQuality(TRLPrintQuality q) { m_printQuality = q; }
    bool AdjustableMargins() const { return m_adjustableMargins; }
    void SetAdjustableMargins(bool v);
    const QString &Title() const { return m_title; }
    void SetTitle(const QString &t);
    const QString &JobTitle() const { return m_jobTitle; }
    void SetJobTitle(const QString &t);
    TRLCustomPrintFilter *DefaultFilter() const { return m_defaultFilter; }
    void SetDefaultFilter(TRLCustomPrintFilter *f) { m_defaultFilter = f; }
    const TRLPrinterMetrics &PrinterMetrics() const { return m_printerMetrics; }
    TRLCustomReport *NextReport() const { return m_nextReport; }
    TRLCustomReport *PriorReport() const { return m_priorReport; }
    void SetNextReport(TRLCustomReport *r);
    void SetPriorReport(TRLCustomReport *r);
    QDateTime ReportDateTime() const { return m_reportDateTime; }
    TRLPrintDialogParams &DialogParams() { return m_dialogParams; }
    TRLGraphicSurface *PageSurface() const { return m_pageSurface.get(); }

    // Events of the report.
    TRLBeforePrintEvent BeforePrint; // at the start of Prepare
    TRLNotifyEvent OnPageStarting;
    TRLNotifyEvent OnPageEnding;
    TRLBeforeTextEvent OnFilterText;

    // Entry points.
    bool Prepare();
    void Print();
    bool PreviewModal();
    void Clear();
    void Cancel() { m_canceled = true; }
    void SaveToFile(const QString &fileName);
    void SaveToStream(TStream &stream);
    void LoadFromFile(const QString &fileName);
    void LoadFromStream(TStream &stream);
    void SetProgressPhase(const QString &phase);
    void SetProgressSize(int max);
    void StepProgress(int step = 1);
    void LoadPrinterMetrics();

    // The print dialog and the preview window are not built yet; these hooks
    // let the program decide what happens in their place.
    std::function<bool(TRLCustomReport &)> ShowPrintDialogHook;
    std::function<void(TRLCustomReport &)> PreviewHook;

    // Pixels of the oriented paper.
    int PaperPixelWidth() const;
    int PaperPixelHeight() const;
    TRect PrinterMarginPixels() const;
    TRect CalcMarginalPixels() const override;
    TRLCustomReport *AsReport() override { return this; }
    // A transparent report is white.
    void SetTransparent(bool v) override;

    void SetBounds(int left, int top, int width, int height) override;
    void CalcSize(int &width, int &height) override;
    TRLGraphicSurface *FindParentSurface() const override;
    void DataFirst() override;
    void DataNext() override;
    void SurfaceOpening() override;
    void SurfaceBeginDraw() override;
    void SurfaceEndDraw() override;
    void SurfaceClosed() override;
    void MarkPrintPosition() override;
    void PlaceSurface() override;
    void InternalBeginDoc() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

    // Called by the page setup when paper or orientation change.
    void PageSetupChanged();

    const QString &OwnerName() const { return m_ownerName; }

private:
    bool prepareOne();
    void storePageDescription();
    QString defaultJobTitle() const;
    void closeProgress();
    int chainPosition() const;
    void closeAllSurfaces();

    QString m_ownerName;
    bool m_canceled = false;
    // Linked to this report; the storage frees itself when the last
    // component linked to it (this report, a preview, a filter) lets go.
    TRLGraphicStorage *m_pages = nullptr;
    mutable std::unique_ptr<TRLGraphicSurface> m_pageSurface;
    QString m_lastPhase;
    QElapsedTimer m_phaseClock;
    TRLCustomReport *m_nextReport = nullptr;
    TRLCustomReport *m_priorReport = nullptr;
    int m_firstPageNumber = 1;
    int m_currentPageNumber = 0;
    int m_pageIndex = 0;
    TRLPageSetup m_pageSetup;
    bool m_printDialog = true;
    bool m_printEmpty = true;
    TRLPrinterMetrics m_printerMetrics;
    TRLReportState m_reportState = rsAbout;
    QString m_title;
    QString m_jobTitle;
    QDateTime m_reportDateTime;
    TRLCustomPrintFilter *m_defaultFilter = nullptr;
    bool m_showProgress = true;
    TRLPrintQuality m_printQuality = pqFullFeature;
    bool m_adjustableMargins = false;
    TRLPreviewOptions m_previewOptions;
    bool m_forcePrepare = true;
    bool m_showDesigners = true;
    bool m_showTracks = true;
    TRLCompositeOptions m_compositeOptions;
    std::unique_ptr<TfrmRLFeedBack> m_progressForm;
    TRLPrintDialogParams m_dialogParams;
};

// The printer's unprintable margins in screen pixels (halves to even), turned
// with the page in landscape; all 0 when the metrics have no resolution.
TRect PrinterMarginPixels(const TRLPrinterMetrics &metrics, TRLPageOrientation orientation);

class TRLReport : public TRLCustomReport {
public:
    using TRLCustomReport::TRLCustomReport;
};

} // namespace prenso
