#include "report/windows/RLWindows.h"

#include "platform/messagebox.h"
#include "report/RLUserInterface.h"
#include "report/windows/RLFeedBack.h"
#include "report/windows/RLPreviewActions.h"
#include "report/windows/RLPreviewForm.h"
#include "report/windows/RLPrintDialog.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace prenso {
namespace {

// A run without an operator goes without a progress window: nobody would
// see it, and drawing it cost as much as printing a short form.
std::unique_ptr<TRLProgress> openProgress(const QString &title, int levels, std::function<void()> onCancel)
{
    if (dialogsAutomatic())
        return nullptr;
    auto form = std::make_unique<TfrmRLFeedBack>(title, levels);
    form->show();
    form->setFocus();
    form->SetOnCancel([onCancel = std::move(onCancel)](TfrmRLFeedBack *, bool &) {
        if (onCancel)
            onCancel();
    });
    return form;
}

// The dialog works on the printer's own settings: what the operator picks
// there (paper, orientation, pages per sheet) is what the next document is
// printed with. Qt writes the choice into the printer only on OK.
TRLSetupOutcome executePrinterSetup(QPrinter &printer)
{
    if (dialogsAutomatic())
        return TRLSetupOutcome::soNotShown;
    QPageSetupDialog dialog(&printer);
    dialog.setObjectName(QStringLiteral("RLPrinterSetup"));
    return dialog.exec() == QDialog::Accepted ? TRLSetupOutcome::soAccepted : TRLSetupOutcome::soCanceled;
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
