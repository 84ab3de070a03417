#pragma once
// What the engine asks of the person at the screen without drawing a window
// itself: the progress of a long operation with its cancel button, the print
// dialog, and the printer's own setup dialog. The engine's windows fill these
// in when the program starts (InstallRLWindows); without them (tools, the
// engine's own tests) long operations run without a progress window, a report
// prints without asking, and the printer setup says it cannot be shown.

#include "report/RLPageOrientation.h"
#include "report/printing/RLPrinters.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QPrinter;

namespace prenso {

class TRLCustomPrintFilter;
class TRLGraphicStorage;
struct TRLPreviewOptions;

// A running operation's side of its progress window.
class TRLProgress {
public:
    virtual ~TRLProgress();
    // The main bar counts from 0 to N.
    virtual void SetMax(int N) = 0;
    // Names the current phase.
    virtual void StepCaption(const QString &caption) = 0;
    // One step on the main bar; pending events are let through, which is
    // when a click on Cancel is seen.
    virtual void Tick() = 0;
    // One step on the stage bar of a window opened with several levels.
    virtual void NextLevel() = 0;
};

enum class TRLPrintRange : std::uint8_t { rprAllPages, rprSelection, rprPageNums };

// What a report or the preview asks of the print dialog, and what the
// operator answered. The dialog only answers; the print job applies the
// choices of printer, copies, odd/even pages and print filter to the printer
// wrapper and SelectedFilter (ApplyPrintChoice), where later prints find
// them too.
struct TRLPrintDialogRequest {
    // Asked: the number of pages (0 when the report is not prepared yet and
    // the count is unknown), their orientation and the copies to offer.
    int MaxPage = 0;
    TRLPageOrientation Orientation = TRLPageOrientation::poPortrait;
    int Copies = 1;
    // Answered on OK. FromPage..ToPage is 1..MaxPage for all pages and for a
    // page list; the fields as typed for a range (0 where not a number).
    TRLPrintRange PrintRange = TRLPrintRange::rprAllPages;
    int FromPage = 1;
    int ToPage = 9999;
    QString PageRanges;
    bool PrintToFile = false;
    // Also answered on OK: the printer by its index in the wrapper's list
    // (-1 when the list was empty), the odd/even choice and, when the filter
    // list had entries, the filter (nullptr: the default printing) with its
    // form option and character table (-1: it has none).
    int PrinterIndex = -1;
    TRLPrintOddEvenPages OddEven = TRLPrintOddEvenPages::odAllPages;
    bool FilterChosen = false;
    TRLCustomPrintFilter *Filter = nullptr;
    int FilterOption = -1;
    int FilterCharTable = -1;
};

// How the printer's setup dialog went.
enum class TRLSetupOutcome : std::uint8_t {
    soNotShown, // it could not be shown
    soCanceled, // shown and closed without a choice
    soAccepted  // the choice is in the printer's settings
};

// Something that shows pages on screen and can take a report's pages: the
// preview control a program places on a window of its own.
class TRLPreviewTarget {
public:
    virtual ~TRLPreviewTarget();
    virtual void ShowPages(TRLGraphicStorage &pages) = 0;
};

struct TRLUserInterface {
    // Shows a progress window titled `title` with `levels` levels (a stage
    // bar from two on); `onCancel` runs when the user cancels.
    std::function<std::unique_ptr<TRLProgress>(const QString &title, int levels, std::function<void()> onCancel)>
        OpenProgress;
    // Shows the print dialog; false when the operator cancelled. Raises
    // ENoOperator when nobody can answer it.
    std::function<bool(TRLPrintDialogRequest &request)> ExecutePrintDialog;
    // Shows the setup dialog on the settings of `printer`; on acceptance the
    // choice is written into them.
    std::function<TRLSetupOutcome(QPrinter &printer)> ExecutePrinterSetup;
    // Opens the preview window on `pages` with a report's preview options,
    // modal when `modal` is true or the options chosen say so; a modal
    // window returns when it is closed.
    std::function<void(TRLGraphicStorage &pages, const TRLPreviewOptions &options, bool modal)> PreviewPages;
    // Closes every preview window showing `pages`.
    std::function<void(TRLGraphicStorage &pages)> ClosePreview;
};

// The program's one set of windows (empty until the windows are installed).
TRLUserInterface &RLUserInterface();

} // namespace prenso
