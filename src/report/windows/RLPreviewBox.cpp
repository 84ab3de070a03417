#include "report/windows/RLPreviewBox.h"

#include "platform/graphics/canvas.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLMetaConversions.h"
#include "report/windows/RLPreview.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <string>

namespace prenso {
namespace {

const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
constexpr int kShadowOffset = 5;
constexpr int kHandleSize = 6;
// Beyond this a painted page is not kept (a page at 500 % on a dense
// screen would take hundreds of megabytes): only what is exposed is painted.
constexpr qint64 kMaxKeptBytes = 48LL * 1024 * 1024;

// The page area in device pixels: whole pixels, at least the logical size.
QSize deviceSize(const QSize &logical, qreal dpr)
{
    return {static_cast<int>(std::ceil(logical.width() * dpr)), static_cast<int>(std::ceil(logical.height() * dpr))};
}

// Paints part of a page whose whole is `pageSize` device pixels: `part` in
// the same pixels, onto a white picture of the part's size.
QImage renderPart(TRLGraphicPage &page, const QSize &pageSize, const QRect &part, qreal dpr)
{
    QImage image(part.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TCanvas canvas(&image, kDesignPixelsPerInch);
        TRLCanvasPainter(canvas).Paint(
            page, TRect{-part.x(), -part.y(), pageSize.width() - part.x(), pageSize.height() - part.y()});
    }
    image.setDevicePixelRatio(dpr);
    return image;
}

// Where the matched characters of a text object were painted, in the pixels
// of a page scaled by (xf, yf): the text is placed as the canvas places a
// stored text (half a space in, aligned, laid out), then measured in the
// page's font at that scale. Justified text spreads its blanks, so there the
// whole object is outlined.
QRect matchedExtent(const TRLTextObject &text, int start, int length, double xf, double yf)
{
    auto sx = [&](int v) { return RoundCoord(v * xf); };
    auto sy = [&](int v) { return RoundCoord(v * yf); };
    const TRect &b = text.BoundsRect();
    const QRect bounds(QPoint(sx(b.Left), sy(b.Top)), QPoint(sx(b.Right) - 1, sy(b.Bottom) - 1));
    const std::string shown = text.DisplayText();
    if (text.Alignment() == MetaTextAlignmentJustify || start < 0 ||
        static_cast<size_t>(start) + static_cast<size_t>(length) > shown.size())
        return bounds;
    TFont font;
    FromMetaFont(text.Font(), font, yf);
    const FontResource &res = font.Resource();
    const std::string_view all(shown);
    const int space = res.width(std::string_view(" "));
    const int width = res.width(all) + space;
    int x;
    switch (text.Alignment()) {
    case MetaTextAlignmentRight: x = bounds.left() + bounds.width() - width + space / 2; break;
    case MetaTextAlignmentCenter: x = (2 * bounds.left() + bounds.width() - width) / 2 + space / 2; break;
    default: x = sx(text.Origin().X) + space / 2; break;
    }
    int y;
    switch (text.Layout()) {
    case MetaTextLayoutBottom: y = bounds.top() + bounds.height() - res.height(); break;
    case MetaTextLayoutCenter: y = (2 * bounds.top() + bounds.height() - res.height()) / 2; break;
    default: y = sy(text.Origin().Y); break;
    }
    const int left = x + res.width(all.substr(0, static_cast<size_t>(start)));
    const int right = left + res.width(all.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
    return QRect(QPoint(left, y), QPoint(right - 1, y + res.height() - 1));
}

} // namespace

TRLPreviewBox::TRLPreviewBox(TRLPreview *preview, int boxIndex, QWidget *parent)
    : QWidget(parent), FPreview(preview), FBoxIndex(boxIndex)
{
    setObjectName(QStringLiteral("PreviewBox%1").arg(boxIndex + 1));
}

int TRLPreviewBox::PageIndex() const
{
    const int first = FPreview->PageIndex();
    if (first < 0)
        return -1;
    const int index = first + FBoxIndex;
    return index < FPreview->PageCount() ? index : -1;
}

TRLGraphicPage *TRLPreviewBox::Page() const
{
    const int index = PageIndex();
    return index >= 0 ? FPreview->Pages()->Pages(index) : nullptr;
}

void TRLPreviewBox::SetSelectedObject(int index)
{
    if (index == FSelected)
        return;
    FSelected = index;
    update();
}

QRect TRLPreviewBox::PageArea() const
{
    // Inside the one-pixel frame, left of and above the shadow.
    return QRect(1, 1, std::max(0, width() - ShadowSize - 2), std::max(0, height() - ShadowSize - 2));
}

QPointF TRLPreviewBox::PageScale(const TRLGraphicPage &page) const
{
    const QRect area = PageArea();
    return {page.Width() != 0 ? double(area.width()) / page.Width() : 1.0,
            page.Height() != 0 ? double(area.height()) / page.Height() : 1.0};
}

QRect TRLPreviewBox::FoundTextRect() const
{
    const TRLFindPosition &found = FPreview->LastFind();
    if (!found.Found || found.PageIndex < 0 || found.PageIndex != PageIndex())
        return {};
    TRLGraphicPage *page = Page();
    if (!page || found.ObjectIndex < 0 || found.ObjectIndex >= page->ObjectCount())
        return {};
    const auto *text = dynamic_cast<const TRLTextObject *>(page->Objects(found.ObjectIndex));
    if (!text)
        return {};
    // Measured at the scale the page was painted at, device pixels included,
    // so that the outline follows the glyphs on the screen.
    const QRect area = PageArea();
    const qreal dpr = devicePixelRatioF();
    const QSize device = deviceSize(area.size(), dpr);
    const double xf = page->Width() != 0 ? double(device.width()) / page->Width() : 1.0;
    const double yf = page->Height() != 0 ? double(device.height()) / page->Height() : 1.0;
    const QRect r = matchedExtent(*text, found.TextStart, found.TextLength, xf, yf);
    const QRectF logical(r.x() / dpr, r.y() / dpr, r.width() / dpr, r.height() / dpr);
    return logical.toAlignedRect().translated(area.topLeft());
}

void TRLPreviewBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const int w = width(), h = height();
    TRLGraphicPage *page = Page();
    const QRect frame(0, 0, w - ShadowSize, h - ShadowSize);
    painter.fillRect(frame, page ? QColor(Qt::white) : kGrey);
    painter.setPen(Qt::black);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(QPoint(w - ShadowSize, kShadowOffset), QPoint(w - 3, h - 3)), kGrey);
    painter.fillRect(QRect(QPoint(kShadowOffset, h - ShadowSize), QPoint(w - ShadowSize - 1, h - 3)), kGrey);
    const QRect area = PageArea();
    if (!page) {
        painter.drawLine(area.topLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomLeft());
        return;
    }
    paintPage(painter, *page, area, event->rect());
    // Painting may have read other pages; take this one again.
    page = Page();
    if (!page)
        return;
    paintHandles(painter, *page);
    const QRect found = FoundTextRect();
    if (!found.isEmpty()) {
        QRegion band(found.adjusted(-4, -4, 4, 4));
        band -= QRegion(found.adjusted(-1, -1, 1, 1));
        painter.setClipRegion(band);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(found.adjusted(-4, -4, 4, 4), Qt::white);
    }
}

void TRLPreviewBox::paintPage(QPainter &painter, TRLGraphicPage &page, const QRect &area, const QRect &exposed)
{
    if (area.isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    const QSize device = deviceSize(area.size(), dpr);
    if (qint64(device.width()) * device.height() * 4 <= kMaxKeptBytes) {
        const int index = PageIndex();
        if (FImage.isNull() || FImagePage != index || FImageGeneration != FPreview->Generation() ||
            FImage.size() != device || FImage.devicePixelRatio() != dpr) {
            FImage = renderPart(page, device, QRect(QPoint(0, 0), device), dpr);
            FImagePage = index;
            FImageGeneration = FPreview->Generation();
        }
        painter.drawImage(area.topLeft(), FImage);
        return;
    }
    FImage = QImage();
    const QRect part = (exposed & area).translated(-area.topLeft());
    if (part.isEmpty())
        return;
    const QRect devicePart(
        QPoint(static_cast<int>(std::floor(part.left() * dpr)), static_cast<int>(std::floor(part.top() * dpr))),
        QPoint(static_cast<int>(std::ceil((part.right() + 1) * dpr)) - 1,
               static_cast<int>(std::ceil((part.bottom() + 1) * dpr)) - 1));
    const QImage image = renderPart(page, device, devicePart, dpr);
    painter.drawImage(QPointF(area.left() + devicePart.left() / dpr, area.top() + devicePart.top() / dpr), image);
}

void TRLPreviewBox::paintHandles(QPainter &painter, TRLGraphicPage &page)
{
    if (!FPreview->Editing() || FSelected < 0 || FSelected >= page.ObjectCount())
        return;
    const std::uint32_t group = page.Objects(FSelected)->GroupId();
    std::vector<const TRLGraphicObject *> members;
    for (int i = 0; i < page.ObjectCount(); ++i)
        if (i == FSelected || (group != 0 && page.Objects(i)->GroupId() == group))
            members.push_back(page.Objects(i));
    const QPointF scale = PageScale(page);
    const QPoint origin = PageArea().topLeft();
    const QColor fill = members.size() == 1 ? QColor(Qt::black) : kSilver;
    painter.setPen(Qt::white);
    for (const TRLGraphicObject *member : members) {
        const TRect &b = member->BoundsRect();
        const int l = origin.x() + RoundCoord(b.Left * scale.x()), r = origin.x() + RoundCoord(b.Right * scale.x());
        const int t = origin.y() + RoundCoord(b.Top * scale.y()), bt = origin.y() + RoundCoord(b.Bottom * scale.y());
        const int xs[3] = {l, (l + r) / 2, r};
        const int ys[3] = {t, (t + bt) / 2, bt};
        for (int ix = 0; ix < 3; ++ix)
            for (int iy = 0; iy < 3; ++iy) {
                if (ix == 1 && iy == 1)
                    continue;
                const QRect handle(xs[ix] - kHandleSize / 2, ys[iy] - kHandleSize / 2, kHandleSize, kHandleSize);
                painter.fillRect(handle, fill);
                painter.drawRect(handle.adjusted(0, 0, -1, -1));
            }
    }
}

void TRLPreviewBox::mousePressEvent(QMouseEvent *event)
{
    FPreview->setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !FPreview->Editing())
        return;
    TRLGraphicPage *page = Page();
    if (!page)
        return;
    const QPointF scale = PageScale(*page);
    const QPoint p = event->position().toPoint() - PageArea().topLeft();
    const int x = RoundCoord(p.x() / scale.x()), y = RoundCoord(p.y() / scale.y());
    // The smallest object under the point, the first of equals.
    int chosen = -1;
    long long chosenArea = 0;
    for (int i = 0; i < page->ObjectCount(); ++i) {
        const TRect &b = page->Objects(i)->BoundsRect();
        if (x < b.Left || x >= b.Right || y < b.Top || y >= b.Bottom)
            continue;
        const long long area = static_cast<long long>(b.Width()) * b.Height();
        if (chosen < 0 || area < chosenArea) {
            chosen = i;
            chosenArea = area;
        }
    }
    SetSelectedObject(chosen);
}

void TRLPreviewBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && PageIndex() >= 0)
        FPreview->ZoomPage(PageIndex());
}

void TRLPreviewBox::contextMenuEvent(QContextMenuEvent *event)
{
    FPreview->ShowPopup(this, event->globalPos());
}

} // namespace prenso
