#pragma once
// A printable control of the report tree: bounds in pixels at 96 per inch,
// alignment and anchors inside its parent, auto size, holders, borders,
// caption and font, and the steps of printing itself onto a page surface.

#include "platform/graphics/valuetypes.h"
#include "platform/system/component.h"
#include "report/controls/RLBorders.h"
#include "report/controls/RLRealBounds.h"
#include "report/controls/RLTypes.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace prenso {

class TRLCustomSite;
class TRLCustomBand;
class TRLCustomPager;
class TRLCustomGroup;
class TRLCustomSkipper;
class TRLCustomReport;
class TRLGraphicSurface;
class TRLBandHost;
class TRLReportHost;
class TCanvas;

class TRLCustomControl : public TComponent {
public:
    explicit TRLCustomControl(TRLCustomSite *parent);
    ~TRLCustomControl() override;
    TRLCustomControl(const TRLCustomControl &) = delete;
    TRLCustomControl &operator=(const TRLCustomControl &) = delete;

    TRLCustomSite *Parent() const { return FParent; }
    bool IsSite() const { return (FKinds & kKindSite) != 0; }
    // The control as a band, pager or report, or nullptr: the ancestor
    // look-ups run for every control of every record.
    virtual TRLCustomBand *AsBand() { return nullptr; }
    virtual TRLCustomPager *AsPager() { return nullptr; }
    virtual TRLCustomSkipper *AsSkipper() { return nullptr; }
    virtual TRLCustomReport *AsReport() { return nullptr; }

    // Bounds relative to the parent, in pixels.
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TRect BoundsRect() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // The bounds in the coordinates of the root of the tree (the report).
    TRect ReportBoundsRect() const;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetBoundsRect(const TRect &r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }

    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Enabled() const { return FEnabled; }

    TRLControlAlign Align() const { return FAlign; }
    void SetAlign(TRLControlAlign align);
    TRLTextAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRLTextAlignment v)
    {
        FAlignment = v;
        AdjustBounds();
    }
    TRLTextLayout Layout() const { return FLayout; }
    void SetLayout(TRLTextLayout v)
    {
        FLayout = v;
        AdjustBounds();
    }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TRLAutoSizeDirSet AutoSizeDir() const { return FAutoSizeDir; }
    void SetAutoSizeDir(TRLAutoSizeDirSet v) { FAutoSizeDir = v; }
    bool AutoExpand() const { return FAutoExpand; }
    void SetAutoExpand(bool v) { FAutoExpand = v; }
    bool AutoTrunc() const { return FAutoTrunc; }
    void SetAutoTrunc(bool v) { FAutoTrunc = v; }
    TRLControlAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TRLControlAnchors v) { FAnchors = v; }
    TRLControlBehavior Behavior() const { return FBehavior; }
    void SetBehavior(TRLControlBehavior v) { FBehavior = v; }
    bool AlignWithMargins() const { return FAlignWithMargins; }
    void SetAlignWithMargins(bool v) { FAlignWithMargins = v; }

    TRLBorders &Borders() { return FBorders; }
    const TRLBorders &Borders() const { return FBorders; }
    TRLRealBounds &RealBounds() { return FRealBounds; }

    // Holders: up to two other controls whose bounds this one follows, each
    // by its hold style. Offsets are explicit: TRLHoldStyle::hsHorizontally keeps Left at
    // the holder's Left + HolderOffset.X whatever Left is asked, and so on;
    // the default (0, 0) lines the edges up. Holders may sit in other bands:
    // positions are compared in the report's coordinates. Where both holders
    // rule the same coordinate the second wins. A control cannot hold on to
    // itself, and holders that hold on to each other settle instead of
    // looping. When either side is destroyed the link goes with it.
    TRLCustomControl *Holder() const { return FHolder; }
    void SetHolder(TRLCustomControl *holder);
    void SetHoldStyle(TRLHoldStyle style);
    void SetHolderOffset(TPoint offset);
    TRLCustomControl *SecondHolder() const { return FSecondHolder; }
    void SetSecondHolder(TRLCustomControl *holder);
    void SetSecondHoldStyle(TRLHoldStyle style);
    void SetSecondHolderOffset(TPoint offset);
    // The controls that hold on to this one, each once.
    const std::vector<TRLCustomControl *> &Holdeds() const { return FHoldeds; }

    // Transparent controls take their parent's colour and fill nothing.
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v);
    TColor Color() const;
    void SetColor(TColor c);

    // The control's own font; setting it makes the control adjust its bounds.
    const TFont &Font() const { return FFont; }
    void SetFont(const TFont &font);
    void SetFontName(const QString &name);
    void SetFontSize(int points);

    // While the report prepares, the caption is the separate preparing
    // caption; otherwise it is the design caption.
    const QString &Caption() const;
    void SetCaption(const QString &caption);
    const QString &FriendlyName() const { return FFriendlyName; }
    void SetFriendlyName(const QString &n) { FFriendlyName = n; }
    QString DisplayName() const { return FFriendlyName.isEmpty() ? Name() : FFriendlyName; }

    void SetFixedSize(int width, int height);

    TRLControlState &ControlState() { return FState; }
    bool CouldPrint() const { return FCouldPrint; }

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
    // Whatever the widths around a client area depend on has changed
    // somewhere: margins, borders, the master report's print quality or
    // chain, the printer's margins. Client rectangles ask at every layout
    // step, so each control keeps its widths until this is called.
    static void NonClientChanged();
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }

    // Printing.
    void Print();

    // Ancestors.
    TRLCustomSite *FindParentSite() const;
    TRLCustomBand *FindParentBand() const;
    // The report and the pager as the controls see them (RLHosts.h): the
    // report at the root of the tree, the nearest pager among the ancestors;
    // nullptr when there is none.
    TRLReportHost *FindReportHost() const;
    TRLBandHost *FindBandHost() const;
    // The look-ups by pagination's classes, for the users of the tree. Only
    // pagination knows those classes, so it defines them
    // (pagination/RLAncestors.cpp); the controls themselves ask the hosts.
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
    TRect CalcSizeRect() const { return TRect{0, 0, FWidth, FHeight}; }
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
    // What the control is, as IsSite and the As... functions say: the
    // ancestor look-ups, which every record makes by the dozen, test these
    // instead of asking each ancestor by a virtual call. Each class's
    // constructor adds its own; a site being destroyed is a site only.
    enum : std::uint8_t { kKindSite = 1, kKindBand = 2, kKindPager = 4, kKindSkipper = 8, kKindReport = 16 };
    std::uint8_t FKinds = 0;
    // What a pager and a report are to the controls inside them, set by
    // their constructors and cleared with their kinds.
    TRLBandHost *FBandHost = nullptr;
    TRLReportHost *FReportHost = nullptr;
    // Raises the engine's "not found" error for this control's missing `what`.
    [[noreturn]] void NotFound(const char *what) const;
    void ExpandParentSite(int oldWidth, int oldHeight);
    void DrawBoundsFrame(TRLGraphicSurface &surface, const TRect &rect);
    void setBoundsRaw(int l, int t, int w, int h);
    virtual void BoundsChanged() {}
    // True when the report shows its designers (name tags, corner marks).
    bool ShowDesigners() const;
    // The colour fill, a site's background picture and the borders, on a canvas.
    void DesignPaintFrame(TCanvas &canvas, const TRect &rect);

    QString FPreparingCaption;
    bool FCouldPrint = false;
    TRLControlState FState;
    // Counts the alignments of this site's children, so that a site placed
    // (and so realigned) by its parent is not realigned once more.
    unsigned FAlignSerial = 0;
    unsigned FAlignSerialMark = 0;

private:
    friend class TRLRealBounds;
    // Sets the bounds without holder rules or real bounds; true when they changed.
    bool applyBounds(int left, int top, int width, int height);

    // Holders and real bounds.
    void setBoundsLinked(int left, int top, int width, int height);
    void updateBoundsLinked();
    // The bounds asked for, with the holder rules applied.
    TRect heldBounds(int left, int top, int width, int height) const;
    TRect holderRectHere(const TRLCustomControl *holder) const;
    void linkHolder(TRLCustomControl *&slot, TRLCustomControl *holder);
    void adjustToHolders();
    void adjustHoldeds();
    void releaseHolds();

    TRLCustomSite *FParent;
    mutable TRect FNonClient;                   // CalcNonClientRect, kept
    mutable std::uint64_t FNonClientSerial = 0; // as of NonClientChanged's count then
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    TRLControlAlign FAlign = TRLControlAlign::faNone;
    TRLTextAlignment FAlignment = TRLTextAlignment::taLeftJustify;
    TRLTextLayout FLayout = TRLTextLayout::tlTop;
    bool FAutoSize = false;
    TRLAutoSizeDirSet FAutoSizeDir;
    bool FAutoExpand = false;
    bool FAutoTrunc = false;
    TRLControlAnchors FAnchors;
    TRLControlBehavior FBehavior;
    bool FAlignWithMargins = false;
    TRLBorders FBorders;
    TRLCustomControl *FHolder = nullptr;
    TRLHoldStyle FHoldStyle = TRLHoldStyle::hsAsColumn;
    TPoint FHolderOffset;
    TRLCustomControl *FSecondHolder = nullptr;
    TRLHoldStyle FSecondHoldStyle = TRLHoldStyle::hsAsColumn;
    TPoint FSecondHolderOffset;
    std::vector<TRLCustomControl *> FHoldeds;
    // Set while the control has a holder, is held on to or has real bounds
    // with a unit: then SetBounds takes the way that serves them.
    bool FBoundsLinked = false;
    TRect FPeekBounds;
    TRLRealBounds FRealBounds{this};
    QString FCaption;
    bool FTransparent = true;
    TColor FColor = clWhite;
    TRect FOldBounds;
    int FFixedWidth = 0, FFixedHeight = 0;
    bool FSizeFixed = false;
    QString FFriendlyName;
    TFont FFont;
};

} // namespace prenso
