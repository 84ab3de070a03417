#include "report/RLSpoolFilter.h"

#include "platform/canvas.h"
#include "platform/graphic.h"
#include "report/RLMetaFile.h"
#include "report/RLMetaVCL.h"
#include "report/RLPrinters.h"

#include <QImage>
#include <QPainter>

namespace prenso {

TRLSpoolFilter::TRLSpoolFilter() = default;

TRLSpoolFilter::~TRLSpoolFilter()
{
    BeginDestroy();
}

void TRLSpoolFilter::SetPageSize(int orientation, double paperWidth, double paperHeight)
{
    if (m_docStarted && orientation == m_orientation && paperWidth == m_paperWidth && paperHeight == m_paperHeight)
        return;
    m_orientation = orientation;
    m_paperWidth = paperWidth;
    m_paperHeight = paperHeight;
    TRLPrinterWrapper &printer = RLPrinter();
    if (m_docStarted) {
        m_docStarted = false;
        printer.EndDoc();
    }
    printer.SetPaperSize(paperWidth, paperHeight, orientation == 2, false, true);
    TRLPrinterMetrics m;
    printer.LoadMetrics(m);
    const double w = orientation == 2 ? paperHeight : paperWidth;
    const double h = orientation == 2 ? paperWidth : paperHeight;
    // The stored page's origin is the corner of the sheet, not of the
    // printable area: whatever lies in the unprintable margin is cut off.
    m_printerRect = TRect{-m.MarginLeft, -m.MarginTop, RoundCoord(m.PPIX * w / 25.4) - m.MarginLeft,
                          RoundCoord(m.PPIY * h / 25.4) - m.MarginTop};
    QString title;
    if (TRLGraphicStorage *pages = Pages()) {
        title = pages->JobTitle();
        if (title.isEmpty())
            title = pages->Title();
    }
    if (title.isEmpty())
        title = QStringLiteral("Sem título");
    printer.BeginDoc(title);
    m_docStarted = true;
}

void TRLSpoolFilter::InternalBeginDoc()
{
    m_docStarted = false;
    TRLGraphicStorage *pages = Pages();
    SetPageSize(pages ? pages->Orientation() : 1, pages ? pages->PaperWidth() : 210,
                pages ? pages->PaperHeight() : 297);
}

void TRLSpoolFilter::InternalNewPage()
{
    RLPrinter().NewPage();
}

void TRLSpoolFilter::InternalEndDoc()
{
    m_docStarted = false;
    RLPrinter().EndDoc();
}

void TRLSpoolFilter::InternalDrawPage(TRLGraphicSurface *page)
{
    SetPageSize(page->Orientation(), page->PaperWidth(), page->PaperHeight());
    const double xf = page->Width() ? double(m_printerRect.Width()) / page->Width() : 1.0;
    const double yf = page->Height() ? double(m_printerRect.Height()) / page->Height() : 1.0;
    TRLPrinterWrapper &printer = RLPrinter();
    QPainter *painter = printer.Painter();
    if (!painter)
        throw Exception(QStringLiteral("The printer has no open document to draw on."));
    TRLPrinterMetrics m;
    printer.LoadMetrics(m);
    TCanvas canvas(*painter, m.PPIY > 0 ? m.PPIY : 96);
    std::vector<TRect> clips;
    TRect clip = m_printerRect;
    CanvasSetClipRect(canvas, clip);
    try {
        for (int i = 0; i < page->ObjectCount(); ++i)
            drawObject(canvas, *page->Objects(i), xf, yf, clips, clip);
    } catch (...) {
        CanvasResetClipRect(canvas);
        throw;
    }
    CanvasResetClipRect(canvas);
}

void TRLSpoolFilter::drawObject(TCanvas &canvas, TRLGraphicObject &object, double xf, double yf,
                                std::vector<TRect> &clips, TRect &clip)
{
    const TRect &pr = m_printerRect;
    auto px = [&](int x) { return RoundCoord(x * xf) + pr.Left; };
    auto py = [&](int y) { return RoundCoord(y * yf) + pr.Top; };
    auto point = [&](const TPoint &p) { return TPoint{px(p.X), py(p.Y)}; };
    // On the printer every rectangle covers at least one device pixel.
    auto rect = [&](const TRect &r) {
        TRect out{px(r.Left), py(r.Top), px(r.Right), py(r.Bottom)};
        if (out.Left >= out.Right)
            out.Right = out.Left + 1;
        if (out.Top >= out.Bottom)
            out.Bottom = out.Top + 1;
        return out;
    };
    auto setPen = [&](const TRLMetaPen &mp) {
        TPen pen;
        FromMetaPen(mp, pen);
        ScaleMetaPenWidth(pen, xf);
        canvas.SetPen(pen);
    };
    auto setBrush = [&](const TRLMetaBrush &mb) {
        TBrush brush;
        FromMetaBrush(mb, brush);
        canvas.SetBrush(brush);
    };

    switch (object.Kind()) {
    case TRLGraphicKind::Pixel: {
        auto &o = static_cast<TRLPixelObject &>(object);
        TBrush brush;
        brush.Color = FromMetaColor(o.Color());
        brush.Style = TBrushStyle::bsSolid;
        canvas.SetBrush(brush);
        canvas.FillRect(rect(o.BoundsRect()));
        break;
    }
    case TRLGraphicKind::Line: {
        auto &o = static_cast<TRLLineObject &>(object);
        setPen(o.Pen());
        setBrush(o.Brush());
        const TPoint from = point(o.FromPoint()), to = point(o.ToPoint());
        canvas.MoveTo(from.X, from.Y);
        CanvasLineToEx(canvas, to.X, to.Y);
        break;
    }
    case TRLGraphicKind::Rectangle: {
        auto &o = static_cast<TRLRectangleObject &>(object);
        setPen(o.Pen());
        setBrush(o.Brush());
        canvas.Rectangle(rect(o.BoundsRect()));
        break;
    }
    case TRLGraphicKind::Text: {
        auto &o = static_cast<TRLTextObject &>(object);
        setBrush(o.Brush());
        TFont font;
        font.SetPixelsPerInch(canvas.PixelsPerInch());
        FromMetaFont(o.Font(), font, yf);
        canvas.SetFont(font);
        const TPoint origin = point(o.Origin());
        CanvasTextRectEx(canvas, rect(o.BoundsRect()), origin.X, origin.Y, o.DisplayText(), o.Alignment(), o.Layout(),
                         o.TextFlags());
        break;
    }
    case TRLGraphicKind::FillRect: {
        auto &o = static_cast<TRLFillRectObject &>(object);
        setBrush(o.Brush());
        canvas.FillRect(rect(o.BoundsRect()));
        break;
    }
    case TRLGraphicKind::Ellipse: {
        auto &o = static_cast<TRLEllipseObject &>(object);
        setPen(o.Pen());
        setBrush(o.Brush());
        canvas.Ellipse(rect(o.BoundsRect()));
        break;
    }
    case TRLGraphicKind::Polygon: {
        auto &o = static_cast<TRLPolygonObject &>(object);
        std::vector<TPoint> pts;
        pts.reserve(o.Points().size());
        for (const TPoint &p : o.Points())
            pts.push_back(point(p));
        setPen(o.Pen());
        setBrush(o.Brush());
        canvas.Polygon(pts);
        break;
    }
    case TRLGraphicKind::Polyline: {
        auto &o = static_cast<TRLPolylineObject &>(object);
        std::vector<TPoint> pts;
        pts.reserve(o.Points().size());
        for (const TPoint &p : o.Points())
            pts.push_back(point(p));
        setPen(o.Pen());
        canvas.Brush().Style = TBrushStyle::bsClear;
        canvas.Polyline(pts);
        break;
    }
    case TRLGraphicKind::Image: {
        auto &o = static_cast<TRLImageObject &>(object);
        std::unique_ptr<TGraphic> graphic = FromMetaGraphic(o.Data());
        if (!graphic || graphic->Empty())
            break;
        TRect r = rect(o.BoundsRect());
        if (o.Parity())
            r.Right = r.Left + (r.Width() / graphic->Width()) * graphic->Width() + 1;
        // Pictures reach the printer as 256-colour bitmaps.
        QImage picture = graphic->Image().convertToFormat(QImage::Format_ARGB32).convertToFormat(
            QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        canvas.DrawImage(r, picture);
        break;
    }
    case TRLGraphicKind::SetClipRect:
        clips.push_back(clip);
        clip = rect(object.BoundsRect());
        CanvasSetClipRect(canvas, clip);
        break;
    case TRLGraphicKind::ResetClipRect:
        if (!clips.empty()) {
            clip = clips.back();
            clips.pop_back();
        }
        CanvasSetClipRect(canvas, clip);
        break;
    }
}

} // namespace prenso
