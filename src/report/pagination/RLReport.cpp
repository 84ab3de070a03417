// The report: page setup, the page surface and the page storage, and the
// entry points that prepare, print, preview, save and load.
#include "report/pagination/RLReport.h"

#include "platform/canvas.h"
#include "report/controls/RLDesignPaint.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/messagebox.h"
#include "report/RLConsts.h"
#include "report/RLUserInterface.h"
#include "report/filters/RLFilters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <climits>

namespace prenso {

// ---------------------------------------------------------------------------
// Report

TRLCustomReport::TRLCustomReport(const QString &ownerName)
    : TRLCustomSkipper(nullptr), m_ownerName(ownerName), m_pageSetup(this)
{
    m_pages = new TRLGraphicStorage(this);
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
    SetNextReport(nullptr);
    SetPriorReport(nullptr);
    closeProgress();
    // The page being built is not a page yet; free it before the storage goes.
    m_pageSurface.reset();
    if (m_pages)
        m_pages->Unlink(this);
    m_pages = nullptr;
}

int TRLCustomReport::PaperPixelWidth() const
{
    return MMToPixels(m_pageSetup.OrientedWidth());
}

int TRLCustomReport::PaperPixelHeight() const
{
    return MMToPixels(m_pageSetup.OrientedHeight());
}

void TRLCustomReport::PageSetupChanged()
{
    LoadPrinterMetrics();
    SetFixedSize(PaperPixelWidth(), PaperPixelHeight());
    SetBounds(Left(), Top(), PaperPixelWidth(), PaperPixelHeight());
    RealignControls();
}

void TRLCustomReport::LoadPrinterMetrics()
{
    RLPrinter().LoadMetrics(m_printerMetrics);
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
    const TRect portrait{RoundCoord(m.MarginLeft * 96.0 / m.PPIX), RoundCoord(m.MarginTop * 96.0 / m.PPIY),
                         RoundCoord(m.MarginRight * 96.0 / m.PPIX), RoundCoord(m.MarginBottom * 96.0 / m.PPIY)};
    if (orientation == poLandscape)
        return TRect{portrait.Top, portrait.Right, portrait.Bottom, portrait.Left};
    return portrait;
}

TRect TRLCustomReport::PrinterMarginPixels() const
{
    return prenso::PrinterMarginPixels(m_printerMetrics, m_pageSetup.Orientation());
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
    if (!m_adjustableMargins)
        return own;
    const TRect printer = PrinterMarginPixels();
    return TRect{std::max(own.Left, printer.Left), std::max(own.Top, printer.Top), std::max(own.Right, printer.Right),
                 std::max(own.Bottom, printer.Bottom)};
}

void TRLCustomReport::SetAdjustableMargins(bool v)
{
    if (v == m_adjustableMargins)
        return;
    m_adjustableMargins = v;
    AdjustBounds();
    RealignControls();
}

void TRLCustomReport::SetTitle(const QString &t)
{
    if (m_jobTitle == m_title)
        m_jobTitle = t;
    m_title = t;
}

void TRLCustomReport::SetJobTitle(const QString &t)
{
    m_jobTitle = t.isEmpty() ? m_title : t;
}

void TRLCustomReport::SetNextReport(TRLCustomReport *r)
{
    if (r == this || r == m_nextReport)
        return;
    TRLCustomReport *old = m_nextReport;
    m_nextReport = r;
    if (old && old->m_priorReport == this)
        old->m_priorReport = nullptr;
    if (r) {
        if (r->m_priorReport && r->m_priorReport != this)
            r->m_priorReport->m_nextReport = nullptr;
        r->m_priorReport = this;
    }
}

void TRLCustomReport::SetPriorReport(TRLCustomReport *r)
{
    if (r == this || r == m_priorReport)
        return;
    if (r)
        r->SetNextReport(this);
    else if (m_priorReport)
        m_priorReport->SetNextReport(nullptr);
}

int TRLCustomReport::PageNumber() const
{
    return MasterReport()->m_currentPageNumber;
}

int TRLCustomReport::chainPosition() const
{
    int n = 0;
    for (const TRLCustomReport *r = m_priorReport; r; r = r->m_priorReport)
        ++n;
    return n;
}

TRLGraphicSurface *TRLCustomReport::FindParentSurface() const
{
    if (!m_pageSurface) {
        m_pageSurface = std::make_unique<TRLGraphicSurface>();
        m_pageSurface->SetWidth(Width());
        m_pageSurface->SetHeight(Height());
        m_pageSurface->SetOrientation(m_pageSetup.Orientation() == poLandscape ? MetaOrientationLandscape
                                                                               : MetaOrientationPortrait);
        m_pageSurface->SetPaperWidth(m_pageSetup.PaperWidth());
        m_pageSurface->SetPaperHeight(m_pageSetup.PaperHeight());
        m_pageSurface->Open();
    }
    return m_pageSurface.get();
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
    m_pageSurface.reset();
    closeAllSurfaces();
    m_pages->Clear();
    m_reportState = rsAbout;
    m_canceled = false;
    m_pageIndex = -1;
    m_currentPageNumber = m_firstPageNumber - 1;
}

void TRLCustomReport::SurfaceOpening()
{
    TRLCustomSkipper::SurfaceOpening();
    TRLCustomReport *master = MasterReport();
    ++master->m_pageIndex;
    if (m_compositeOptions.NumberPages)
        ++master->m_currentPageNumber;
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
    m_printPosition = TPoint{0, 0};
    m_printSize = TPoint{Width(), Height()};
}

void TRLCustomReport::PlaceSurface()
{
    TRLGraphicSurface *page = FindParentSurface();
    DrawFrame(*page, TRect{m_printPosition.X, m_printPosition.Y, m_printPosition.X + m_printSize.X,
                           m_printPosition.Y + m_printSize.Y});
    page->DrawTaking(m_printPosition.X, m_printPosition.Y, Surface()); // cleared at its next opening anyway
}

void TRLCustomReport::SurfaceClosed()
{
    if (TRLCustomPager *outer = FindParentPager())
        outer->SetRelativePagerRow(outer->RelativePagerRow() + m_printSize.Y);
    PopBoundsRect();
    TRLCustomReport *master = MasterReport();
    std::unique_ptr<TRLGraphicSurface> page = std::move(m_pageSurface);
    if (!page)
        return;
    page->Macros().SetValueText(QStringLiteral("PageNo"), QString::number(master->m_currentPageNumber));
    page->Macros().SetValueText(QStringLiteral("CompositeIndex"), QString::number(chainPosition()));
    page->Close();
    master->m_pages->Add(std::move(page));
}

void TRLCustomReport::InternalBeginDoc()
{
}

void TRLCustomReport::SetProgressPhase(const QString &phase)
{
    TRLCustomReport *master = MasterReport();
    // The label is repainted at once, so only a new text is worth that, and
    // while pages fly by (a long form changes page every few milliseconds)
    // no more often than the eye can follow.
    if (!master->m_progressForm || phase == master->m_lastPhase)
        return;
    if (master->m_phaseClock.isValid() && master->m_phaseClock.elapsed() < 40)
        return;
    master->m_lastPhase = phase;
    master->m_phaseClock.restart();
    master->m_progressForm->StepCaption(phase);
}

void TRLCustomReport::SetProgressSize(int max)
{
    TRLCustomReport *master = MasterReport();
    if (master->m_progressForm)
        master->m_progressForm->SetMax(max);
}

void TRLCustomReport::StepProgress(int step)
{
    TRLCustomReport *master = MasterReport();
    if (master->m_progressForm)
        for (int i = 0; i < step; ++i)
            master->m_progressForm->Tick();
}

void TRLCustomReport::closeProgress()
{
    m_progressForm.reset();
    m_lastPhase.clear();
    m_phaseClock.invalidate();
}

void TRLCustomReport::DataFirst()
{
    SetProgressSize(DataCount());
    TRLCustomSkipper::DataFirst();
}

void TRLCustomReport::DataNext()
{
    StepProgress(1);
    SetProgressPhase(LS().LS_PageStr + u' ' + QString::number(PageNumber()));
    TRLCustomSkipper::DataNext();
}

QString TRLCustomReport::defaultJobTitle() const
{
    const QStringList args = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList{};
    const QString program = args.isEmpty() ? files::executablePath() : args.first();
    return FormatDefaultJobTitle(program + QStringLiteral(": ") + m_ownerName + u'.' + Name());
}

void TRLCustomReport::storePageDescription()
{
    TRLGraphicStorage &pages = *MasterReport()->m_pages;
    pages.SetFirstPageNumber(m_firstPageNumber);
    pages.SetTitle(m_title);
    pages.SetJobTitle(m_jobTitle.isEmpty() ? defaultJobTitle() : m_jobTitle);
    pages.SetOrientation(m_pageSetup.Orientation() == poLandscape ? 2 : 1);
    pages.SetPaperWidth(m_pageSetup.PaperWidth());
    pages.SetPaperHeight(m_pageSetup.PaperHeight());
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
    TRLCustomReport *master = MasterReport();
    try {
        Clear();
        m_reportState = rsWriting;
        m_reportDateTime = QDateTime::currentDateTime();
        auto resetNumber = [&] {
            if (m_compositeOptions.ResetPageNumber || master == this)
                master->m_currentPageNumber = m_firstPageNumber - 1;
        };
        resetNumber();
        if (master->m_showProgress) {
            if (master == this) {
                int levels = 0;
                for (TRLCustomReport *r = this; r; r = r->m_nextReport)
                    ++levels;
                if (const auto &open = RLUserInterface().OpenProgress)
                    m_progressForm = open(LS().LS_PrintingInProgressStr, levels, [master] { master->Cancel(); });
            } else if (master->m_progressForm) {
                master->m_progressForm->NextLevel();
            }
        }
        SetProgressPhase(LS().LS_PreparingReportStr);
        bool printIt = true;
        if (BeforePrint)
            BeforePrint(this, printIt);
        if (!printIt)
            return false; // refused by the report's own handler: the state stays as it is
        resetNumber();
        SortBands();
        LoadPrinterMetrics();
        BeginDoc();
        DataFirst();
        while (!m_dataEof && !master->m_canceled) {
            m_recordMoved = false;
            PrintDetails();
            if (!m_recordMoved)
                DataNext();
        }
        if (!m_nextReport)
            m_reportState = rsClosing;
        if (m_printEmpty && m_detailCount == 0)
            OpenSurface();
        EndDoc();
        if (master->m_canceled)
            throw SilentAbort();
        if (AfterPrint)
            AfterPrint(this);
        const int position = chainPosition();
        auto macroName = [](int n) {
            return n == 0 ? QStringLiteral("LastPageNumber") : QStringLiteral("LastPageNumber_") + QString::number(n);
        };
        const QString last = QString::number(master->m_currentPageNumber);
        master->m_pages->Macros().SetValueText(macroName(position), last);
        if (!m_compositeOptions.ResetPageNumber)
            for (int n = position - 1; n >= 0; --n)
                master->m_pages->Macros().SetValueText(macroName(n), last);
        if (m_nextReport && !m_nextReport->Prepare()) {
            m_reportState = rsAbout;
            return false;
        }
        storePageDescription();
        m_reportState = rsReady;
        return true;
    } catch (const SilentAbort &) {
        m_reportState = rsAbout;
        if (m_priorReport)
            throw;
        return false;
    } catch (const Exception &e) {
        m_reportState = rsAbout;
        if (m_priorReport)
            throw;
        showErrorMessage(Name() + QStringLiteral(": ") + LS().LS_PrepareErrorStr + u'\n' +
                         QString::fromLatin1(e.className()) + u'(' + e.message() + u')');
        return false;
    } catch (const std::exception &e) {
        m_reportState = rsAbout;
        if (m_priorReport)
            throw;
        showErrorMessage(Name() + QStringLiteral(": ") + LS().LS_PrepareErrorStr + u'\n' +
                         QStringLiteral("Exception(") + QString::fromLocal8Bit(e.what()) + u')');
        return false;
    }
}

void TRLCustomReport::Print()
{
    m_state.include(stPrinting);
    struct Clear {
        TRLControlState &s;
        ~Clear() { s.exclude(stPrinting); }
    } clearFlag{m_state};

    TRLPrinterWrapper &printer = RLPrinter();
    printer.SetPaperSize(m_pageSetup.PaperWidth(), m_pageSetup.PaperHeight(), m_pageSetup.Orientation() == poLandscape,
                         m_pageSetup.ForceEmulation(), true);
    if (m_defaultFilter)
        SetSelectedFilter(m_defaultFilter);
    m_dialogParams = TRLPrintDialogParams{};
    printer.SetOddEven(odAllPages);
    printer.SetCopies(1);
    if (m_printDialog && ShowPrintDialogHook && !ShowPrintDialogHook(*this)) {
        m_canceled = true;
        throw SilentAbort();
    }
    if (m_reportState == rsAbout && !Prepare())
        return;
    m_dialogParams.FromPage = std::max(1, m_dialogParams.FromPage);
    m_dialogParams.ToPage = std::min(m_pages->PageCount(), m_dialogParams.ToPage);
    TRLCustomFilter *filter = SelectedFilter();
    if (!filter)
        filter = SpoolFilterInstance();
    filter->SetShowProgress(m_showProgress);
    const int parity = printer.OddEven() == odOddPagesOnly ? 1 : printer.OddEven() == odEvenPagesOnly ? 2 : 0;
    ApplyFilter(m_pages, filter, m_dialogParams.FromPage, m_dialogParams.ToPage, QString(), parity);
}

bool TRLCustomReport::PreviewModal()
{
    if (m_forcePrepare)
        Clear();
    if (m_defaultFilter)
        SetSelectedFilter(m_defaultFilter);
    if (m_reportState == rsAbout && !Prepare())
        return false;
    if (PreviewHook)
        PreviewHook(*this);
    return true;
}

void TRLCustomReport::SaveToFile(const QString &fileName)
{
    if (m_reportState == rsAbout && !Prepare())
        return;
    if (TRLCustomSaveFilter *filter = SaveFilterByFileName(fileName)) {
        filter->SetFileName(fileName);
        ApplyFilter(m_pages, filter, 1, INT_MAX, QString(), 0);
    } else {
        m_pages->SaveToFile(fileName);
    }
}

void TRLCustomReport::SaveToStream(TStream &stream)
{
    if (m_reportState == rsAbout && !Prepare())
        return;
    m_pages->SaveToStream(stream);
}

namespace {
void takeDescription(TRLCustomReport &report)
{
    TRLGraphicStorage &pages = report.Pages();
    report.SetFirstPageNumber(pages.FirstPageNumber());
    report.SetTitle(pages.Title());
    report.SetJobTitle(pages.JobTitle());
    report.PageSetup().SetOrientation(pages.Orientation() == 2 ? poLandscape : poPortrait);
    report.PageSetup().SetPaperSize(PaperSizeBySize(pages.PaperWidth(), pages.PaperHeight()));
    report.PageSetup().SetPaperWidth(pages.PaperWidth());
    report.PageSetup().SetPaperHeight(pages.PaperHeight());
}
} // namespace

void TRLCustomReport::LoadFromFile(const QString &fileName)
{
    Clear();
    m_pages->LoadFromFile(fileName);
    takeDescription(*this);
    m_reportState = rsReady;
}

void TRLCustomReport::LoadFromStream(TStream &stream)
{
    Clear();
    m_pages->LoadFromStream(stream);
    takeDescription(*this);
    m_reportState = rsReady;
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
    if (m_showTracks)
        DesignDottedFrame(canvas, DesignOffset(ClientRect(), rect.Left, rect.Top));
    DesignPaintChildren(canvas, rect);
    if (m_showDesigners)
        DesignDrawTag(canvas, rect, QStringLiteral("Report ") + Name(), TRLDesignTagStyle{"MS Sans Serif", 8, clWhite, clBlue, true, false});
}

} // namespace prenso
