#pragma once
// What the engine asks of the person at the screen without drawing a window
// itself: the progress of a long operation with its cancel button, and the
// printer's own setup dialog. The engine's windows fill these in when the
// program starts (InstallRLWindows); without them (tools, the engine's own
// tests) long operations run without a progress window and the printer setup
// says it cannot be shown.

#include <QString>

#include <functional>
#include <memory>

class QPrinter;

namespace prenso {

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
    // Shows the setup dialog of the printer whose settings `printer` carries;
    // true once it has been shown.
    std::function<bool(QPrinter &printer)> ExecutePrinterSetup;
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
