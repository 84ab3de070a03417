// The background picture of a site: where it goes in the site's rectangle,
// on a page or on a canvas.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/controls/RLBand.h"
#include "report/controls/RLLabel.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <QPainter>

#include <algorithm>

namespace prenso {

namespace {

// A picture repeated side by side until the block is at least `minimum`
// pixels each way, doubling at every step: a tiny picture over a whole page
// then takes a few hundred draws instead of one per pixel.
QImage tileBlock(const QImage &picture, int minimum)
{
    QImage block = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    auto doubled = [](const QImage &from, bool across) {
        QImage to(across ? from.width() * 2 : from.width(), across ? from.height() : from.height() * 2, from.format());
        to.fill(Qt::transparent);
        QPainter p(&to);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, from);
        p.drawImage(across ? from.width() : 0, across ? 0 : from.height(), from);
        return to;
    };
    while (block.width() < minimum)
        block = doubled(block, true);
    while (block.height() < minimum)
        block = doubled(block, false);
    return block;
}

} // namespace

TRLBackground::TRLBackground(TRLCustomSite *parent) : FParent(parent)
{}

TRLBackground::~TRLBackground() = default;

bool TRLBackground::pictureEmpty() const
{
    return FPicture->Empty();
}

void TRLBackground::changed()
{
    if (FParent)
        FParent->AdjustBounds();
}

void TRLBackground::SetPicture(std::unique_ptr<TGraphic> picture)
{
    FPicture = std::move(picture);
    changed();
}

void TRLBackground::SetArrange(TRLImageArrange v)
{
    FArrange = v;
    changed();
}

void TRLBackground::SetAutoSize(bool v)
{
    FAutoSize = v;
    changed();
}

void TRLBackground::SetStretch(bool v)
{
    FStretch = v;
    changed();
}

bool TRLBackground::TakePictureSize(int &width, int &height) const
{
    if (!FAutoSize || Empty())
        return false;
    width = FPicture->Width();
    height = FPicture->Height();
    return true;
}

void TRLBackground::PaintTo(TCanvas &canvas, const TRect &rect) const
{
    if (Empty() || rect.IsEmpty())
        return;
    const TGraphic &picture = *FPicture;
    if (stretched()) {
        canvas.StretchDraw(rect, picture);
        return;
    }
    const bool wasClipped = canvas.Clipped();
    const TRect outer = canvas.ClipRect();
    TRect clip = rect;
    if (wasClipped && !IntersectRect(clip, outer, rect))
        return;
    canvas.SetClipRect(clip);
    const int w = picture.Width(), h = picture.Height();
    if (FArrange == TRLImageArrange::baSidebySide) {
        const QImage block = w < 64 || h < 64 ? tileBlock(picture.Image(), 64) : picture.Image();
        const int bw = block.width(), bh = block.height();
        for (int y = rect.Top; y < rect.Bottom; y += bh)
            for (int x = rect.Left; x < rect.Right; x += bw)
                canvas.DrawImage(TRect{x, y, x + bw, y + bh}, block);
    } else if (FArrange == TRLImageArrange::baCenter) {
        // Halves truncate, as everywhere the engine centres.
        canvas.Draw(rect.Left + (rect.Width() - w) / 2, rect.Top + (rect.Height() - h) / 2, picture);
    } else {
        canvas.Draw(rect.Left, rect.Top, picture);
    }
    if (wasClipped)
        canvas.SetClipRect(outer);
    else
        canvas.ResetClipRect();
}

void TRLBackground::PaintTo(TRLGraphicSurface &surface, const TRect &rect) const
{
    if (Empty() || rect.IsEmpty())
        return;
    if (stretched()) {
        surface.StretchDraw(rect, FPicture.get());
    } else if (FArrange == TRLImageArrange::baSidebySide) {
        // One picture of the whole tiled area rather than one per tile: a
        // page keeps the bytes of every picture drawn on it.
        TBitmap tiles(rect.Width(), rect.Height());
        PaintTo(tiles.Canvas(), TRect{0, 0, rect.Width(), rect.Height()});
        surface.StretchDraw(rect, &tiles);
    } else {
        surface.ClipDraw(rect, FPicture.get(), FArrange == TRLImageArrange::baCenter);
    }
}

} // namespace prenso
