#pragma once
// A printable control of the report tree: bounds in pixels at 96 per inch,
// alignment and anchors inside its parent, auto size, holders, borders,
// caption and font, and the steps of printing itself onto a page surface.

#include "platform/component.h"
#include "platform/graphics.h"
#include "report/controls/RLBorders.h"
#include "report/controls/RLRealBounds.h"
#include "report/controls/RLTypes.h"

#include <QString>
#include <vector>

namespace prenso {

class TRLCustomSite;
class TRLCustomBand;
class TRLCustomPager;
class TRLCustomGroup;
class TRLCustomSkipper;
class TRLCustomReport;
class TRLGraphicSurface;
class TCanvas;

class TRLCustomControl : public TComponent {
public:
    explicit TRLCustomControl(TRLCustomSite *parent);
    virtual ~TRLCustomControl();
    TRLCustomControl(const TRLCustomControl &) = delete;
    TRLCustomControl &operator=(const TRLCustomControl &) = delete;

    TRLCustomSite *Parent() const { return m_parent; }
    virtual bool IsSite() const { return false; }
    // The control as a band, pager or report, or nullptr: the ancestor
    // look-ups run for every control of every record.
    virtual TRLCustomBand *AsBand() { return nullptr; }
    virtual TRLCustomPager *AsPager() { return nullptr; }
    virtual TRLCustomSkipper *AsSkipper() { return nullptr; }
    virtual TRLCustomReport *AsReport() { return nullptr; }

    // Bounds relative to the parent, in pixels.
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TRect BoundsRect() const { return TRect{m_left, m_top, m_left + m_width, m_top + m_height}; }
    // The bounds in the coordinates of the root of the tree (the report).
    TRect ReportBoundsRect() const;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetBoundsRect(const TRect &r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    void SetLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
    void SetTop(int v) { SetBounds(m_left, v, m_width, m_height); }
    void SetWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
    void SetHeight(int v) { SetBounds(m_left, m_top, m_width, v); }

    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v) { m_enabled = v; }

    TRLControlAlign Align() const { return m_align; }
    void SetAlign(TRLControlAlign align);
    TRLTextAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TRLTextAlignment v) { m_alignment = v; AdjustBounds(); }
    TRLTextLayout Layout() const { return m_layout; }
    void SetLayout(TRLTextLayout v) { m_layout = v; AdjustBounds(); }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);
    TRLAutoSizeDirSet AutoSizeDir() const { return m_autoSizeDir; }
    void SetAutoSizeDir(TRLAutoSizeDirSet v) { m_autoSizeDir = v; }
    bool AutoExpand() const { return m_autoExpand; }
    void SetAutoExpand(bool v) { m_autoExpand = v; }
    bool AutoTrunc() const { return m_autoTrunc; }
    void SetAutoTrunc(bool v) { m_autoTrunc = v; }
    TRLControlAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TRLControlAnchors v) { m_anchors = v; }
    TRLControlBehavior Behavior() const { return m_behavior; }
    void SetBehavior(TRLControlBehavior v) { m_behavior = v; }
    bool AlignWithMargins() const { return m_alignWithMargins; }
    void SetAlignWithMargins(bool v) { m_alignWithMargins = v; }

    TRLBorders &Borders() { return m_borders; }
    const TRLBorders &Borders() const { return m_borders; }
    TRLRealBounds &RealBounds() { return m_realBounds; }

    // Holders: up to two other controls whose bounds this one follows, each
    // by its hold style. Offsets are explicit: hsHorizontally keeps Left at
    // the holder's Left + HolderOffset.X whatever Left is asked, and so on;
    // the default (0, 0) lines the edges up. Holders may sit in other bands:
    // positions are compared in the report's coordinates. Where both holders
    // rule the same coordinate the second wins. A control cannot hold on to
    // itself, and holders that hold on to each other settle instead of
    // looping. When either side is destroyed the link goes with it.
    TRLCustomControl *Holder() const { return m_holder; }
    void SetHolder(TRLCustomControl *holder);
    TRLHoldStyle HoldStyle() const { return m_holdStyle; }
    void SetHoldStyle(TRLHoldStyle style);
    TPoint HolderOffset() const { return m_holderOffset; }
    void SetHolderOffset(TPoint offset);
    TRLCustomControl *SecondHolder() const { return m_secondHolder; }
    void SetSecondHolder(TRLCustomControl *holder);
    TRLHoldStyle SecondHoldStyle() const { return m_secondHoldStyle; }
    void SetSecondHoldStyle(TRLHoldStyle style);
    TPoint SecondHolderOffset() const { return m_secondHolderOffset; }
    void SetSecondHolderOffset(TPoint offset);
    // The controls that hold on to this one, each once.
    const std::vector<TRLCustomControl *> &Holdeds() const { return m_holdeds; }

    // Transparent controls take their parent's colour and fill nothing.
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool v);
    TColor Color() const;
    void SetColor(TColor c);

    // The control's own font; setting it makes the control adjust its bounds.
    const TFont &Font() const { return m_font; }
    void SetFont(const TFont &font);
    void SetFontName(const QString &name);
    void SetFontSize(int points);

    // While the report prepares, the caption is the separate preparing
    // caption; otherwise it is the design caption.
    QString Caption() const;
    void SetCaption(const QString &caption);
    const QString &FriendlyName() const { return m_friendlyName; }
    void SetFriendlyName(const QString &n) { m_friendlyName = n; }
    QString DisplayName() const { return m_friendlyName.isEmpty() ? Name() : m_friendlyName; }

    void SetFixedSize(int width, int height);
    bool SizeFixed() const { return m_sizeFixed; }

    TRLControlState &ControlState() { return m_state; }
    bool CouldPrint() const { return m_couldPrint; }

    // Events.
    TRLBeforePrintEvent BeforePrintEvent; // for sites: BeforePrint
    TRLBeforeTextEvent BeforeText;        // for labels: BeforePrint
    TRLAfterPrintEvent AfterPrint;
    TRLNotifyEvent OnMeasureHeight;

    // Layout.
    bool IsMeasurable() const;
    void MeasureHeight();
    void PushBoundsRect();
    void PopBoundsRect();
    virtual void AdjustBounds();
    virtual void RealignControls() {}
    void Realign();
    TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }

    // Printing.
    void Print();

    // Ancestors.
    TRLCustomSite *FindParentSite() const;
    TRLCustomBand *FindParentBand() const;
    TRLCustomGroup *FindParentGroup() const;
    TRLCustomPager *FindParentPager() const;
    TRLCustomSkipper *FindParentSkipper() const;
    TRLCustomReport *FindParentReport() const;
    TRLCustomPager *RequestParentPager() const;
    TRLCustomSkipper *RequestParentSkipper() const;
    TRLCustomReport *RequestParentReport() const;
    TRLGraphicSurface *RequestParentSurface() const;
    virtual TRLGraphicSurface *FindParentSurface() const;
    TRLCustomReport *MasterReport() const;
    TRLCustomReport *LastReport() const;

    // Overridable steps of printing and layout.
    virtual bool CanPrint();
    virtual void CalcSize(int &width, int &height);
    virtual TRect CalcNonClientRect() const; // widths of what surrounds the client area
    virtual TRect CalcClientPrintRect() const;
    virtual TRect CalcPrintBoundsRect() const;
    TRect CalcPrintSizeRect() const;
    TRect CalcSizeRect() const { return TRect{0, 0, m_width, m_height}; }
    virtual void InternalMakeCaption(QString &text);
    virtual void Initialize() {}
    virtual void ComputeDetail(TRLCustomControl * /*caller*/) {}
    virtual void InternalPrint();
    virtual void InternalMeasureHeight();

    // True while the master report prepares pages.
    bool IsPreparing() const;

    // Paints the control, and a site its children, as a designer shows it,
    // at its place in the report (the report's top-left at 0, 0). Only the
    // canvas is touched: nothing of it reaches a page.
    void PaintDesign(TCanvas &canvas);
    // The same with the control's bounds already placed on the canvas.
    virtual void DesignPaint(TCanvas &canvas, const TRect &rect);

protected:
    friend class TRLCustomSite;
    void ExpandParentSite(int oldWidth, int oldHeight);
    void DrawBoundsFrame(TRLGraphicSurface &surface, const TRect &rect);
    void setBoundsRaw(int l, int t, int w, int h);
    virtual void BoundsChanged() {}
    // True when the report shows its designers (name tags, corner marks).
    bool ShowDesigners() const;
    // The colour fill, a site's background picture and the borders, on a canvas.
    void DesignPaintFrame(TCanvas &canvas, const TRect &rect);

    QString m_preparingCaption;
    bool m_couldPrint = false;
    TRLControlState m_state;
    // Counts the alignments of this site's children, so that a site placed
    // (and so realigned) by its parent is not realigned once more.
    unsigned m_alignSerial = 0;
    unsigned m_alignSerialMark = 0;

private:
    friend class TRLRealBounds;
    // Sets the bounds without holder rules or real bounds; true when they changed.
    bool applyBounds(int left, int top, int width, int height);

    // Holders and real bounds (RLHolders.cpp).
    void setBoundsLinked(int left, int top, int width, int height);
    void updateBoundsLinked();
    // The bounds asked for, with the holder rules applied.
    TRect heldBounds(int left, int top, int width, int height) const;
    TRect holderRectHere(const TRLCustomControl *holder) const;
    void linkHolder(TRLCustomControl *&slot, TRLCustomControl *holder);
    void adjustToHolders();
    void adjustHoldeds();
    void releaseHolds();

    TRLCustomSite *m_parent;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    TRLControlAlign m_align = faNone;
    TRLTextAlignment m_alignment = taLeftJustify;
    TRLTextLayout m_layout = tlTop;
    bool m_autoSize = false;
    TRLAutoSizeDirSet m_autoSizeDir;
    bool m_autoExpand = false;
    bool m_autoTrunc = false;
    TRLControlAnchors m_anchors;
    TRLControlBehavior m_behavior;
    bool m_alignWithMargins = false;
    TRLBorders m_borders;
    TRLCustomControl *m_holder = nullptr;
    TRLHoldStyle m_holdStyle = hsAsColumn;
    TPoint m_holderOffset;
    TRLCustomControl *m_secondHolder = nullptr;
    TRLHoldStyle m_secondHoldStyle = hsAsColumn;
    TPoint m_secondHolderOffset;
    std::vector<TRLCustomControl *> m_holdeds;
    // Set while the control has a holder, is held on to or has real bounds
    // with a unit: then SetBounds takes the way that serves them.
    bool m_boundsLinked = false;
    TRect m_peekBounds;
    TRLRealBounds m_realBounds{this};
    QString m_caption;
    bool m_transparent = true;
    TColor m_color = clWhite;
    TRect m_oldBounds;
    int m_fixedWidth = 0, m_fixedHeight = 0;
    bool m_sizeFixed = false;
    QString m_friendlyName;
    TFont m_font;
};

} // namespace prenso
