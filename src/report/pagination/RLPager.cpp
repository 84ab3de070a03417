// Pagers: printing bands onto pages, headers, footers and completion, where
// each band lands and when a page breaks.
#include "report/pagination/RLPager.h"

#include "report/pagination/RLPageBreak.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

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
    FBandHost = this;
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

bool isFooter(const TRLCustomBand &band)
{
    return band.BandType() == TRLBandType::btColumnFooter || band.BandType() == TRLBandType::btFooter;
}

// `height` rows of the band with `available` rows left for them.
TRLPageBreak::TFit fitOf(const TRLCustomBand &band, int height, int available)
{
    return TRLPageBreak::TFit{height, available, band.IntegralHeight(), band.MinHeight(), isFooter(band)};
}
} // namespace

void TRLCustomPager::PrintBand(TRLCustomBand *band)
{
    band->PushBoundsRecursivePublic();
    BoundsRestorer restore{band};
    if (!band->CanPrint())
        return;
    // The height the band had for the previous record decides whether it
    // moves on before it is measured for this one.
    if (TRLPageBreak::BreaksEarly(fitOf(*band, band->PrintSize().Y, roomFor(*band)),
                                  band->Options().has(TRLBandOption::boOptimisticPageBreak)))
        skipToNextPage(*band);
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
    return TRLPageBreak::ClosesPage(FDataBandPrinted, FDetailsInSurface, FForceMinBands, FMinBands);
}

// ---------------------------------------------------------------------------
// Placing bands

bool TRLCustomPager::PrintsBlank() const
{
    if (Completing())
        return true;
    const TRLCustomSkipper *skipper = FindParentSkipper();
    return skipper && skipper->RecordAction() == TRLRecordAction::raBlankAndRetain;
}

void TRLCustomPager::BandPrinted(TRLCustomBand &band, bool computed)
{
    if (computed)
        ComputeDetail(&band);
    if (computed || band.BandType() == TRLBandType::btSummary)
        for (TRLCustomPager *p = this; p; p = p->FindParentPager())
            ++p->FDataBandPrinted;
}

void TRLCustomPager::BandClosed(TRLCustomBand &band, bool detail)
{
    if (detail)
        ++FDetailsInSurface;
    if (band.PageBreaking() == TRLPageBreaking::pbAfterPrint)
        if (TRLCustomReport *report = FindParentReport())
            report->InvalidatePage();
}

int TRLCustomPager::roomFor(const TRLCustomBand &band)
{
    const int limit =
        band.BandType() == TRLBandType::btSummary ? GetRelativeFooterRow() : GetRelativeColumnFooterRowNoSummary();
    return limit - FRelativePagerRow;
}

void TRLCustomPager::skipToNextPage(TRLCustomBand &band)
{
    InternalNewPage(&band, false);
    band.MarkPrintPosition();
}

// Runs while the band's surface closes, its controls drawn. A page that broke
// while they were prepared (a NewPage from a handler) has moved this pager's
// row since the band's surface was opened, so the band takes its position
// again once the breaks below are made.
void TRLCustomPager::PlaceBand(TRLCustomBand &band)
{
    TRLCustomReport *report = band.RequestParentReport();
    const TRLBandType type = band.BandType();

    TRLPageBreak::TArrival arrival;
    arrival.DataBand = band.IsDataBand() && !PrintsBlank();
    arrival.Detail = type == TRLBandType::btDetail;
    arrival.BreakBefore = band.PageBreaking() == TRLPageBreaking::pbBeforePrint;
    arrival.Pending = report->NewPageNeeded();
    arrival.DataBandsOnPage = report->DataBandPrinted();
    arrival.DetailsOnPage = FDetailsInSurface;
    arrival.MaxBands = FMaxBands;
    arrival.Completing = Completing();
    const TRLPageBreak::TArrivalBreak arrive = TRLPageBreak::OnArrival(arrival);
    if (arrive.TakesPending)
        report->TakeNewPageNeeded();
    if (arrive.NewPage)
        InternalNewPage(&band, !CanBreakPage());

    if (type == TRLBandType::btColumnFooter) {
        GoColumnFooterRow();
    } else if (type == TRLBandType::btSummary && band.AlignToBottom()) {
        GoSummaryRow();
        // Past the summaries' row already: they go to the bottom of a new page.
        if (FRelativePagerRow > GetRelativeSummaryRow()) {
            InternalNewPage(&band, !CanBreakPage());
            GoSummaryRow();
        }
    } else if (type == TRLBandType::btFooter) {
        GoFooterRow();
    }

    band.MarkPrintPosition();
    const int printedHeight = band.PrintSize().Y;
    const int printedWidth = band.PrintSize().X;
    auto freeRow = [&band](int from, int &row) { return band.Surface().FindFreeRow(from, row); };
    int done = 0, lastSlice = 0;
    while (done < printedHeight) {
        const TRLPageBreak::TSlice slice =
            TRLPageBreak::PlaceSlice(fitOf(band, printedHeight - done, roomFor(band)), done, freeRow);
        if (slice.Where == TRLPageBreak::TWhere::NextPage)
            skipToNextPage(band);
        TRLGraphicSurface *target = band.RequestParentSurface();
        const TPoint at = band.PrintPosition();
        const TRect source{0, done, printedWidth, done + slice.Height};
        const TRect dest{at.X, at.Y, at.X + printedWidth, at.Y + slice.Height};
        if (band.Enabled()) {
            // The whole band's frame, shifted up by what is placed already,
            // clipped to this slice.
            target->SetClipRect(dest);
            band.DrawFrame(*target, TRect{at.X, at.Y - done, at.X + printedWidth, at.Y - done + printedHeight});
            target->ResetClipRect();
        }
        // A band placed whole is done with its surface: its objects move to
        // the page instead of being copied. Slices of a split band copy.
        if (done == 0 && slice.Height == printedHeight)
            target->CopyRectTaking(dest, band.Surface(), source);
        else
            target->CopyRect(dest, band.Surface(), source);
        done += slice.Height;
        lastSlice = slice.Height;
        if (done < printedHeight)
            skipToNextPage(band);
    }
    FRelativePagerRow += lastSlice;
}

} // namespace prenso
