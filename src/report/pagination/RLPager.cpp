// Pagers: printing bands onto pages, headers, footers and completion, page
// breaks; skippers: the walk over the records of a data source.
#include "report/pagination/RLPager.h"

#include "report/pagination/RLReport.h"

#include "data/dataset.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>

namespace prenso {

// ---------------------------------------------------------------------------
// Sorted bands

void TRLSortedBands::Clear()
{
    for (auto &l : m_lists)
        l.clear();
    m_printed.fill(false);
}

void TRLSortedBands::Add(TRLCustomBand *band)
{
    auto &list = m_lists[band->BandType()];
    // Ordered by Top; equal tops keep the order in which they were added.
    auto pos = std::upper_bound(list.begin(), list.end(), band->Top(),
                                [](int top, const TRLCustomBand *b) { return top < b->Top(); });
    list.insert(pos, band);
}

void TRLSortedBands::ResetPrinted(bool keepTitle)
{
    for (int t = 0; t < kBandTypeCount; ++t)
        if (!(keepTitle && t == btTitle))
            m_printed[t] = false;
}

// ---------------------------------------------------------------------------
// Pager

TRLCustomPager::TRLCustomPager(TRLCustomSite *parent) : TRLCustomBandSet(parent)
{
    SetAutoSizeDir(TRLAutoSizeDirSet{asHeightDir});
    if (parent)
        SetAlign(faTop);
    m_allowedBands = TRLAllowedBands{btDetail};
}

bool TRLCustomPager::TakeNewPageNeeded()
{
    const bool needed = m_newPageNeeded;
    m_newPageNeeded = false;
    return needed;
}

void TRLCustomPager::resetPageState()
{
    m_dataBandPrinted = 0;
    m_detailsInSurface = 0;
    m_newPageNeeded = false;
    m_relativePagerRow = ClientRect().Top;
}

void TRLCustomPager::Initialize()
{
    m_detailCount = 0;
    resetPageState();
    TRLCustomSite::Initialize();
}

void TRLCustomPager::ComputeDetail(TRLCustomControl *)
{
    ++m_detailCount;
}

int TRLCustomPager::HeightBelowClient() const
{
    return Height() - ClientRect().Bottom;
}

void TRLCustomPager::SortBands()
{
    m_sortedBands.Clear();
    for (const auto &child : Children()) {
        if (auto *band = dynamic_cast<TRLCustomBand *>(child.get()))
            m_sortedBands.Add(band);
        else if (auto *pager = dynamic_cast<TRLCustomPager *>(child.get()))
            pager->SortBands();
    }
}

void TRLCustomPager::SurfaceOpening()
{
    PushBoundsRect();
    resetPageState();
    m_sortedBands.ResetPrinted(true);
}

void TRLCustomPager::SurfaceBeginDraw()
{
    TRLCustomSite::SurfaceBeginDraw();
    PrintHeaders();
}

void TRLCustomPager::SurfaceClosing()
{
    m_relativePagerRow += HeightBelowClient();
    if (AutoTrunc())
        m_printSize.Y = m_relativePagerRow;
}

TRLPrintBandResults TRLCustomPager::PrintBands(TRLBandType type)
{
    const std::vector<TRLCustomBand *> &list = m_sortedBands.List(type);
    if (list.empty())
        return brNoBands;
    for (size_t i = 0; i < list.size();) {
        TRLCustomBand *band = list[i];
        if (band == m_newPageCaller)
            return brStackExit;
        if (band->GroupIndex() == 0) {
            for (int copy = 0; copy < band->CarbonCopies(); ++copy) {
                band->SetCarbonIndex(copy);
                PrintBand(band);
            }
            ++i;
            continue;
        }
        // A run of bands sharing a group prints as a block, copy after copy.
        size_t end = i + 1;
        while (end < list.size() && list[end]->GroupIndex() == band->GroupIndex())
            ++end;
        for (int copy = 0; copy < band->CarbonCopies(); ++copy)
            for (size_t k = i; k < end; ++k) {
                if (list[k] == m_newPageCaller)
                    return brStackExit;
                list[k]->SetCarbonIndex(copy);
                PrintBand(list[k]);
            }
        i = end;
    }
    m_sortedBands.SetPrinted(type, true);
    return brPrinted;
}

namespace {
// Restores the bounds a band and its controls had before a record, also when
// an error leaves.
struct BoundsRestorer {
    TRLCustomBand *band;
    ~BoundsRestorer() { band->PopBoundsRecursivePublic(); }
};
} // namespace

void TRLCustomPager::PrintBand(TRLCustomBand *band)
{
    band->PushBoundsRecursivePublic();
    BoundsRestorer restore{band};
    if (!band->CanPrint())
        return;
    if (!band->Options().has(boOptimisticPageBreak) && band->BandType() != btColumnFooter &&
        band->BandType() != btFooter) {
        int available = 0;
        if (!band->HeightFits(band->PrintSize().Y, available) &&
            (band->IntegralHeight() || available < band->MinHeight()))
            band->SkipToNextPage();
    }
    band->AdjustBounds();
    band->Print();
    if (band->AfterPrint)
        band->AfterPrint(band);
}

void TRLCustomPager::PrintDetails()
{
    if (m_footerMeasuring == fmBeforeDetail)
        MeasureFooters();
    PrintPagers();
    PrintBands(btDetail);
}

void TRLCustomPager::PrintPagers()
{
    for (const auto &child : Children())
        if (TRLCustomPager *pager = child->AsPager())
            if (auto *group = dynamic_cast<TRLCustomGroup *>(pager))
                PrintSite(group);
}

void TRLCustomPager::PrintSite(TRLCustomSite *site)
{
    if (site->CanPrint())
        site->Print();
}

void TRLCustomPager::PrintHeaders()
{
    if (!Enabled())
        return;
    for (TRLBandType t : {btHeader, btTitle, btColumnHeader})
        if (!m_sortedBands.Printed(t) && PrintBands(t) == brStackExit)
            return;
    if (m_footerMeasuring == fmAfterHeader)
        MeasureFooters();
}

void TRLCustomPager::PrintFooters(bool summarize)
{
    if (!Enabled())
        return;
    for (TRLBandType t : {btColumnFooter, btSummary, btFooter}) {
        if (t == btSummary && !summarize)
            continue;
        if (!m_sortedBands.Printed(t) && PrintBands(t) == brStackExit)
            return;
    }
}

void TRLCustomPager::PrintCompletion()
{
    m_pagerStatus.include(psCompleting);
    struct Clear {
        TRLPagerStatus &s;
        ~Clear() { s.exclude(psCompleting); }
    } clearMark{m_pagerStatus};
    TRLCustomBand *band = nullptr;
    for (TRLCustomBand *b : m_sortedBands.List(btDetail))
        if (b->Completion() != ctNone && b->Computable()) {
            band = b;
            break;
        }
    if (!band || band->Height() <= 0)
        return;
    // Completion fills the current page only: stop if a band broke the page.
    const TRLCustomReport *report = FindParentReport();
    const int startPage = report ? report->PageIndex() : 0;
    auto samePage = [&] { return !report || report->PageIndex() == startPage; };
    // A band that did not print (its BeforePrint said no) would be asked
    // again and again: completion stops when a pass changes nothing.
    auto printedOne = [&] {
        const int details = m_detailsInSurface, row = m_relativePagerRow;
        PrintBand(band);
        return m_detailsInSurface != details || m_relativePagerRow != row;
    };
    switch (band->Completion()) {
    case ctFullPage:
        while (samePage() && m_relativePagerRow + band->Height() <= GetRelativeColumnFooterRowNoSummary() &&
               (m_maxBands <= 0 || m_detailsInSurface < m_maxBands) && printedOne()) {
        }
        break;
    case ctMaxBands:
        while (samePage() && m_maxBands > 0 && m_detailsInSurface < m_maxBands && printedOne()) {
        }
        break;
    case ctMinBands:
        while (samePage() && m_detailsInSurface < m_minBands && printedOne()) {
        }
        break;
    default:
        break;
    }
}

void TRLCustomPager::MeasureFooters()
{
    for (TRLCustomBand *b : m_sortedBands.List(btFooter))
        b->MeasureHeight();
    if (TRLCustomPager *parent = FindParentPager())
        parent->MeasureFooters();
}

int TRLCustomPager::footerHeights(TRLBandType type) const
{
    int h = 0;
    for (const TRLCustomBand *b : m_sortedBands.List(type))
        if (b->Visible())
            h += b->Height();
    return h;
}

int TRLCustomPager::GetRelativeFooterRow()
{
    const TRLCustomReport *report = FindParentReport();
    const int pageBottom = report ? report->Height() : Height();
    // The absolute vertical print position of this pager on the page.
    int absolute = 0;
    for (const TRLCustomControl *c = this; c; c = c->Parent())
        if (c->IsSite() && c != report)
            absolute += static_cast<const TRLCustomSite *>(c)->PrintPosition().Y;
    int row = pageBottom - absolute;
    row -= HeightBelowClient() + footerHeights(btFooter);
    for (TRLCustomPager *p = FindParentPager(); p; p = p->FindParentPager())
        row -= p->HeightBelowClient() + p->footerHeights(btFooter) + p->footerHeights(btColumnFooter);
    return row;
}

int TRLCustomPager::GetRelativeSummaryRow()
{
    int row = GetRelativeFooterRow();
    for (const TRLCustomBand *b : m_sortedBands.List(btSummary))
        if (b->Visible() && b->AlignToBottom())
            row -= b->Height();
    return row;
}

int TRLCustomPager::GetRelativeColumnFooterRow()
{
    return GetRelativeSummaryRow() - footerHeights(btColumnFooter);
}

int TRLCustomPager::GetRelativeColumnFooterRowNoSummary()
{
    return GetRelativeFooterRow() - footerHeights(btColumnFooter);
}

bool TRLCustomPager::GoFooterRow()
{
    if (AutoTrunc())
        return false;
    const int row = GetRelativeFooterRow();
    if (m_relativePagerRow < row) {
        m_relativePagerRow = row;
        return true;
    }
    return false;
}

bool TRLCustomPager::GoSummaryRow()
{
    const int row = GetRelativeSummaryRow();
    if (m_relativePagerRow < row) {
        m_relativePagerRow = row;
        return true;
    }
    return false;
}

bool TRLCustomPager::GoColumnFooterRow()
{
    const int row = GetRelativeColumnFooterRow();
    if (m_relativePagerRow < row) {
        m_relativePagerRow = row;
        return true;
    }
    return false;
}

void TRLCustomPager::BeginDoc()
{
    m_sortedBands.ResetPrinted(false);
    Initialize();
    InternalBeginDoc();
    MarkPrintPosition();
}

void TRLCustomPager::EndDoc()
{
    PrintCompletion();
    PrintFooters(true);
    CloseSurface();
    InternalEndDoc();
}

void TRLCustomPager::InternalBeginDoc()
{
}

void TRLCustomPager::InternalEndDoc()
{
}

void TRLCustomPager::NewPage()
{
    InternalNewPage(nullptr, false);
}

void TRLCustomPager::InternalNewPage(TRLCustomBand *caller, bool moveOnly)
{
    TRLCustomBand *const saved = m_newPageCaller;
    m_newPageCaller = caller;
    struct Restore {
        TRLCustomBand *&slot;
        TRLCustomBand *value;
        ~Restore() { slot = value; }
    } restore{m_newPageCaller, saved};
    TRLCustomPager *parent = FindParentPager();
    if (IntegralHeightSet() && parent && parent->DataBandPrinted() > m_dataBandPrinted)
        moveOnly = true;
    if (!moveOnly)
        CloseSurface();
    if (parent)
        parent->InternalNewPage(caller, false);
    if (moveOnly)
        MarkPrintPosition();
    else
        OpenSurface();
}

bool TRLCustomPager::CanBreakPage() const
{
    if (m_dataBandPrinted < 1)
        return false;
    if (m_forceMinBands && m_minBands > 0 && m_detailsInSurface < m_minBands)
        return false;
    return true;
}

} // namespace prenso
