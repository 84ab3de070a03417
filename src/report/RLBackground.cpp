// The background picture of a site: where it goes in the site's rectangle,
// on a page or on a canvas.
#include "report/RLControls.h"

#include "platform/canvas.h"
#include "platform/graphic.h"
#include "report/RLMetaFile.h"

#include <algorithm>

namespace prenso {

TRLBackground::TRLBackground(TRLCustomSite *parent) : m_parent(parent)
{
}

TRLBackground::~TRLBackground() = default;

bool TRLBackground::pictureEmpty() const
{
    return m_picture->Empty();
}

void TRLBackground::changed()
{
    if (m_parent)
        m_parent->AdjustBounds();
}

void TRLBackground::SetPicture(std::unique_ptr<TGraphic> picture)
{
    m_picture = std::move(picture);
    changed();
}

void TRLBackground::SetArrange(TRLImageArrange v)
{
    m_arrange = v;
    changed();
}

void TRLBackground::SetAutoSize(bool v)
{
    m_autoSize = v;
    changed();
}

void TRLBackground::SetStretch(bool v)
{
    m_stretch = v;
    changed();
}

bool TRLBackground::TakePictureSize(int &width, int &height) const
{
    if (!m_autoSize || Empty())
        return false;
    width = m_picture->Width();
    height = m_picture->Height();
    return true;
}

void TRLBackground::PaintTo(TCanvas &canvas, const TRect &rect) const
{
    if (Empty() || rect.IsEmpty())
        return;
    const TGraphic &picture = *m_picture;
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
    if (m_arrange == baSidebySide) {
        for (int y = rect.Top; y < rect.Bottom; y += h)
            for (int x = rect.Left; x < rect.Right; x += w)
                canvas.Draw(x, y, picture);
    } else if (m_arrange == baCenter) {
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
        surface.StretchDraw(rect, m_picture.get());
    } else if (m_arrange == baSidebySide) {
        // One picture of the whole tiled area rather than one per tile: a
        // page keeps the bytes of every picture drawn on it.
        TBitmap tiles(rect.Width(), rect.Height());
        PaintTo(tiles.Canvas(), TRect{0, 0, rect.Width(), rect.Height()});
        surface.StretchDraw(rect, &tiles);
    } else {
        surface.ClipDraw(rect, m_picture.get(), m_arrange == baCenter);
    }
}

} // namespace prenso
