// The report: page setup, the page surface and the page storage, and the
// entry points that prepare, print, preview, save and load.
#include "report/pagination/RLReport.h"

#include "platform/graphics/canvas.h"
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/RLUserInterface.h"
#include "report/controls/RLDesignPaint.h"
#include "report/filters/RLFilters.h"
#include "report/filters/RLPrintJob.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <climits>

namespace prenso {

// ---------------------------------------------------------------------------
// Report

TRLCustomReport::TRLCustomReport(const QString &ownerName)
    : TRLCustomSkipper(nullptr), FOwnerName(ownerName), FPageSetup(this)
{
    FKinds |= kKindReport;
    FReportHost = this;
    NonClientChanged(); // a report's margins take the printer's into account
    FPages.Reset(std::make_shared<TRLGraphicStorage>());
    Margins().SetLeftMargin(10);
    Margins().SetTopMargin(10);
    Margins().SetRightMargin(10);
    Margins().SetBottomMargin(10);
    Margins().SetDefaults(10, 10, 10, 10);
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(10);
    font.SetStyle(0);
    font.SetColor(clBlack);
    SetFont(font);
    SetColor(clWhite);
    LoadPrinterMetrics();
    SetFixedSize(PaperPixelWidth(), PaperPixelHeight());
    SetBounds(0, 0, PaperPixelWidth(), PaperPixelHeight());
}

TRLCustomReport::~TRLCustomReport()
{
    NonClientChanged();
    SetNextReport(nullptr);
    SetPriorReport(nullptr);
    closeProgress();
    // The page being built is not a page yet; free it before the storage goes.
    FPageSurface.reset();
    FPages.Reset(nullptr);
    FKinds &= ~kKindReport;
    FReportHost = nullptr;
}

int TRLCustomReport::PaperPixelWidth() const
{
    return MMToPixels(FPageSetup.OrientedWidth());
}

int TRLCustomReport::PaperPixelHeight() const
{
    return MMToPixels(FPageSetup.OrientedHeight());
}

void TRLCustomReport::PageSetupChanged()
{
    LoadPrinterMetrics();
    SetFixedSize(PaperPixelWidth(), PaperPixelHeight());
    SetBounds(Left(), Top(), PaperPixelWidth(), PaperPixelHeight());
    RealignControls();
}

bool TRLCustomReport::FullFeatured() const
{
    return MasterReport()->FPrintQuality == TRLPrintQuality::pqFullFeature;
}

void TRLCustomReport::FilterText(TRLCustomControl *sender, QString &text, bool &printIt)
{
    if (OnFilterText)
        OnFilterText(sender, text, printIt);
}

void TRLCustomReport::LoadPrinterMetrics()
{
    FPrinterMetricsLoaded = false;
    NonClientChanged();
}

const TRLPrinterMetrics &TRLCustomReport::PrinterMetrics() const
{
    if (!FPrinterMetricsLoaded) {
        RLPrinter().LoadMetrics(FPrinterMetrics);
        FPrinterMetricsLoaded = true;
    }
    return FPrinterMetrics;
}

void TRLCustomReport::SetBounds(int left, int top, int, int)
{
    TRLCustomSkipper::SetBounds(left, top, PaperPixelWidth(), PaperPixelHeight());
}

void TRLCustomReport::CalcSize(int &width, int &height)
{
    width = PaperPixelWidth();
    height = PaperPixelHeight();
}

TRect PrinterMarginPixels(const TRLPrinterMetrics &m, TRLPageOrientation orientation)
{
    if (m.PPIX == 0 || m.PPIY == 0)
        return TRect{};
    const TRect portrait{RoundCoord(DotsToPixels(m.MarginLeft, m.PPIX)), RoundCoord(DotsToPixels(m.MarginTop, m.PPIY)),
                         RoundCoord(DotsToPixels(m.MarginRight, m.PPIX)),
                         RoundCoord(DotsToPixels(m.MarginBottom, m.PPIY))};
    if (orientation == TRLPageOrientation::poLandscape)
        return TRect{portrait.Top, portrait.Right, portrait.Bottom, portrait.Left};
    return portrait;
}

TRect TRLCustomReport::PrinterMarginPixels() const
{
    return prenso::PrinterMarginPixels(PrinterMetrics(), FPageSetup.Orientation());
}

void TRLCustomReport::SetTransparent(bool v)
{
    TRLCustomSkipper::SetTransparent(v);
    if (v)
        SetColor(clWhite);
}

TRect TRLCustomReport::CalcMarginalPixels() const
{
    TRect own = TRLCustomSkipper::CalcMarginalPixels();
    if (!FAdjustableMargins)
        return own;
    const TRect printer = PrinterMarginPixels();
    return TRect{std::max(own.Left, printer.Left), std::max(own.Top, printer.Top), std::max(own.Right, printer.Right),
                 std::max(own.Bottom, printer.Bottom)};
}

void TRLCustomReport::SetAdjustableMargins(bool v)
{
    if (v == FAdjustableMargins)
        return;
    FAdjustableMargins = v;
    NonClientChanged();
    AdjustBounds();
    RealignControls();
}

void TRLCustomReport::SetTitle(const QString &t)
{
    if (FJobTitle == FTitle)
        FJobTitle = t;
    FTitle = t;
}

void TRLCustomReport::SetJobTitle(const QString &t)
{
    FJobTitle = t.isEmpty() ? FTitle : t;
}

void TRLCustomReport::SetNextReport(TRLCustomReport *r)
{
    if (r == this || r == FNextReport)
        return;
    NonClientChanged(); // the master report, whose print quality borders follow, may change
    TRLCustomReport *old = FNextReport;
    FNextReport = r;
    if (old && old->FPriorReport == this)
        old->FPriorReport = nullptr;
    if (r) {
        if (r->FPriorReport && r->FPriorReport != this)
            r->FPriorReport->FNextReport = nullptr;
        r->FPriorReport = this;
    }
}

void TRLCustomReport::SetPriorReport(TRLCustomReport *r)
{
    if (r == this || r == FPriorReport)
        return;
    if (r)
        r->SetNextReport(this);
    else if (FPriorReport)
        FPriorReport->SetNextReport(nullptr);
}

int TRLCustomReport::PageNumber() const
{
    return MasterReport()->FCurrentPageNumber;
}

int TRLCustomReport::chainPosition() const
{
    int n = 0;
    for (const TRLCustomReport *r = FPriorReport; r; r = r->FPriorReport)
        ++n;
    return n;
}

TRLGraphicSurface *TRLCustomReport::FindParentSurface() const
{
    if (!FPageSurface) {
        FPageSurface = std::make_unique<TRLGraphicSurface>();
        FPageSurface->SetWidth(Width());
        FPageSurface->SetHeight(Height());
        FPageSurface->SetOrientation(FPageSetup.Orientation());
        FPageSurface->SetPaperWidth(FPageSetup.PaperWidth());
        FPageSurface->SetPaperHeight(FPageSetup.PaperHeight());
        FPageSurface->Open();
    }
    return FPageSurface.get();
}

void TRLCustomReport::closeAllSurfaces()
{
    // After a failed or cancelled run surfaces may still be open; a new run
    // starts from closed ones.
    std::vector<TRLCustomSite *> sites{this};
    while (!sites.empty()) {
        TRLCustomSite *site = sites.back();
        sites.pop_back();
        site->Surface().Close();
        for (const auto &child : site->Children())
            if (auto *s = dynamic_cast<TRLCustomSite *>(child.get()))
                sites.push_back(s);
    }
}

void TRLCustomReport::Clear()
{
    FPageSurface.reset();
    closeAllSurfaces();
    FPages->Clear();
    FReportState = TRLReportState::rsAbout;
    FCanceled = false;
    FPageIndex = -1;
    FCurrentPageNumber = FFirstPageNumber - 1;
}

void TRLCustomReport::SurfaceOpening()
{
    TRLCustomSkipper::SurfaceOpening();
    TRLCustomReport *master = MasterReport();
    ++master->FPageIndex;
    if (FCompositeOptions.NumberPages)
        ++master->FCurrentPageNumber;
}

void TRLCustomReport::SurfaceBeginDraw()
{
    TRLCustomSkipper::SurfaceBeginDraw();
    if (OnPageStarting)
        OnPageStarting(this);
}

void TRLCustomReport::SurfaceEndDraw()
{
    if (OnPageEnding)
        OnPageEnding(this);
    PrintFooters(false);
}

void TRLCustomReport::MarkPrintPosition()
{
    FPrintPosition = TPoint{0, 0};
    FPrintSize = TPoint{Width(), Height()};
}

void TRLCustomReport::PlaceSurface()
{
    TRLGraphicSurface *page = FindParentSurface();
    DrawFrame(*page, TRect{FPrintPosition.X, FPrintPosition.Y, FPrintPosition.X + FPrintSize.X,
                           FPrintPosition.Y + FPrintSize.Y});
    page->DrawTaking(FPrintPosition.X, FPrintPosition.Y, Surface()); // cleared at its next opening anyway
}

void TRLCustomReport::SurfaceClosed()
{
    if (TRLCustomPager *outer = FindParentPager())
        outer->SetRelativePagerRow(outer->RelativePagerRow() + FPrintSize.Y);
    PopBoundsRect();
    TRLCustomReport *master = MasterReport();
    std::unique_ptr<TRLGraphicSurface> page = std::move(FPageSurface);
    if (!page)
        return;
    page->Macros().SetValueText(QStringLiteral("PageNo"), QString::number(master->FCurrentPageNumber));
    page->Macros().SetValueText(QStringLiteral("CompositeIndex"), QString::number(chainPosition()));
    page->Close();
    master->FPages->Add(std::move(page));
}

void TRLCustomReport::InternalBeginDoc()
{}

void TRLCustomReport::SetProgressPhase(const QString &phase)
{
    TRLCustomReport *master = MasterReport();
    // The label is repainted at once, so only a new text is worth that, and
    // while pages fly by (a long form changes page every few milliseconds)
    // no more often than the eye can follow.
    if (!master->FProgressForm || phase == master->FLastPhase)
        return;
    if (master->FPhaseClock.isValid() && master->FPhaseClock.elapsed() < 40)
        return;
    master->FLastPhase = phase;
    master->FPhaseClock.restart();
    master->FProgressForm->StepCaption(phase);
}

void TRLCustomReport::SetProgressSize(int max)
{
    TRLCustomReport *master = MasterReport();
    if (master->FProgressForm)
        master->FProgressForm->SetMax(max);
}

void TRLCustomReport::StepProgress(int step)
{
    TRLCustomReport *master = MasterReport();
    if (master->FProgressForm)
        for (int i = 0; i < step; ++i)
            master->FProgressForm->Tick();
}

void TRLCustomReport::closeProgress()
{
    FProgressForm.reset();
    FLastPhase.clear();
    FPhaseClock.invalidate();
}

void TRLCustomReport::DataFirst()
{
    SetProgressSize(DataCount());
    TRLCustomSkipper::DataFirst();
}

void TRLCustomReport::DataNext()
{
    StepProgress(1);
    // The phase text is made for every record, so only when a window shows it.
    if (MasterReport()->FProgressForm)
        SetProgressPhase(LS().LS_PageStr + u' ' + QString::number(PageNumber()));
    TRLCustomSkipper::DataNext();
}

QString TRLCustomReport::defaultJobTitle() const
{
    const QStringList args = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList{};
    const QString program = args.isEmpty() ? files::executablePath() : args.first();
    return FormatDefaultJobTitle(program + QStringLiteral(": ") + FOwnerName + u'.' + Name());
}

void TRLCustomReport::storePageDescription()
{
    TRLGraphicStorage &pages = *MasterReport()->FPages.get();
    pages.SetFirstPageNumber(FFirstPageNumber);
    pages.SetTitle(FTitle);
    pages.SetJobTitle(FJobTitle.isEmpty() ? defaultJobTitle() : FJobTitle);
    pages.SetOrientation(FPageSetup.Orientation());
    pages.SetPaperWidth(FPageSetup.PaperWidth());
    pages.SetPaperHeight(FPageSetup.PaperHeight());
}

bool TRLCustomReport::Prepare()
{
    PushBoundsRect();
    struct Finally {
        TRLCustomReport *r;
        ~Finally()
        {
            r->closeProgress();
            r->PopBoundsRect();
        }
    } finally{this};
    try {
        return prepareOne();
    } catch (const SilentAbort &) {
        FReportState = TRLReportState::rsAbout;
        if (FPriorReport)
            throw;
        return false;
    } catch (const Exception &e) {
        FReportState = TRLReportState::rsAbout;
        if (FPriorReport)
            throw;
        showErrorMessage(Name() + QStringLiteral(": ") + LS().LS_PrepareErrorStr + u'\n' +
                         QString::fromLatin1(e.className()) + u'(' + e.message() + u')');
        return false;
    } catch (const std::exception &e) {
        FReportState = TRLReportState::rsAbout;
        if (FPriorReport)
            throw;
        showErrorMessage(Name() + QStringLiteral(": ") + LS().LS_PrepareErrorStr + u'\n' +
                         QStringLiteral("Exception(") + QString::fromLocal8Bit(e.what()) + u')');
        return false;
    }
}

bool TRLCustomReport::prepareOne()
{
    TRLCustomReport *master = MasterReport();
    Clear();
    FReportState = TRLReportState::rsWriting;
    FReportDateTime = QDateTime::currentDateTime();
    auto resetNumber = [&] {
        if (FCompositeOptions.ResetPageNumber || master == this)
            master->FCurrentPageNumber = FFirstPageNumber - 1;
    };
    resetNumber();
    if (master->FShowProgress)
        openProgress();
    SetProgressPhase(LS().LS_PreparingReportStr);
    bool printIt = true;
    if (BeforePrint)
        BeforePrint(this, printIt);
    // Refused by the report's own handler: nothing was prepared, and the
    // report must not stay "writing" (captions would show the preparing
    // text, and a later Print would neither prepare nor print).
    if (!printIt) {
        FReportState = TRLReportState::rsAbout;
        return false;
    }
    resetNumber();
    SortBands();
    LoadPrinterMetrics();
    BeginDoc();
    DataFirst();
    while (!FDataEof && !master->FCanceled) {
        FRecordMoved = false;
        PrintDetails();
        if (!FRecordMoved)
            DataNext();
    }
    if (!FNextReport)
        FReportState = TRLReportState::rsClosing;
    if (FPrintEmpty && FDetailCount == 0)
        OpenSurface();
    EndDoc();
    if (master->FCanceled)
        throw SilentAbort();
    if (AfterPrint)
        AfterPrint(this);
    storeLastPageNumber();
    if (FNextReport && !FNextReport->Prepare()) {
        FReportState = TRLReportState::rsAbout;
        return false;
    }
    storePageDescription();
    FReportState = TRLReportState::rsReady;
    return true;
}

void TRLCustomReport::openProgress()
{
    TRLCustomReport *master = MasterReport();
    if (master == this) {
        int levels = 0;
        for (TRLCustomReport *r = this; r; r = r->FNextReport)
            ++levels;
        if (const auto &open = RLUserInterface().OpenProgress)
            FProgressForm = open(LS().LS_PrintingInProgressStr, levels, [master] { master->Cancel(); });
    } else if (master->FProgressForm) {
        master->FProgressForm->NextLevel();
    }
}

void TRLCustomReport::storeLastPageNumber()
{
    TRLCustomReport *master = MasterReport();
    const int position = chainPosition();
    auto macroName = [](int n) {
        return n == 0 ? QStringLiteral("LastPageNumber") : QStringLiteral("LastPageNumber_") + QString::number(n);
    };
    const QString last = QString::number(master->FCurrentPageNumber);
    master->FPages->Macros().SetValueText(macroName(position), last);
    if (!FCompositeOptions.ResetPageNumber)
        for (int n = position - 1; n >= 0; --n)
            master->FPages->Macros().SetValueText(macroName(n), last);
}

void TRLCustomReport::Print()
{
    FState.include(TRLControlStateType::stPrinting);
    struct Clear {
        TRLControlState &s;
        ~Clear() { s.exclude(TRLControlStateType::stPrinting); }
    } clearFlag{FState};

    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPaperSize(FPageSetup.PaperWidth(), FPageSetup.PaperHeight(), FPageSetup.Orientation(),
                         FPageSetup.ForceEmulation(), true);
    if (FDefaultFilter)
        SetSelectedFilter(FDefaultFilter);
    TRLPrintJob job;
    job.Reset();
    // The print dialog gets the page count when the pages are there already.
    if (FPrintDialog && RLUserInterface().ExecutePrintDialog &&
        !job.Ask(FReportState == TRLReportState::rsReady ? FPages->PageCount() : 0, FPageSetup.Orientation(),
                 RLUserInterface().ExecutePrintDialog)) {
        FCanceled = true;
        throw SilentAbort();
    }
    FDialogParams = TRLPrintDialogParams{job.FromPage, job.ToPage, !job.PageList.isEmpty(), job.PageList};
    if (FReportState == TRLReportState::rsAbout && !Prepare())
        return;
    job.FitTo(FPages->PageCount());
    FDialogParams.FromPage = job.FromPage;
    FDialogParams.ToPage = job.ToPage;
    job.Run(FPages.get(), FShowProgress);
}

bool TRLCustomReport::preparePreview()
{
    if (FForcePrepare)
        Clear();
    if (FDefaultFilter)
        SetSelectedFilter(FDefaultFilter);
    return FReportState != TRLReportState::rsAbout || Prepare();
}

bool TRLCustomReport::PreviewModal()
{
    if (!preparePreview())
        return false;
    if (const auto &preview = RLUserInterface().PreviewPages)
        preview(*FPages.get(), FPreviewOptions, true);
    return true;
}

bool TRLCustomReport::Preview(TRLPreviewTarget *dest)
{
    if (!preparePreview())
        return false;
    if (dest)
        dest->ShowPages(*FPages.get());
    else if (const auto &preview = RLUserInterface().PreviewPages)
        preview(*FPages.get(), FPreviewOptions, false);
    return true;
}

void TRLCustomReport::ClosePreview()
{
    if (const auto &close = RLUserInterface().ClosePreview)
        close(*FPages.get());
}

void TRLCustomReport::SaveToFile(const QString &fileName)
{
    if (FReportState == TRLReportState::rsAbout && !Prepare())
        return;
    if (TRLCustomSaveFilter *filter = SaveFilterByFileName(fileName)) {
        filter->SetFileName(fileName);
        ApplyFilter(FPages.get(), filter, 1, INT_MAX, QString(), TRLPrintOddEvenPages::odAllPages);
    } else {
        FPages->SaveToFile(fileName);
    }
}

// A file is laid out by the page setup alone: no printer is asked.
bool TRLCustomReport::Export(TRLCustomSaveFilter &filter)
{
    if (FReportState == TRLReportState::rsAbout && !Prepare())
        return false;
    ApplyFilter(FPages.get(), &filter, 1, INT_MAX, QString(), TRLPrintOddEvenPages::odAllPages);
    return true;
}

void TRLCustomReport::SaveToStream(TStream &stream)
{
    if (FReportState == TRLReportState::rsAbout && !Prepare())
        return;
    FPages->SaveToStream(stream);
}

namespace {
void takeDescription(TRLCustomReport &report)
{
    TRLGraphicStorage &pages = report.Pages();
    report.SetFirstPageNumber(pages.FirstPageNumber());
    report.SetTitle(pages.Title());
    report.SetJobTitle(pages.JobTitle());
    report.PageSetup().SetOrientation(pages.Orientation());
    report.PageSetup().SetPaperSize(PaperSizeBySize(pages.PaperWidth(), pages.PaperHeight()));
    report.PageSetup().SetPaperWidth(pages.PaperWidth());
    report.PageSetup().SetPaperHeight(pages.PaperHeight());
}
} // namespace

void TRLCustomReport::LoadFromFile(const QString &fileName)
{
    Clear();
    FPages->LoadFromFile(fileName);
    takeDescription(*this);
    FReportState = TRLReportState::rsReady;
}

void TRLCustomReport::LoadFromStream(TStream &stream)
{
    Clear();
    FPages->LoadFromStream(stream);
    takeDescription(*this);
    FReportState = TRLReportState::rsReady;
}

// ---------------------------------------------------------------------------
// Design view

void TRLCustomReport::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignSetBrush(canvas, clWhite);
    canvas.FillRect(rect);
    DesignPaintFrame(canvas, rect);
    // What the printer cannot reach, shaded.
    const TRect m = PrinterMarginPixels();
    DesignSetBrush(canvas, kUnprintableShade);
    canvas.FillRect(TRect{rect.Left, rect.Top, rect.Left + m.Left, rect.Bottom});
    canvas.FillRect(TRect{rect.Right - m.Right, rect.Top, rect.Right, rect.Bottom});
    canvas.FillRect(TRect{rect.Left + m.Left, rect.Top, rect.Right - m.Right, rect.Top + m.Top});
    canvas.FillRect(TRect{rect.Left + m.Left, rect.Bottom - m.Bottom, rect.Right - m.Right, rect.Bottom});
    if (FShowTracks)
        DesignDottedFrame(canvas, DesignOffset(ClientRect(), rect.Left, rect.Top));
    DesignPaintChildren(canvas, rect);
    if (FShowDesigners)
        DesignDrawTag(canvas, rect, QStringLiteral("Report ") + Name(),
                      TRLDesignTagStyle{"MS Sans Serif", 8, clWhite, clBlue, true, false});
}

} // namespace prenso
