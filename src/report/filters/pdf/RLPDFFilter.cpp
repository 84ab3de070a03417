#include "report/filters/pdf/RLPDFFilter.h"

#include "platform/graphic.h"
#include "report/RLConsts.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLMetaVCL.h"

#include <QCryptographicHash>

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

TRLPDFFilterDocumentInfo &DefaultDocumentInfo()
{
    static TRLPDFFilterDocumentInfo info = [] {
        TRLPDFFilterDocumentInfo i;
        i.SetCreator(PrensoCreatorText());
        return i;
    }();
    return info;
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
            if (TRLGraphicSurface *first = storage->Pages(0))
                printSize = TPoint{first->Width(), first->Height()};
    }
    FImageNumbers.clear();
    FWriter = std::make_unique<TRLPDFWriter>();
    FWriter->SetImageFormat(FImageFormat);
    FWriter->SetDeterministic(FDeterministic);
    FWriter->SetEmbedFonts(FEmbedFonts);
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

namespace {

// Each stored object as the PDF writer's drawing operation of its kind.
class TRLPDFPageWriter : public TRLGraphicVisitor {
public:
    TRLPDFPageWriter(TRLPDFWriter &writer, TFont &lastTextFont) : FWriter(writer), FLastTextFont(lastTextFont) {}

    void VisitPixel(const TRLPixelObject &o) override { FWriter.Pixel(o.BoundsRect(), o.Color()); }
    void VisitLine(const TRLLineObject &o) override { FWriter.Line(o.FromPoint(), o.ToPoint(), o.Pen()); }
    void VisitRectangle(const TRLRectangleObject &o) override { FWriter.Rectangle(o.BoundsRect(), o.Pen(), o.Brush()); }
    void VisitText(const TRLTextObject &o) override
    {
        // Measured as on the screen: a 96-pixels-per-inch font. The last
        // text's font is kept, with the measuring data it has built, while
        // texts keep the same font.
        TFont font;
        FromMetaFont(o.Font(), font, 1.0);
        if (!(font == FLastTextFont))
            FLastTextFont = font;
        FWriter.Text(o.BoundsRect(), o.Origin(), o.Alignment(), o.Layout(), o.TextFlags(), o.DisplayText(),
                     FLastTextFont);
    }
    void VisitFillRect(const TRLFillRectObject &o) override { FWriter.FillRect(o.BoundsRect(), o.Brush()); }
    void VisitEllipse(const TRLEllipseObject &o) override { FWriter.Ellipse(o.BoundsRect(), o.Pen(), o.Brush()); }
    void VisitPolygon(const TRLPolygonObject &o) override { FWriter.Polygon(o.Points(), o.Pen(), o.Brush()); }
    void VisitPolyline(const TRLPolylineObject &o) override { FWriter.Polyline(o.Points(), o.Pen()); }
    // The picture itself was written before the page; its number is the tag.
    void VisitImage(const TRLImageObject &o) override { FWriter.Image(o.BoundsRect(), o.Tag()); }
    void VisitSetClipRect(const TRLSetClipRectObject &o) override { FWriter.SetClipRect(o.BoundsRect()); }
    void VisitResetClipRect(const TRLResetClipRectObject &) override { FWriter.ResetClipRect(); }

private:
    TRLPDFWriter &FWriter;
    TFont &FLastTextFont;
};

} // namespace

void TRLPDFFilter::InternalDrawPage(TRLGraphicSurface *page)
{
    if (!FWriter || !FWriter->Active() || !page)
        return;
    TRLPDFWriter &w = *FWriter;

    // Pictures are objects of their own and go before the page that shows
    // them; each image object remembers its picture's number in its tag. A
    // picture met before (a logo on every page) is written once and shared.
    // A picture that does not decode is left out (tag 0).
    for (int i = 0; i < page->ObjectCount(); ++i) {
        TRLGraphicObject *obj = page->Objects(i);
        if (obj->Kind() != TRLGraphicKind::Image)
            continue;
        const std::string &data = static_cast<TRLImageObject *>(obj)->Data();
        const QByteArray key = QCryptographicHash::hash(
            QByteArrayView(data.data(), static_cast<qsizetype>(data.size())), QCryptographicHash::Sha256);
        const auto known = FImageNumbers.find(key);
        if (known != FImageNumbers.end()) {
            obj->SetTag(known->second);
            continue;
        }
        int number = 0;
        if (const std::unique_ptr<TGraphic> graphic = FromMetaGraphic(data); graphic && !graphic->Empty())
            number = w.WriteImage(graphic->Image(), std::string_view(data).substr(3));
        FImageNumbers.emplace(key, number);
        obj->SetTag(number);
    }

    w.BeginPage(page->Width(), page->Height());
    TRLPDFPageWriter pageWriter(w, FLastTextFont);
    for (int i = 0; i < page->ObjectCount(); ++i)
        page->Objects(i)->Accept(pageWriter);
    w.EndPage();
}

} // namespace prenso
