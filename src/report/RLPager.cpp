// Pagers: printing bands onto pages, headers, footers and completion, page
// breaks; skippers: the walk over the records of a data source.
#include "report/RLReport.h"

#include "data/dataset.h"
#include "report/RLMetaFile.h"

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
        if (auto *group = dynamic_cast<TRLCustomGroup *>(child.get()))
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
    switch (band->Completion()) {
    case ctFullPage:
        while (samePage() && m_relativePagerRow + band->Height() <= GetRelativeColumnFooterRowNoSummary() &&
               (m_maxBands <= 0 || m_detailsInSurface < m_maxBands))
            PrintBand(band);
        break;
    case ctMaxBands:
        while (samePage() && m_maxBands > 0 && m_detailsInSurface < m_maxBands)
            PrintBand(band);
        break;
    case ctMinBands:
        while (samePage() && m_detailsInSurface < m_minBands)
            PrintBand(band);
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
        if (auto *site = dynamic_cast<const TRLCustomSite *>(c); site && site != report)
            absolute += site->PrintPosition().Y;
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

// ---------------------------------------------------------------------------
// Skipper

int TRLCustomSkipper::DataCount()
{
    if (OnDataCount) {
        int count = 0;
        OnDataCount(this, count);
        return count;
    }
    TDataSet *ds = m_dataSource ? m_dataSource->DataSet() : nullptr;
    return ds && ds->Active() ? ds->RecordCount() : 0;
}

bool TRLCustomSkipper::moreData(bool first)
{
    bool more = false;
    if (m_dataSource) {
        TDataSet *ds = m_dataSource->DataSet();
        if (ds && ds->Active()) {
            if (first) {
                if (m_recordRange == rrAllRecords)
                    ds->First();
            } else {
                ds->Next();
            }
            more = !ds->Eof();
        }
    } else if (OnNeedData) {
        OnNeedData(this, more);
    }
    return more;
}

void TRLCustomSkipper::fetch(bool first)
{
    TRLRecordAction previous = m_recordAction;
    for (;;) {
        bool more;
        if (!first && (previous == raUseAndRetain || previous == raBlankAndRetain))
            more = true; // the same record is used again
        else
            more = moreData(first);
        if (!first && m_recordRange == rrCurrentOnly)
            more = false;
        if (m_recordRange == rrNextN && m_rangeCount < m_recNo)
            more = false;
        m_dataEof = !more;
        m_recordAction = raUseIt;
        if (OnDataRecord)
            OnDataRecord(this, m_recNo, m_copyNo, m_dataEof, m_recordAction);
        if (m_dataEof || m_recordAction != raIgnoreIt)
            break;
        // An ignored record is passed over: the next round moves on.
        first = false;
        previous = m_recordAction;
    }
}

void TRLCustomSkipper::DataFirst()
{
    m_recNo = 1;
    m_copyNo = 1;
    m_recordAction = raUseIt;
    fetch(true);
    m_recordMoved = false;
}

void TRLCustomSkipper::DataNext()
{
    const TRLRecordAction previous = m_recordAction;
    m_copyNo = previous == raUseAndRetain ? m_copyNo + 1 : 1;
    if (previous == raUseIt)
        ++m_recNo;
    fetch(false);
    m_recordMoved = true;
}

} // namespace prenso
