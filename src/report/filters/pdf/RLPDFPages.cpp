#include "report/filters/pdf/RLPDFPages.h"

#include "platform/graphics/pictures.h"
#include "report/filters/pdf/RLPDFWriter.h"
#include "report/storage/RLCanvasRoutines.h"
#include "report/storage/RLGraphicPage.h"
#include "report/storage/RLMetaConversions.h"

#include <QCryptographicHash>

#include <algorithm>
#include <vector>

namespace prenso {
namespace {

// Each stored object as the writer's drawing operation of its kind, its
// positions converted by the context (unchanged for a page written as
// stored).
class TRLPDFObjectWriter : public TRLGraphicVisitor {
public:
    TRLPDFObjectWriter(TRLPDFWriter &writer, TFont &lastTextFont, const TRLPDFDevicePage *device,
                       const std::vector<int> &pictureWidths, const TRLPDFPageImages &pageImages)
        : FWriter(writer), FLastTextFont(lastTextFont), FDevice(device),
          FContext(device ? device->Context : TRLPaintContext(1, 1, 0, 0)), FPictureWidths(pictureWidths),
          FPageImages(pageImages)
    {}

    void VisitPixel(const TRLPixelObject &o) override { FWriter.Pixel(FContext.Box(o.BoundsRect()), o.Color()); }
    void VisitLine(const TRLLineObject &o) override
    {
        FWriter.Line(FContext.Point(o.FromPoint()), FContext.Point(o.ToPoint()), pen(o.Pen()));
    }
    void VisitRectangle(const TRLRectangleObject &o) override
    {
        FWriter.Rectangle(FContext.Box(o.BoundsRect()), pen(o.Pen()), o.Brush());
    }
    void VisitText(const TRLTextObject &o) override
    {
        // Measured as the output measures: on the screen, or in the
        // printer's pixels. The last text's font is kept, with the measuring
        // data it has built, while texts keep the same font.
        TFont font;
        font.SetPixelsPerInch(FDevice ? static_cast<int>(FDevice->PixelsPerInchY) : kDesignPixelsPerInch);
        FromMetaFont(o.Font(), font, FContext.YFactor());
        if (!(font == FLastTextFont))
            FLastTextFont = font;
        const TRect bounds = FContext.Box(o.BoundsRect());
        const TPoint origin = FContext.Point(o.Origin());
        if (!FDevice) {
            FWriter.Text(bounds, origin, o.Alignment(), o.Layout(), o.TextFlags(), o.DisplayText(), FLastTextFont);
            return;
        }
        // On a printer a text lands where the canvas puts it.
        const std::string text = o.DisplayText();
        const TRLTextPlacement at =
            CanvasTextPlacement(FLastTextFont.Resource(), bounds, origin.X, origin.Y, text, o.Alignment(), o.Layout());
        FWriter.DeviceText((o.TextFlags() & MetaTextFlagAutoSize) ? nullptr : &bounds, at.X, at.Y,
                           at.IsJustified ? at.Justified : text, FLastTextFont, o.Brush());
    }
    void VisitFillRect(const TRLFillRectObject &o) override
    {
        FWriter.FillRect(FContext.Box(o.BoundsRect()), o.Brush());
    }
    void VisitEllipse(const TRLEllipseObject &o) override
    {
        FWriter.Ellipse(FContext.Box(o.BoundsRect()), pen(o.Pen()), o.Brush());
    }
    void VisitPolygon(const TRLPolygonObject &o) override
    {
        FWriter.Polygon(points(o.Points()), pen(o.Pen()), o.Brush());
    }
    void VisitPolyline(const TRLPolylineObject &o) override { FWriter.Polyline(points(o.Points()), pen(o.Pen())); }
    // The picture itself was written before the page, under its number.
    void VisitImage(const TRLImageObject &o) override
    {
        TRect r = FContext.Box(o.BoundsRect());
        const auto found = FPageImages.find(&o);
        const int number = found != FPageImages.end() ? found->second : 0;
        // A printer stretches a picture with parity by whole multiples of
        // its width only, plus one pixel.
        if (FDevice && o.Parity() && number > 0 && number <= static_cast<int>(FPictureWidths.size())) {
            const int w = FPictureWidths[static_cast<size_t>(number - 1)];
            if (w > 0)
                r.Right =
                    SatAdd(r.Left, SatAdd(static_cast<int>(((static_cast<long long>(r.Right) - r.Left) / w) * w), 1));
        }
        FWriter.Image(r, number);
    }
    void VisitSetClipRect(const TRLSetClipRectObject &o) override
    {
        FWriter.SetClipRect(FContext.Rect(o.BoundsRect()));
    }
    void VisitResetClipRect(const TRLResetClipRectObject &) override { FWriter.ResetClipRect(); }

private:
    // Wide pens grow with the scale as on the canvas; thin ones stay one
    // device pixel.
    TRLMetaPen pen(const TRLMetaPen &stored) const
    {
        if (!FDevice || stored.Width() < 2)
            return stored;
        TRLMetaPen scaled(stored);
        scaled.SetWidth(std::max(1, RoundCoord(stored.Width() * FContext.XFactor())));
        return scaled;
    }
    std::span<const TPoint> points(const TRLMetaPointArray &stored)
    {
        if (!FDevice)
            return stored;
        FPoints.clear();
        for (const TPoint &p : stored)
            FPoints.push_back(FContext.Point(p));
        return FPoints;
    }

    TRLPDFWriter &FWriter;
    TFont &FLastTextFont;
    const TRLPDFDevicePage *FDevice;
    TRLPaintContext FContext;
    const std::vector<int> &FPictureWidths;
    const TRLPDFPageImages &FPageImages;
    std::vector<TPoint> FPoints;
};

} // namespace

void TRLPDFPagePainter::DrawPage(const TRLGraphicPage &page)
{
    drawPage(page, nullptr);
}

void TRLPDFPagePainter::DrawPage(const TRLGraphicPage &page, const TRLPDFDevicePage &device)
{
    drawPage(page, &device);
}

void TRLPDFPagePainter::drawPage(const TRLGraphicPage &page, const TRLPDFDevicePage *device)
{
    // Pictures are objects of their own and go before the page that shows
    // them; the page's image objects are numbered here with their pictures'
    // numbers. A picture that does not decode is left out (number 0).
    FPageImages.clear();
    for (int i = 0; i < page.ObjectCount(); ++i) {
        const TRLGraphicObject *obj = page.Objects(i);
        if (obj->Kind() != TRLGraphicKind::Image)
            continue;
        const auto *image = static_cast<const TRLImageObject *>(obj);
        const std::string &data = image->Data();
        const QByteArray key = QCryptographicHash::hash(
            QByteArrayView(data.data(), static_cast<qsizetype>(data.size())), QCryptographicHash::Sha256);
        const auto known = FPictures.find(key);
        if (known != FPictures.end()) {
            FPageImages.emplace(image, known->second);
            continue;
        }
        int number = 0;
        if (const std::unique_ptr<TGraphic> graphic = FromMetaGraphic(data); graphic && !graphic->Empty()) {
            number = FWriter.WriteImage(graphic->Image(), std::string_view(data).substr(3));
            FPictureWidths.resize(static_cast<size_t>(number));
            FPictureWidths[static_cast<size_t>(number - 1)] = graphic->Width();
        }
        FPictures.emplace(key, number);
        FPageImages.emplace(image, number);
    }

    if (device)
        FWriter.BeginPage(device->Sheet.X, device->Sheet.Y, DotsToPixels(1, device->PixelsPerInchX),
                          DotsToPixels(1, device->PixelsPerInchY));
    else
        FWriter.BeginPage(page.Width(), page.Height());
    if (device)
        FWriter.SetClipRect(device->Clip);
    TRLPDFObjectWriter objects(FWriter, FLastTextFont, device, FPictureWidths, FPageImages);
    for (int i = 0; i < page.ObjectCount(); ++i)
        page.Objects(i)->Accept(objects);
    FWriter.EndPage();
}

} // namespace prenso
