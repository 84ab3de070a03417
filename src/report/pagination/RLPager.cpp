// Pagers: printing bands onto pages, headers, footers and completion, page
// breaks; skippers: the walk over the records of a data source.
#include "report/pagination/RLPager.h"

#include "data/dataset.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"

#include <algorithm>

namespace prenso {

// ---------------------------------------------------------------------------
// Sorted bands

void TRLSortedBands::Clear()
{
    for (auto &l : FLists)
        l.clear();
    FPrinted.fill(false);
}

void TRLSortedBands::Add(TRLCustomBand *band)
{
    auto &list = FLists[Ord(band->BandType())];
    // Ordered by Top; equal tops keep the order in which they were added.
    auto pos = std::upper_bound(list.begin(), list.end(), band->Top(),
                                [](int top, const TRLCustomBand *b) { return top < b->Top(); });
    list.insert(pos, band);
}

void TRLSortedBands::ResetPrinted(bool keepTitle)
{
    for (int t = 0; t < kBandTypeCount; ++t)
        if (!(keepTitle && static_cast<TRLBandType>(t) == TRLBandType::btTitle))
            FPrinted[t] = false;
}

// ---------------------------------------------------------------------------
// Pager

TRLCustomPager::TRLCustomPager(TRLCustomSite *parent) : TRLCustomBandSet(parent)
{
    FKinds |= kKindPager;
    SetAutoSizeDir(TRLAutoSizeDirSet{TRLAutoSizeDirType::asHeightDir});
    if (parent)
        SetAlign(TRLControlAlign::faTop);
    FAllowedBands = TRLAllowedBands{TRLBandType::btDetail};
}

bool TRLCustomPager::TakeNewPageNeeded()
{
    const bool needed = FNewPageNeeded;
    FNewPageNeeded = false;
    return needed;
}

void TRLCustomPager::resetPageState()
{
    FDataBandPrinted = 0;
    FDetailsInSurface = 0;
    FNewPageNeeded = false;
    FRelativePagerRow = ClientRect().Top;
}

void TRLCustomPager::Initialize()
{
    FDetailCount = 0;
    resetPageState();
    TRLCustomSite::Initialize();
}

void TRLCustomPager::ComputeDetail(TRLCustomControl *)
{
    ++FDetailCount;
}

int TRLCustomPager::HeightBelowClient() const
{
    return Height() - ClientRect().Bottom;
}

void TRLCustomPager::SortBands()
{
    FSortedBands.Clear();
    for (const auto &child : Children()) {
        if (auto *band = dynamic_cast<TRLCustomBand *>(child.get()))
            FSortedBands.Add(band);
        else if (auto *pager = dynamic_cast<TRLCustomPager *>(child.get()))
            pager->SortBands();
    }
}

void TRLCustomPager::SurfaceOpening()
{
    PushBoundsRect();
    resetPageState();
    FSortedBands.ResetPrinted(true);
}

void TRLCustomPager::SurfaceBeginDraw()
{
    TRLCustomSite::SurfaceBeginDraw();
    PrintHeaders();
}

void TRLCustomPager::SurfaceClosing()
{
    FRelativePagerRow += HeightBelowClient();
    if (AutoTrunc())
        FPrintSize.Y = FRelativePagerRow;
}

TRLPrintBandResults TRLCustomPager::PrintBands(TRLBandType type)
{
    const std::vector<TRLCustomBand *> &list = FSortedBands.List(type);
    if (list.empty())
        return TRLPrintBandResults::brNoBands;
    for (size_t i = 0; i < list.size();) {
        TRLCustomBand *band = list[i];
        if (band == FNewPageCaller)
            return TRLPrintBandResults::brStackExit;
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
                if (list[k] == FNewPageCaller)
                    return TRLPrintBandResults::brStackExit;
                list[k]->SetCarbonIndex(copy);
                PrintBand(list[k]);
            }
        i = end;
    }
    FSortedBands.SetPrinted(type, true);
    return TRLPrintBandResults::brPrinted;
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
    if (!band->Options().has(TRLBandOption::boOptimisticPageBreak) && band->BandType() != TRLBandType::btColumnFooter &&
        band->BandType() != TRLBandType::btFooter) {
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
    if (FFooterMeasuring == TRLFooterMeasuring::fmBeforeDetail)
        MeasureFooters();
    PrintPagers();
    PrintBands(TRLBandType::btDetail);
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
    for (TRLBandType t : {TRLBandType::btHeader, TRLBandType::btTitle, TRLBandType::btColumnHeader})
        if (!FSortedBands.Printed(t) && PrintBands(t) == TRLPrintBandResults::brStackExit)
            return;
    if (FFooterMeasuring == TRLFooterMeasuring::fmAfterHeader)
        MeasureFooters();
}

void TRLCustomPager::PrintFooters(bool summarize)
{
    if (!Enabled())
        return;
    for (TRLBandType t : {TRLBandType::btColumnFooter, TRLBandType::btSummary, TRLBandType::btFooter}) {
        if (t == TRLBandType::btSummary && !summarize)
            continue;
        if (!FSortedBands.Printed(t) && PrintBands(t) == TRLPrintBandResults::brStackExit)
            return;
    }
}

void TRLCustomPager::PrintCompletion()
{
    FPagerStatus.include(TRLPagerStatusType::psCompleting);
    struct Clear {
        TRLPagerStatus &s;
        ~Clear() { s.exclude(TRLPagerStatusType::psCompleting); }
    } clearMark{FPagerStatus};
    TRLCustomBand *band = nullptr;
    for (TRLCustomBand *b : FSortedBands.List(TRLBandType::btDetail))
        if (b->Completion() != TRLCompletionType::ctNone && b->Computable()) {
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
        const int details = FDetailsInSurface, row = FRelativePagerRow;
        PrintBand(band);
        return FDetailsInSurface != details || FRelativePagerRow != row;
    };
    switch (band->Completion()) {
    case TRLCompletionType::ctFullPage:
        while (samePage() && FRelativePagerRow + band->Height() <= GetRelativeColumnFooterRowNoSummary() &&
               (FMaxBands <= 0 || FDetailsInSurface < FMaxBands) && printedOne()) {
        }
        break;
    case TRLCompletionType::ctMaxBands:
        while (samePage() && FMaxBands > 0 && FDetailsInSurface < FMaxBands && printedOne()) {
        }
        break;
    case TRLCompletionType::ctMinBands:
        while (samePage() && FDetailsInSurface < FMinBands && printedOne()) {
        }
        break;
    default: break;
    }
}

void TRLCustomPager::MeasureFooters()
{
    for (TRLCustomBand *b : FSortedBands.List(TRLBandType::btFooter))
        b->MeasureHeight();
    if (TRLCustomPager *parent = FindParentPager())
        parent->MeasureFooters();
}

int TRLCustomPager::footerHeights(TRLBandType type) const
{
    int h = 0;
    for (const TRLCustomBand *b : FSortedBands.List(type))
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
    row -= HeightBelowClient() + footerHeights(TRLBandType::btFooter);
    for (TRLCustomPager *p = FindParentPager(); p; p = p->FindParentPager())
        row -= p->HeightBelowClient() + p->footerHeights(TRLBandType::btFooter) +
               p->footerHeights(TRLBandType::btColumnFooter);
    return row;
}

int TRLCustomPager::GetRelativeSummaryRow()
{
    int row = GetRelativeFooterRow();
    for (const TRLCustomBand *b : FSortedBands.List(TRLBandType::btSummary))
        if (b->Visible() && b->AlignToBottom())
            row -= b->Height();
    return row;
}

int TRLCustomPager::GetRelativeColumnFooterRow()
{
    return GetRelativeSummaryRow() - footerHeights(TRLBandType::btColumnFooter);
}

int TRLCustomPager::GetRelativeColumnFooterRowNoSummary()
{
    return GetRelativeFooterRow() - footerHeights(TRLBandType::btColumnFooter);
}

bool TRLCustomPager::GoFooterRow()
{
    if (AutoTrunc())
        return false;
    const int row = GetRelativeFooterRow();
    if (FRelativePagerRow < row) {
        FRelativePagerRow = row;
        return true;
    }
    return false;
}

bool TRLCustomPager::GoSummaryRow()
{
    const int row = GetRelativeSummaryRow();
    if (FRelativePagerRow < row) {
        FRelativePagerRow = row;
        return true;
    }
    return false;
}

bool TRLCustomPager::GoColumnFooterRow()
{
    const int row = GetRelativeColumnFooterRow();
    if (FRelativePagerRow < row) {
        FRelativePagerRow = row;
        return true;
    }
    return false;
}

void TRLCustomPager::BeginDoc()
{
    FSortedBands.ResetPrinted(false);
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
{}

void TRLCustomPager::InternalEndDoc()
{}

void TRLCustomPager::NewPage()
{
    InternalNewPage(nullptr, false);
}

void TRLCustomPager::InternalNewPage(TRLCustomBand *caller, bool moveOnly)
{
    TRLCustomBand *const saved = FNewPageCaller;
    FNewPageCaller = caller;
    struct Restore {
        TRLCustomBand *&slot;
        TRLCustomBand *value;
        ~Restore() { slot = value; }
    } restore{FNewPageCaller, saved};
    TRLCustomPager *parent = FindParentPager();
    if (IntegralHeightSet() && parent && parent->DataBandPrinted() > FDataBandPrinted)
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
    if (FDataBandPrinted < 1)
        return false;
    if (FForceMinBands && FMinBands > 0 && FDetailsInSurface < FMinBands)
        return false;
    return true;
}

} // namespace prenso
