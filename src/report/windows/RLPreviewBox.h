#pragma once
// One page of the preview: the stored page painted inside a frame with a drop
// shadow, the found text outlined and, in editing mode, the selected object's
// group marked with handles. A box past the last page is an empty grey box
// crossed by its diagonals.

#include <QImage>
#include <QWidget>

namespace prenso {

class TRLGraphicPage;
class TRLPreview;

class TRLPreviewBox : public QWidget {
    Q_OBJECT
public:
    // The frame and shadow take this many pixels right of and below the page.
    static constexpr int ShadowSize = 7;

    TRLPreviewBox(TRLPreview *preview, int boxIndex, QWidget *parent);

    TRLPreview *Preview() const { return FPreview; }
    // Index of the page this box shows, or -1 when it shows none.
    int PageIndex() const;
    // That page, fetched from the storage now (the storage may free it once
    // other pages have been read, so it is never kept).
    TRLGraphicPage *Page() const;

    // Index of the selected object on the page, -1 for none.
    int SelectedObject() const { return FSelected; }
    void SetSelectedObject(int index);

    // Where the page is painted inside the box, and the scale from page
    // pixels to box pixels.
    QRect PageArea() const;
    QPointF PageScale(const TRLGraphicPage &page) const;
    // The outline of the last match on this box's page in box pixels, empty
    // when the match is not on it.
    QRect FoundTextRect() const;

    // Forgets the painted page, so that the next paint reads it again.
    void InvalidatePage() { FImage = QImage(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void paintPage(QPainter &painter, TRLGraphicPage &page, const QRect &area, const QRect &exposed);
    void paintHandles(QPainter &painter, TRLGraphicPage &page);

    TRLPreview *FPreview;
    int FBoxIndex;
    int FSelected = -1;
    // The page as last painted, at the box's size and pixel density; a page
    // too large to keep is painted part by part instead.
    QImage FImage;
    int FImagePage = -1;
    unsigned FImageGeneration = 0;
};

} // namespace prenso
