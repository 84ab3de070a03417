#pragma once
// The report: the root of a control tree, which holds the page setup and the
// page storage and is where preparation, printing and preview start.

#include "report/pagination/RLPageSetup.h"
#include "report/pagination/RLSkipper.h"
#include "report/printing/RLPrinters.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <array>
#include <functional>

namespace prenso {

class TRLGraphicStorage;
class TStream;
class TRLCustomPrintFilter;
class TRLProgress;

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
    std::unique_ptr<TRLProgress> m_progressForm;
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
