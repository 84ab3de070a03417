#include "report/windows/RLPreviewActions.h"

#include "report/filters/RLFilters.h"
#include "report/filters/RLPrintJob.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewForm.h"
#include "report/windows/RLPrintDialog.h"
#include "report/windows/RLSaveDialog.h"

#include <QDir>
#include <QFileInfo>

namespace prenso {
namespace {

TRLGraphicStorage *pagesOf(TRLPreviewForm &form)
{
    TRLGraphicStorage *pages = form.Preview() ? form.Preview()->Pages() : nullptr;
    return pages && pages->PageCount() > 0 ? pages : nullptr;
}

} // namespace

void PrintFromPreview(TRLPreviewForm &form)
{
    TRLGraphicStorage *pages = pagesOf(form);
    if (!pages)
        return;
    // The same printing as the report's, with the stored orientation and the
    // page count known; no filter of its own: the selected one (the report's
    // default filter, or what the dialog chose) or else the spool filter.
    TRLPrintJob job;
    job.Reset();
    if (!job.Ask(pages->PageCount(), pages->Orientation(),
                 [&form](TRLPrintDialogRequest &request) { return ExecutePrintDialog(request, &form); }))
        return;
    job.FitTo(pages->PageCount());
    job.Run(pages, true);
    form.SetPrinted(true);
}

QString SuggestedSaveFileName(const TRLGraphicStorage &pages)
{
    QString name;
    for (const QChar c : pages.Title().trimmed())
        if (c.unicode() >= 32 && c.unicode() != 127 && !QStringLiteral("\"*./:<>?\\|").contains(c))
            name += c;
    if (!name.isEmpty())
        return QDir::current().absoluteFilePath(name);
    if (auto *save = dynamic_cast<TRLCustomSaveFilter *>(SelectedFilter()))
        return save->FileName();
    return QString();
}

void SaveFromPreview(TRLPreviewForm &form)
{
    TRLGraphicStorage *pages = pagesOf(form);
    if (!pages)
        return;
    TRLSaveDialogRequest request;
    request.MaxPage = pages->PageCount();
    request.FileName = SuggestedSaveFileName(*pages);
    if (!ExecuteSaveDialog(request, &form))
        return;
    // The dialog has given the name the chosen format's extension already.
    if (TRLCustomSaveFilter *filter = SaveFilterByFileName(request.FileName)) {
        filter->SetFileName(request.FileName);
        ApplyFilter(pages, filter, request.FromPage, request.ToPage, QString(), TRLPrintOddEvenPages::odAllPages);
    } else {
        pages->SaveToFile(request.FileName);
    }
}

} // namespace prenso
