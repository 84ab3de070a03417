#include "report/filters/pdf/RLPDFFilter.h"

#include "platform/system/session.h"
#include "report/RLConsts.h"
#include "report/filters/pdf/RLPDFPages.h"
#include "report/storage/RLGraphicStorage.h"

#include <exception>

#ifndef PRENSO_VERSION
#error "PRENSO_VERSION is set by the build from the project version"
#endif

namespace prenso {

// ---------------------------------------------------------------------------
// Settings

TRLPDFFilterPageSetup::TRLPDFFilterPageSetup()
{
    if (FFontPointSize == 0)
        FFontPointSize = 10;
    if (FColumnFontPointSize == 0)
        FColumnFontPointSize = 10;
    FLeadingPointSize = PDF_CalcTextLeadingPointSize(FFontPointSize);
    FColumnLeadingPointSize = PDF_CalcTextLeadingPointSize(FColumnFontPointSize);
}

void TRLPDFFilterPageSetup::Assign(const TRLPDFFilterPageSetup *source)
{
    *this = source ? *source : TRLPDFFilterPageSetup(Cleared{});
}

void TRLPDFFilterTextControl::Assign(const TRLPDFFilterTextControl *source)
{
    if (source) {
        *this = *source;
    } else {
        FFormFeed = false;
        FWordWrap = false;
        FTabSize = 8;
    }
}

QString PrensoCreatorText()
{
    return QStringLiteral("Prenso " PRENSO_VERSION);
}

namespace {

struct SessionDocumentInfo {
    TRLPDFFilterDocumentInfo info;
    SessionDocumentInfo() { info.SetCreator(PrensoCreatorText()); }
};

} // namespace

TRLPDFFilterDocumentInfo &DefaultDocumentInfo()
{
    return Session::current().part<SessionDocumentInfo>().info;
}

// ---------------------------------------------------------------------------
// Filter

TRLPDFFilter::TRLPDFFilter(TComponent *owner) : TRLCustomSaveFilter(owner)
{
    SetDisplayName(LS().LS_PDFFormatStr);
    SetDefaultExt(QStringLiteral(".pdf"));
    FDocumentInfo.Assign(&DefaultDocumentInfo());
}

TRLPDFFilter::~TRLPDFFilter()
{
    BeginDestroy();
    // A document still open here was never finished: its file goes.
    FWriter.reset();
}

void TRLPDFFilter::InternalBeginDoc()
{
    TRLGraphicStorage *storage = Pages();
    TPoint printSize;
    if (storage) {
        printSize = TPoint{storage->OrientedWidth(), storage->OrientedHeight()};
        // A storage without paper sizes still has pages of a size.
        if ((printSize.X <= 0 || printSize.Y <= 0) && storage->PageCount() > 0)
            if (TRLGraphicPage *first = storage->Pages(0))
                printSize = TPoint{first->Width(), first->Height()};
    }
    FPagePainter.reset();
    FWriter = std::make_unique<TRLPDFWriter>();
    FPagePainter = std::make_unique<TRLPDFPagePainter>(*FWriter);
    FWriter->SetImageFormat(FImageFormat);
    FWriter->SetDeterministic(FDeterministic);
    FWriter->SetEmbedFonts(FEmbedFonts);
    FWriter->SetArchive(FArchive);
    if (FFontMetrics)
        FWriter->SetFontMetricsProvider(FFontMetrics);
    if (FOutputBuffer)
        FWriter->BeginDoc(*FOutputBuffer, printSize, FDocumentInfo);
    else
        FWriter->BeginDoc(FileName(), printSize, FDocumentInfo);
}

void TRLPDFFilter::InternalEndDoc()
{
    if (!FWriter || !FWriter->Active())
        return;
    FPagePainter.reset();
    std::unique_ptr<TRLPDFWriter> writer = std::move(FWriter);
    // The page loop ends the document also when a page failed: then, or when
    // the operator cancelled, a complete-looking file would be a lie.
    if (std::uncaught_exceptions() > 0 || Canceled()) {
        writer->Abandon();
        return;
    }
    writer->EndDoc();
}

void TRLPDFFilter::InternalNewPage()
{
    // Every page is its own object; nothing to do between pages.
}

void TRLPDFFilter::InternalDrawPage(TRLGraphicPage *page)
{
    if (!FWriter || !FWriter->Active() || !page || !FPagePainter)
        return;
    FPagePainter->DrawPage(*page);
}

} // namespace prenso
