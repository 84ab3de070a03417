#pragma once
// The preview control: a scrolling area that shows one stored page, or three
// side by side, at a zoom percentage, moves between pages and finds texts.
//
// Pages are read from the storage when they are laid out or painted and never
// kept, so a report of thousands of pages costs the memory of the few on
// screen. The control registers itself with the storage while it shows it.

#include "platform/system/component.h"
#include "report/RLUserInterface.h"
#include "report/storage/RLGraphicStorage.h"

#include <QAbstractScrollArea>

#include <array>
#include <functional>

class QMenu;

namespace prenso {

class TRLGraphicPage;
class TRLPreviewBox;

// Where the last search found its text: the page, the object on it and the
// matched characters of the object's displayed text.
struct TRLFindPosition {
    int PageIndex = -1;
    int ObjectIndex = -1;
    bool Found = false;
    int TextStart = 0;
    int TextLength = 0;
};

class TRLPreview : public QAbstractScrollArea, public TComponent, public TRLPreviewTarget {
    Q_OBJECT
public:
    static constexpr int BoxCount = 3;
    static constexpr double MinZoom = 10;

    explicit TRLPreview(QWidget *parent = nullptr);
    ~TRLPreview() override;

    TRLGraphicStorage *Pages() const { return FPages.get(); }
    void SetPages(TRLGraphicStorage *pages);
    void ShowPages(TRLGraphicStorage &pages) override { SetPages(&pages); }
    int PageCount() const;
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index);
    // PageIndex + 1, or 0 without pages.
    int PageNumber() const;
    double ZoomFactor() const { return FZoomFactor; }
    void SetZoomFactor(double zoom);
    bool MultipleMode() const { return FVisibleBoxes > 1; }
    void SetMultipleMode(bool multiple);
    int VisibleBoxes() const { return FVisibleBoxes; }
    bool Editing() const { return FEditing; }
    void SetEditing(bool editing);
    TRLPreviewBox *Boxes(int index) const { return FBoxes.at(static_cast<size_t>(index)); }
    QMenu *Popup() const { return FPopup; }
    const TRLFindPosition &LastFind() const { return FLastFind; }
    // Told after every layout.
    std::function<void(TRLPreview &)> OnChangeView;

    // Moving between pages; nothing happens without pages.
    void FirstPage();
    void LastPage();
    void NextPage();
    void PriorPage();
    // Scrolling within what is shown.
    void PageTop();
    void PageBottom();
    void PageLeft();
    void PageRight();
    void HalfPageUp();
    void HalfPageDown();
    void HalfPageLeft();
    void HalfPageRight();
    void ScrollUp();
    void ScrollDown();
    void ScrollLeft();
    void ScrollRight();

    double GetZoomFactorFullPage() const;
    double GetZoomFactorFullWidth() const;
    double GetZoomFactorMultiplePages() const;
    void ZoomFullPage();
    void ZoomFullWidth();
    void ZoomMultiplePages();
    // Shows page `index`, then switches between full width and multiple pages.
    void ZoomPage(int index);

    // Looks for the text from the page shown, continuing after (or, upward,
    // before) the last match when it is on that page. With AWholeWords a
    // match neither starts right after nor ends right before a letter or a
    // digit. Shows the page of the match; false when there is none.
    bool FindText(const QString &AText, bool AWholeWords, bool AMatchCase, bool AFindBackward);

    // The clipboard copies of a page: a picture at the page's own pixel size,
    // and a vector drawing that drawing programs and office suites paste.
    void CopyAsBitmap(int pageIndex);
    void CopyAsMetafile(int pageIndex);

    // Size of a page as laid out: its own, or the storage's for a missing page.
    QSize PageSizeOf(int pageIndex) const;
    // Increases whenever the pages change, so that boxes drop what they painted.
    unsigned Generation() const { return FGeneration; }

protected:
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    friend class TRLPreviewBox;
    void Layout();
    void UpdateBoxes();
    void ClearSelection();
    void ScrollTo(int x, int y);
    void EnsureVisible(const QRect &boxRect, const TRLPreviewBox *box);
    void ShowPopup(TRLPreviewBox *box, const QPoint &globalPos);
    // The viewport's size when no scroll bar takes room from it.
    QSize ClientSize() const;
    QSize StoragePageSize() const;

    std::array<TRLPreviewBox *, BoxCount> FBoxes{};
    int FVisibleBoxes = 1;
    double FZoomFactor = 100;
    TRLStorageHold FPages{this};
    int FPageIndex = -1;
    QSize FLastSize;
    bool FEditing = false;
    QMenu *FPopup = nullptr;
    TRLPreviewBox *FPopupBox = nullptr;
    TRLFindPosition FLastFind;
    bool FLayingOut = false;
    int FWheelRest = 0;
    unsigned FGeneration = 1;
};

} // namespace prenso
