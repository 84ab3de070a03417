#include "report/filters/RLFilters.h"

#include "platform/system/errors.h"
#include "platform/system/session.h"
#include "report/RLConsts.h"
#include "report/RLUserInterface.h"
#include "report/filters/RLSpoolFilter.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QFileInfo>

#include <algorithm>

namespace prenso {

// The filters of a session: every live one in creation order, the one
// chosen for the next run, and the spool filter used when none is. A filter
// that outlives its session (a static of a test program) is let go of when
// the session ends.
struct TRLFilterList {
    std::vector<TRLCustomFilter *> filters;
    TRLCustomFilter *selected = nullptr;
    std::unique_ptr<TRLSpoolFilter> spool;

    TRLFilterList() = default;
    TRLFilterList(const TRLFilterList &) = delete;
    TRLFilterList &operator=(const TRLFilterList &) = delete;
    ~TRLFilterList()
    {
        spool.reset();
        for (TRLCustomFilter *filter : filters)
            filter->FList = nullptr;
    }
};

namespace {

TRLFilterList &sessionFilters()
{
    return Session::current().part<TRLFilterList>();
}

} // namespace

TRLCustomFilter::TRLCustomFilter(TComponent *owner) : TComponent(owner), FList(&sessionFilters())
{
    FList->filters.push_back(this);
}

TRLCustomFilter::~TRLCustomFilter()
{
    BeginDestroy();
    if (FList) {
        std::erase(FList->filters, this);
        if (FList->selected == this)
            FList->selected = nullptr;
    }
    SetPages(nullptr);
    FProgress.reset();
}

void TRLCustomFilter::SetPages(TRLGraphicStorage *pages)
{
    if (pages != FPages.get())
        FPages.Reset(pages); // may free a storage nobody else uses
}

void TRLCustomFilter::EndDoc()
{
    InternalEndDoc();
    SetPages(nullptr);
}

void TRLCustomFilter::OpenProgressForm()
{
    if (const auto &open = RLUserInterface().OpenProgress)
        FProgress = open(LS().LS_FilterInProgressStr, 1, [this] { FCanceled = true; });
}

void TRLCustomFilter::CloseProgressForm()
{
    FProgress.reset();
}

void TRLCustomFilter::FilterPages(TRLGraphicStorage *pages)
{
    FilterPages(pages, 1, 2147483647, QString(), TRLPrintOddEvenPages::odAllPages);
}

void TRLCustomFilter::FilterPages(TRLGraphicStorage *pages, int firstPage, int lastPage, const QString &pageSelection,
                                  TRLPrintOddEvenPages oddEven)
{
    FCanceled = false;
    const int pageCount = pages ? pages->PageCount() : 0;
    if (lastPage == -1 || lastPage > pageCount)
        lastPage = pageCount;
    if (FShowProgress)
        OpenProgressForm();
    const int copies = FEmulateCopies ? std::max(1, RLPrinter().Copies()) : 1;
    if (FShowProgress && FProgress)
        FProgress->SetMax(std::max(0, lastPage - firstPage + 1) * copies);
    SetPages(pages);
    try {
        BeginDoc();
    } catch (...) {
        SetPages(nullptr);
        CloseProgressForm();
        throw;
    }
    struct Finally {
        TRLCustomFilter *f;
        ~Finally() noexcept(false)
        {
            // The document is always ended, also after an error; an error of
            // its own only surfaces when nothing else is on its way out.
            const bool unwinding = std::uncaught_exceptions() > 0;
            try {
                f->EndDoc();
            } catch (...) {
                f->SetPages(nullptr);
                f->CloseProgressForm();
                if (!unwinding)
                    throw;
                return;
            }
            f->SetPages(nullptr);
            f->CloseProgressForm();
        }
    } finally{this};
    bool drawn = false;
    for (int copy = 0; copy < copies && !FCanceled; ++copy) {
        for (int n = firstPage; n <= lastPage; ++n) {
            if (!(pageSelection.isEmpty() || IsPageSelected(n, pageSelection)))
                continue;
            if ((oddEven == TRLPrintOddEvenPages::odOddPagesOnly && n % 2 == 0) ||
                (oddEven == TRLPrintOddEvenPages::odEvenPagesOnly && n % 2 != 0))
                continue;
            if (drawn)
                NewPage();
            drawn = true;
            // A page of the list that cannot be read is an error, never a
            // quietly shorter job; only a page past the list ends the pass.
            TRLGraphicPage *page = pages ? pages->ReadPage(n - 1) : nullptr;
            if (!page)
                break;
            DrawPage(page);
            if (FShowProgress && FProgress)
                FProgress->Tick();
            if (FCanceled)
                break;
        }
    }
}

const std::vector<TRLCustomFilter *> &ActiveFilters()
{
    return sessionFilters().filters;
}

TRLCustomFilter *SelectedFilter()
{
    return sessionFilters().selected;
}

void SetSelectedFilter(TRLCustomFilter *filter)
{
    sessionFilters().selected = filter;
}

bool IsPageSelected(int page, const QString &selection)
{
    const QString trimmed = selection.trimmed();
    if (trimmed.isEmpty())
        return true;
    auto number = [](const QString &text) {
        int v = 0;
        return TryStrToInt(text.trimmed(), v) ? v : -1;
    };
    for (const QString &item : trimmed.split(u';')) {
        const qsizetype dash = item.indexOf(u'-');
        int from, to;
        if (dash >= 0) {
            from = number(item.left(dash));
            to = number(item.mid(dash + 1));
        } else {
            from = to = number(item);
        }
        if (page >= from && page <= to)
            return true;
    }
    return false;
}

void ApplyFilter(TRLGraphicStorage *pages, TRLCustomFilter *filter, int firstPage, int lastPage,
                 const QString &pageSelection, TRLPrintOddEvenPages oddEven)
{
    if (!filter)
        filter = SelectedFilter();
    if (!filter)
        filter = SpoolFilterInstance();
    filter->FilterPages(pages, firstPage, lastPage, pageSelection, oddEven);
}

TRLCustomSaveFilter *SaveFilterByFileName(const QString &fileName)
{
    auto dotted = [](QString ext) { return ext.startsWith(u'.') ? ext : QStringLiteral(".") + ext; };
    const QString base = QFileInfo(fileName).fileName();
    const qsizetype dot = base.lastIndexOf(u'.');
    const QString ext = dotted(dot >= 0 ? base.mid(dot) : QString());
    for (TRLCustomFilter *f : ActiveFilters())
        if (auto *save = dynamic_cast<TRLCustomSaveFilter *>(f))
            if (dotted(save->DefaultExt()).compare(ext, Qt::CaseInsensitive) == 0)
                return save;
    return nullptr;
}

TRLCustomPrintFilter *SpoolFilterInstance()
{
    std::unique_ptr<TRLSpoolFilter> &spool = sessionFilters().spool;
    if (!spool)
        spool = std::make_unique<TRLSpoolFilter>();
    return spool.get();
}

} // namespace prenso
