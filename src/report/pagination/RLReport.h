#pragma once
// The report: the root of a control tree, which holds the page setup and the
// page storage and is where preparation, printing and preview start.

#include "report/pagination/RLPageSetup.h"
#include "report/pagination/RLSkipper.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <array>
#include <functional>

namespace prenso {

class TStream;
class TRLCustomPrintFilter;
class TRLCustomSaveFilter;
class TRLProgress;
class TRLPreviewTarget;

struct TRLPreviewOptions {
    TRLPreviewOptionsDefaults Defaults = TRLPreviewOptionsDefaults::pdUseDefaults;
    bool ShowModal = false;
    int FormStyle = 0;   // normal
    int Position = 0;    // centred on the screen
    int WindowState = 2; // maximized
    int BorderIcons = 7; // system menu, minimize, maximize
    QString HelpFile;
    int HelpContext = 0;
    QString Caption; // empty: the engine text
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
    // The page list typed in the print dialog (Selection), such as 1;3;5-12.
    QString PageRanges;
};

class TRLCustomReport : public TRLCustomSkipper, public TRLReportHost {
public:
    // `ownerName` is the name of the form that carries the report (job titles use it).
    explicit TRLCustomReport(const QString &ownerName = QString());
    ~TRLCustomReport() override;

    TRLPageSetup &PageSetup() { return FPageSetup; }
    TRLPreviewOptions &PreviewOptions() { return FPreviewOptions; }
    TRLCompositeOptions &CompositeOptions() { return FCompositeOptions; }
    TRLGraphicStorage &Pages() { return *FPages.get(); }
    TRLReportState ReportState() const { return FReportState; }
    bool Canceled() const { return FCanceled; }
    int PageIndex() const { return FPageIndex; }
    int PageNumber() const;
    int FirstPageNumber() const { return FFirstPageNumber; }
    void SetFirstPageNumber(int v) { FFirstPageNumber = v; }
    bool PrintDialog() const { return FPrintDialog; }
    void SetPrintDialog(bool v) { FPrintDialog = v; }
    bool PrintEmpty() const { return FPrintEmpty; }
    void SetPrintEmpty(bool v) { FPrintEmpty = v; }
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool v) { FShowProgress = v; }
    bool ForcePrepare() const { return FForcePrepare; }
    void SetForcePrepare(bool v) { FForcePrepare = v; }
    // What the design painting adds: name tags and corner marks, and the
    // dotted tracks of the margins.
    bool ShowDesigners() const { return FShowDesigners; }
    void SetShowDesigners(bool v) { FShowDesigners = v; }
    TRLPrintQuality PrintQuality() const { return FPrintQuality; }
    void SetPrintQuality(TRLPrintQuality q)
    {
        FPrintQuality = q;
        NonClientChanged(); // borders that are not fixed follow it
    }
    bool AdjustableMargins() const { return FAdjustableMargins; }
    void SetAdjustableMargins(bool v);
    const QString &Title() const { return FTitle; }
    void SetTitle(const QString &t);
    const QString &JobTitle() const { return FJobTitle; }
    void SetJobTitle(const QString &t);
    TRLCustomPrintFilter *DefaultFilter() const { return FDefaultFilter; }
    void SetDefaultFilter(TRLCustomPrintFilter *f) { FDefaultFilter = f; }
    // Read from the printer when first needed after a change of page setup:
    // a report whose margins do not follow the printer's asks no printer.
    const TRLPrinterMetrics &PrinterMetrics() const;
    TRLCustomReport *NextReport() const { return FNextReport; }
    TRLCustomReport *PriorReport() const { return FPriorReport; }
    void SetNextReport(TRLCustomReport *r);
    void SetPriorReport(TRLCustomReport *r);
    QDateTime ReportDateTime() const { return FReportDateTime; }
    TRLPrintDialogParams &DialogParams() { return FDialogParams; }
    TRLGraphicSurface *PageSurface() const { return FPageSurface.get(); }

    // Events of the report.
    TRLBeforePrintEvent BeforePrint; // at the start of Prepare
    TRLNotifyEvent OnPageStarting;
    TRLNotifyEvent OnPageEnding;
    TRLBeforeTextEvent OnFilterText;

    // Entry points.
    bool Prepare();
    void Print();
    // Prepares when needed (always with ForcePrepare) and shows the pages in
    // the modal preview window; false when the preparation failed.
    bool PreviewModal();
    // The same, handing the pages to `dest` when given, or else opening the
    // preview window, modal only when the preview options say so.
    bool Preview(TRLPreviewTarget *dest = nullptr);
    // Closes the preview windows showing this report's pages.
    void ClosePreview();
    void Clear();
    void Cancel() { FCanceled = true; }
    void SaveToFile(const QString &fileName);
    // Writes every page through `filter` into its file, laid out as Print
    // lays them out for the selected printer, without asking anything:
    // prepares when needed. False when the preparation failed.
    bool Export(TRLCustomSaveFilter &filter);
    void SaveToStream(TStream &stream);
    void LoadFromFile(const QString &fileName);
    void LoadFromStream(TStream &stream);
    void SetProgressPhase(const QString &phase);
    void SetProgressSize(int max);
    void StepProgress(int step = 1);
    void LoadPrinterMetrics();

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

    // What the controls ask of the report they belong to.
    bool Preparing() const final
    {
        return FReportState == TRLReportState::rsWriting || FReportState == TRLReportState::rsClosing;
    }
    bool DesignersShown() const final { return FShowDesigners; }
    bool FullFeatured() const final;
    void FilterText(TRLCustomControl *sender, QString &text, bool &printIt) final;

private:
    // The steps of Prepare for this report and, through it, the reports
    // chained after it; Prepare answers for what they raise.
    bool prepareOne();
    // Opens the progress window (the first report of a chain) or moves it to
    // the next level.
    void openProgress();
    // The LastPageNumber macros of this report's place in the chain, and of
    // the places before it when the page numbers run on.
    void storeLastPageNumber();
    // The steps a preview takes before it shows the pages.
    bool preparePreview();
    void storePageDescription();
    QString defaultJobTitle() const;
    void closeProgress();
    int chainPosition() const;
    void closeAllSurfaces();

    QString FOwnerName;
    bool FCanceled = false;
    // Made by this report and held with whatever else shows or prints it
    // (a preview, a filter); freed when the last of them lets go.
    TRLStorageHold FPages{this};
    mutable std::unique_ptr<TRLGraphicSurface> FPageSurface;
    QString FLastPhase;
    QElapsedTimer FPhaseClock;
    TRLCustomReport *FNextReport = nullptr;
    TRLCustomReport *FPriorReport = nullptr;
    int FFirstPageNumber = 1;
    int FCurrentPageNumber = 0;
    int FPageIndex = 0;
    TRLPageSetup FPageSetup;
    bool FPrintDialog = true;
    bool FPrintEmpty = true;
    mutable TRLPrinterMetrics FPrinterMetrics;
    mutable bool FPrinterMetricsLoaded = false;
    TRLReportState FReportState = TRLReportState::rsAbout;
    QString FTitle;
    QString FJobTitle;
    QDateTime FReportDateTime;
    TRLCustomPrintFilter *FDefaultFilter = nullptr;
    bool FShowProgress = true;
    TRLPrintQuality FPrintQuality = TRLPrintQuality::pqFullFeature;
    bool FAdjustableMargins = false;
    TRLPreviewOptions FPreviewOptions;
    bool FForcePrepare = true;
    bool FShowDesigners = true;
    bool FShowTracks = true;
    TRLCompositeOptions FCompositeOptions;
    std::unique_ptr<TRLProgress> FProgressForm;
    TRLPrintDialogParams FDialogParams;
};

// The printer's unprintable margins in screen pixels (halves to even), turned
// with the page in landscape; all 0 when the metrics have no resolution.
TRect PrinterMarginPixels(const TRLPrinterMetrics &metrics, TRLPageOrientation orientation);

class TRLReport : public TRLCustomReport {
public:
    using TRLCustomReport::TRLCustomReport;
};

} // namespace prenso
