#include "report/windows/RLPreviewGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace prenso::glyphs {
namespace {

// The colours every picture shares: lines, and what stands out.
const QColor kInk(48, 48, 48);
const QColor kAccent(30, 90, 170);

void triangle(QPainter &p, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, kAccent);
}

// First, prior, next and last page: arrow heads, with a bar at the end of
// the document.
void drawPageStep(QPainter &p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::First:
        p.fillRect(QRectF(3, 3, 2, 10), kAccent);
        triangle(p, {12, 3}, {12, 13}, {6, 8});
        break;
    case Glyph::Prior: triangle(p, {11, 3}, {11, 13}, {5, 8}); break;
    case Glyph::Next: triangle(p, {5, 3}, {5, 13}, {11, 8}); break;
    default:
        triangle(p, {4, 3}, {4, 13}, {10, 8});
        p.fillRect(QRectF(11, 3, 2, 10), kAccent);
        break;
    }
}

// Zoom out and in: a magnifying glass with a minus or a plus.
void drawMagnifier(QPainter &p, bool plus)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    p.setPen(QPen(kAccent, 1.5));
    p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
}

// Split view: two panes, one above the other.
void drawViews(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 11, 5));
    p.drawRect(QRectF(2.5, 9.5, 11, 5));
}

// Edit: a mouse pointer.
void drawEdit(QPainter &p)
{
    QPainterPath arrow;
    arrow.moveTo(4, 2);
    arrow.lineTo(4, 13);
    arrow.lineTo(7, 10);
    arrow.lineTo(9.5, 14.5);
    arrow.lineTo(11, 13.5);
    arrow.lineTo(8.5, 9.5);
    arrow.lineTo(12, 9.5);
    arrow.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

// Print: a printer with a sheet in and a sheet out.
void drawPrint(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

// Save: a diskette.
void drawSave(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kAccent);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 7, 4));
    p.drawRect(QRectF(5.5, 9.5, 5, 4));
}

// Send: an envelope.
void drawSend(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 4.5, 13, 8));
    p.drawLine(QPointF(1.5, 4.5), QPointF(8, 9));
    p.drawLine(QPointF(14.5, 4.5), QPointF(8, 9));
}

// Close: a red cross.
void drawClose(QPainter &p)
{
    p.setPen(QPen(QColor(170, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// About: an "i" in a circle.
void drawAbout(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.fillRect(QRectF(7, 7, 2, 5), Qt::white);
    p.fillRect(QRectF(7, 4, 2, 2), Qt::white);
}

void drawGlyph(QPainter &p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::First:
    case Glyph::Prior:
    case Glyph::Next:
    case Glyph::Last: drawPageStep(p, glyph); break;
    case Glyph::ZoomDown: drawMagnifier(p, false); break;
    case Glyph::ZoomUp: drawMagnifier(p, true); break;
    case Glyph::Views: drawViews(p); break;
    case Glyph::Edit: drawEdit(p); break;
    case Glyph::Print: drawPrint(p); break;
    case Glyph::Save: drawSave(p); break;
    case Glyph::Send: drawSend(p); break;
    case Glyph::Close: drawClose(p); break;
    case Glyph::About: drawAbout(p); break;
    }
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    constexpr int size = 16, scale = 3;
    QPixmap pixmap(size * scale, size * scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    drawGlyph(p, glyph);
    p.end();
    return QIcon(pixmap);
}

} // namespace prenso::glyphs
