#include "report/windows/RLWindows.h"

#include "platform/messagebox.h"
#include "report/RLUserInterface.h"
#include "report/windows/RLFeedBack.h"
#include "report/windows/RLPreviewActions.h"
#include "report/windows/RLPreviewForm.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrinter>

namespace prenso {
namespace {

std::unique_ptr<TRLProgress> openProgress(const QString &title, int levels, std::function<void()> onCancel)
{
    auto form = std::make_unique<TfrmRLFeedBack>(title, levels);
    form->show();
    form->setFocus();
    form->SetOnCancel([onCancel = std::move(onCancel)](TfrmRLFeedBack *, bool &) {
        if (onCancel)
            onCancel();
    });
    return form;
}

bool executePrinterSetup(QPrinter &printer)
{
    // The dialog works on a copy of the printer's settings: what the user
    // picks there is not carried into the printer or the job.
    QPrinter scratch(QPrinter::HighResolution);
    scratch.setPrinterName(printer.printerName());
    scratch.setPageLayout(printer.pageLayout());
    QPageSetupDialog dialog(&scratch);
    if (dialogsAutomatic()) {
        dialog.show();
        QCoreApplication::processEvents();
        dialog.reject();
    } else {
        dialog.exec();
    }
    return true;
}

} // namespace

void InstallRLWindows()
{
    TRLUserInterface &ui = RLUserInterface();
    ui.OpenProgress = openProgress;
    ui.ExecutePrinterSetup = executePrinterSetup;
    ui.PreviewPages = [](TRLGraphicStorage &pages, const TRLPreviewOptions &options, bool modal) {
        PreviewPages(pages, options, modal || ChosenPreviewOptions(options).ShowModal);
    };
    ui.ClosePreview = [](TRLGraphicStorage &pages) { ClosePreview(pages); };
    PreviewActions().Print = PrintFromPreview;
    PreviewActions().Save = SaveFromPreview;
}

} // namespace prenso
