#include "report/windows/RLWindows.h"

#include "platform/system/messagebox.h"
#include "report/RLUserInterface.h"
#include "report/windows/RLFeedBack.h"
#include "report/windows/RLPreviewActions.h"
#include "report/windows/RLPreviewForm.h"
#include "report/windows/RLPrintDialog.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>

namespace prenso {
namespace {

// The running operation's hold on its progress window. The window is a child
// of the window the operation was started from and would go with it, should
// that one go first; the operation then runs on without a window.
class TProgressWindowHold final : public TRLProgress {
public:
    explicit TProgressWindowHold(TfrmRLFeedBack *window) : FWindow(window) {}
    ~TProgressWindowHold() override { delete FWindow.data(); }
    TProgressWindowHold(const TProgressWindowHold &) = delete;
    TProgressWindowHold &operator=(const TProgressWindowHold &) = delete;

    void SetMax(int N) override
    {
        if (FWindow)
            FWindow->SetMax(N);
    }
    void StepCaption(const QString &caption) override
    {
        if (FWindow)
            FWindow->StepCaption(caption);
    }
    void Tick() override
    {
        if (FWindow)
            FWindow->Tick();
    }
    void NextLevel() override
    {
        if (FWindow)
            FWindow->NextLevel();
    }

private:
    QPointer<TfrmRLFeedBack> FWindow;
};

// The window an operation is started from: the modal window on top (the
// preview, a dialog) or else the active one; none from the command line.
QWidget *operationOwner()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A run without an operator goes without a progress window: nobody would
// see it, and drawing it cost as much as printing a short form.
std::unique_ptr<TRLProgress> openProgress(const QString &title, int levels, std::function<void()> onCancel)
{
    if (dialogsAutomatic())
        return nullptr;
    auto *form = new TfrmRLFeedBack(title, levels, operationOwner());
    auto hold = std::make_unique<TProgressWindowHold>(form);
    form->SetOnCancel([onCancel = std::move(onCancel)](TfrmRLFeedBack *, bool &) {
        if (onCancel)
            onCancel();
    });
    form->show();
    form->activateWindow();
    form->setFocus();
    return hold;
}

// The dialog works on the printer's own settings: what the operator picks
// there (paper, orientation, pages per sheet) is what the next document is
// printed with. Qt writes the choice into the printer only on OK.
TRLSetupOutcome executePrinterSetup(QPrinter &printer)
{
    if (dialogsAutomatic())
        return TRLSetupOutcome::soNotShown;
    // Opened over the print dialog, which gets the keyboard back after it.
    QWidget *owner = operationOwner();
    QPageSetupDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("RLPrinterSetup"));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (owner && owner->isVisible())
        owner->activateWindow();
    return accepted ? TRLSetupOutcome::soAccepted : TRLSetupOutcome::soCanceled;
}

} // namespace

void InstallRLWindows()
{
    TRLUserInterface &ui = RLUserInterface();
    ui.OpenProgress = openProgress;
    ui.ExecutePrintDialog = [](TRLPrintDialogRequest &request) { return ExecutePrintDialog(request); };
    ui.ExecutePrinterSetup = executePrinterSetup;
    ui.PreviewPages = [](TRLGraphicStorage &pages, const TRLPreviewOptions &options, bool modal) {
        PreviewPages(pages, options, modal || ChosenPreviewOptions(options).ShowModal);
    };
    ui.ClosePreview = [](TRLGraphicStorage &pages) { ClosePreview(pages); };
    PreviewActions().Print = PrintFromPreview;
    PreviewActions().Save = SaveFromPreview;
}

} // namespace prenso
