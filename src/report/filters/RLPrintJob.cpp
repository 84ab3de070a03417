#include "report/filters/RLPrintJob.h"

#include "report/filters/RLFilters.h"

#include <algorithm>

namespace prenso {

void TRLPrintJob::Reset()
{
    RLPrinter().SetOddEven(TRLPrintOddEvenPages::odAllPages);
    RLPrinter().SetCopies(1);
    FromPage = 1;
    ToPage = INT_MAX;
    PageList.clear();
}

bool TRLPrintJob::Ask(int pageCount, TRLPageOrientation orientation, const Dialog &dialog)
{
    TRLPrintDialogRequest request;
    request.MaxPage = pageCount;
    request.Orientation = orientation;
    request.Copies = 1;
    if (!dialog(request))
        return false;
    ApplyPrintChoice(request);
    FromPage = 1;
    ToPage = INT_MAX;
    PageList.clear();
    switch (request.PrintRange) {
    case TRLPrintRange::rprAllPages: break;
    case TRLPrintRange::rprSelection: PageList = request.PageRanges; break;
    case TRLPrintRange::rprPageNums:
        FromPage = request.FromPage;
        ToPage = request.ToPage == 0 ? INT_MAX : request.ToPage;
        break;
    }
    return true;
}

void ApplyPrintChoice(const TRLPrintDialogRequest &answer)
{
    TRLPrinterWrapper &printer = RLPrinter();
    if (answer.PrinterIndex >= 0 && answer.PrinterIndex != printer.PrinterIndex())
        printer.SetPrinterIndex(answer.PrinterIndex);
    if (answer.FilterChosen) {
        SetSelectedFilter(answer.Filter);
        if (answer.Filter) {
            answer.Filter->SetOptionIndex(answer.FilterOption);
            if (answer.FilterCharTable >= 0)
                answer.Filter->SetCharTableIndex(answer.FilterCharTable);
        }
    }
    printer.SetCopies(answer.Copies);
    printer.SetOddEven(answer.OddEven);
}

void TRLPrintJob::FitTo(int pageCount)
{
    FromPage = std::max(1, FromPage);
    ToPage = std::min(pageCount, ToPage);
    if (RLPrinter().Copies() < 1)
        RLPrinter().SetCopies(1);
}

TRLCustomFilter *TRLPrintJob::Filter()
{
    TRLCustomFilter *filter = SelectedFilter();
    return filter ? filter : SpoolFilterInstance();
}

void TRLPrintJob::Run(TRLGraphicStorage *pages, bool showProgress) const
{
    TRLCustomFilter *filter = Filter();
    filter->SetShowProgress(showProgress);
    ApplyFilter(pages, filter, FromPage, ToPage, PageList, RLPrinter().OddEven());
}

} // namespace prenso
