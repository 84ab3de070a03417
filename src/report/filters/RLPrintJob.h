#pragma once
// One printing of stored pages, the same whether a report prints or its
// preview does: the printer's choices back to one copy of every page, the
// print dialog's answer taken in, the range fitted to the pages there are,
// the filter chosen, the pages run through it.

#include "report/RLUserInterface.h"
#include "report/printing/RLPrinters.h"

#include <QString>

#include <climits>
#include <functional>

namespace prenso {

class TRLCustomFilter;
class TRLGraphicStorage;

class TRLPrintJob {
public:
    using Dialog = std::function<bool(TRLPrintDialogRequest &)>;

    // One copy of every page, odd and even.
    void Reset();
    // Asks `dialog` with the page count (0 when the pages are not made yet)
    // and their orientation; false when the operator cancelled. A page list
    // is printed as typed; a range whose last page was left empty runs to
    // the last page.
    // The operator's choices of printer, copies, odd/even pages and filter
    // are applied (ApplyPrintChoice).
    bool Ask(int pageCount, TRLPageOrientation orientation, const Dialog &dialog);
    // The range within the pages there are, and at least one copy (a copies
    // field without a number meant one).
    void FitTo(int pageCount);
    // The selected filter, or the spool filter when none is.
    static TRLCustomFilter *Filter();
    // Runs the pages through Filter().
    void Run(TRLGraphicStorage *pages, bool showProgress) const;

    int FromPage = 1;
    int ToPage = INT_MAX;
    // A page list to print instead of the range; empty for the range.
    QString PageList;
};

// Puts a print dialog's answer where the printing takes it from and later
// prints find it: the printer, copies and odd/even pages in the printer
// wrapper, the filter with its form and character table in SelectedFilter.
void ApplyPrintChoice(const TRLPrintDialogRequest &answer);

} // namespace prenso
