#pragma once
// The report control tree: printable controls, sites that own child controls
// and a drawing surface, and bands. Controls are plain objects with bounds in
// pixels at 96 per inch; a site owns its children.

#include "platform/component.h"
#include "platform/graphics.h"
#include "report/RLTypes.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

namespace prenso {

class TRLCustomControl;
class TRLCustomSite;
class TRLCustomBand;
class TRLCustomPager;
class TRLCustomGroup;
class TRLCustomSkipper;
class TRLCustomReport;
class TRLGraphicSurface;
class TCanvas;
class TGraphic;
class TDataSource;
class TDataSet;
class TField;

// Millimetres to pixels at 96 per inch, halves to even.
int MMToPixels(double mm);
// Inches to pixels at 96 per inch, halves to even.
int InchesToPixels(double inches);

class TRLBorders {
public:
    explicit TRLBorders(TRLCustomControl *parent) : m_parent(parent) {}

    bool DrawLeft() const { return m_drawLeft; }
    bool DrawTop() const { return m_drawTop; }
    bool DrawRight() const { return m_drawRight; }
    bool DrawBottom() const { return m_drawBottom; }
    void SetDrawLeft(bool v) { m_drawLeft = v; changed(); }
    void SetDrawTop(bool v) { m_drawTop = v; changed(); }
    void SetDrawRight(bool v) { m_drawRight = v; changed(); }
    void SetDrawBottom(bool v) { m_drawBottom = v; changed(); }
    bool FixedLeft() const { return m_fixedLeft; }
    bool FixedTop() const { return m_fixedTop; }
    bool FixedRight() const { return m_fixedRight; }
    bool FixedBottom() const { return m_fixedBottom; }
    void SetFixedLeft(bool v) { m_fixedLeft = v; changed(); }
    void SetFixedTop(bool v) { m_fixedTop = v; changed(); }
    void SetFixedRight(bool v) { m_fixedRight = v; changed(); }
    void SetFixedBottom(bool v) { m_fixedBottom = v; changed(); }
    int Width() const { return m_width; }
    void SetWidth(int w) { m_width = w; changed(); }
    TColor Color() const { return m_color; }
    void SetColor(TColor c) { m_color = c; }
    int Style() const { return m_style; }
    void SetStyle(int s) { m_style = s; }
    TRLBorderSides Sides() const { return m_sides; }
    void SetSides(TRLBorderSides sides);

    // A side is drawn when its flag is set and it is fixed or the master
    // report prints with full features.
    bool CanDrawLeft() const;
    bool CanDrawTop() const;
    bool CanDrawRight() const;
    bool CanDrawBottom() const;
    bool Visible() const { return m_width > 0 && (CanDrawLeft() || CanDrawTop() || CanDrawRight() || CanDrawBottom()); }

    void PaintTo(TRLGraphicSurface &surface, const TRect &rect) const;
    void PaintTo(TCanvas &canvas, const TRect &rect) const;

private:
    template <class Target>
    void paint(Target &target, const TRect &rect) const;
    bool canDraw(bool draw, bool fixed) const;
    void changed();

    TRLCustomControl *m_parent;
    bool m_drawLeft = false, m_drawTop = false, m_drawRight = false, m_drawBottom = false;
    int m_width = 1;
    TColor m_color = clBlack;
    int m_style = 0;
    TRLBorderSides m_sides = sdNone;
    bool m_fixedLeft = false, m_fixedTop = false, m_fixedRight = false, m_fixedBottom = false;
};

class TRLMargins {
public:
    explicit TRLMargins(TRLCustomControl *parent) : m_parent(parent) {}
    double LeftMargin() const { return m_left; }
    double TopMargin() const { return m_top; }
    double RightMargin() const { return m_right; }
    double BottomMargin() const { return m_bottom; }
    void SetLeftMargin(double v);
    void SetTopMargin(double v);
    void SetRightMargin(double v);
    void SetBottomMargin(double v);
    // The defaults a form file compares against.
    void SetDefaults(double left, double top, double right, double bottom);
    bool IsDefault() const;
    void Assign(const TRLMargins &source);
    // In pixels: (left, top, right, bottom) widths. Kept with the margins:
    // client rectangles ask for them at every layout step.
    const TRect &Pixels() const { return m_pixels; }

private:
    void changed();
    TRLCustomControl *m_parent;
    double m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    TRect m_pixels;
    double m_defLeft = 0, m_defTop = 0, m_defRight = 0, m_defBottom = 0;
};

// Bounds of a control in millimetres or inches. With a unit, the control's
// pixel bounds follow these values, and when something else moves or sizes
// the control (alignment, auto size, a holder) the values follow the pixels.
// Only the values whose pixels really changed are taken back, so that 10 mm
// stays 10 mm rather than becoming the 38 pixels it rounds to. With buNone
// the values are kept but have no effect.
class TRLRealBounds {
public:
    explicit TRLRealBounds(TRLCustomControl *parent) : m_parent(parent) {}

    TRLRealBoundsUnit UsedUnit() const { return m_unit; }
    // A new unit takes the control's current pixel bounds in that unit, so
    // that choosing a unit never moves the control.
    void SetUsedUnit(TRLRealBoundsUnit unit);
    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void SetLeft(double v);
    void SetTop(double v);
    void SetWidth(double v);
    void SetHeight(double v);

    // A length in the used unit as pixels, and back.
    int ToPixels(double v) const;
    double FromPixels(int pixels) const;
    // Told by the control when its pixel bounds changed.
    void PixelsChanged();

private:
    void set(double &field, double v);
    TRLCustomControl *m_parent;
    TRLRealBoundsUnit m_unit = buNone;
    double m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

// A picture behind a site's content, drawn after the site's fill and before
// its OnDraw event and borders. The application sets none.
class TRLBackground {
public:
    explicit TRLBackground(TRLCustomSite *parent);
    ~TRLBackground();
    TRLBackground(const TRLBackground &) = delete;
    TRLBackground &operator=(const TRLBackground &) = delete;

    const TGraphic *Picture() const { return m_picture.get(); }
    void SetPicture(std::unique_ptr<TGraphic> picture);
    bool Empty() const { return !m_picture || pictureEmpty(); }
    // baAligned: at the top-left corner; baSidebySide: tiled from there;
    // baCenter: centred; baDistributed: stretched over the whole rectangle.
    // A picture larger than the rectangle is cut at its edges.
    TRLImageArrange Arrange() const { return m_arrange; }
    void SetArrange(TRLImageArrange v);
    // The site takes the picture's size, before any size it would take from
    // its children.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);
    // With AutoSize and a picture: its size, and true.
    bool TakePictureSize(int &width, int &height) const;
    // Stretched over the whole rectangle whatever the arrangement.
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool v);

    void PaintTo(TRLGraphicSurface &surface, const TRect &rect) const;
    void PaintTo(TCanvas &canvas, const TRect &rect) const;

private:
    bool pictureEmpty() const;
    bool stretched() const { return m_stretch || m_arrange == baDistributed; }
    void changed();
    TRLCustomSite *m_parent;
    std::unique_ptr<TGraphic> m_picture;
    TRLImageArrange m_arrange = baAligned;
    bool m_autoSize = false;
    bool m_stretch = false;
};

struct TRLDegradeEffect {
    TRLDegradeDirection Direction = ddNone;
    TColor OppositeColor = clWhite;
    int Granularity = 1;
};

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

class TRLCustomLabel : public TRLCustomControl {
public:
    explicit TRLCustomLabel(TRLCustomSite *parent);
    void CalcSize(int &width, int &height) override;
    void InternalPrint() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

protected:
    // Where a caption `width` × `height` pixels wide starts inside the client
    // rectangle, by Alignment and Layout; `space` is the font's space width
    // (captions are measured with one space after them).
    TPoint CaptionOrigin(const TRect &client, int width, int height, int space) const;
};

class TRLCustomDBText : public TRLCustomLabel {
public:
    using TRLCustomLabel::TRLCustomLabel;

    const QString &Text() const { return m_text; }
    void SetText(const QString &mask) { m_text = mask; AdjustBounds(); }
    const QString &DataField() const { return m_dataField; }
    void SetDataField(const QString &f);
    const QString &DataFormula() const { return m_dataFormula; }
    void SetDataFormula(const QString &f);
    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *ds) { m_dataSource = ds; }
    const QString &DisplayMask() const { return m_displayMask; }
    void SetDisplayMask(const QString &m) { m_displayMask = m; }

    TDataSet *DataSet() const;
    TField *Field() const;

    void InternalMakeCaption(QString &text) override;

private:
    QString m_text;
    QString m_dataField;
    QString m_dataFormula;
    TDataSource *m_dataSource = nullptr;
    QString m_displayMask;
};

class TRLDBText : public TRLCustomDBText {
public:
    using TRLCustomDBText::TRLCustomDBText;
};

class TRLCustomSite : public TRLCustomControl {
public:
    explicit TRLCustomSite(TRLCustomSite *parent);
    ~TRLCustomSite() override;

    bool IsSite() const override { return true; }

    // Children, in creation order; the site owns them.
    template <typename T, typename... Args>
    T *AddChild(Args &&...args)
    {
        auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
        T *raw = child.get();
        m_children.push_back(std::move(child));
        ChildAdded(raw);
        return raw;
    }
    const std::vector<std::unique_ptr<TRLCustomControl>> &Children() const { return m_children; }

    TRLMargins &Margins() { return m_margins; }
    TRLMargins &InsideMargins() { return m_insideMargins; }
    TRLBackground &Background() { return m_background; }
    TRLDegradeEffect &Degrade() { return m_degrade; }
    TRLGraphicSurface &Surface() { return *m_surface; }
    TPoint PrintPosition() const { return m_printPosition; }
    TPoint PrintSize() const { return m_printSize; }
    void SetPrintSize(TPoint p) { m_printSize = p; }
    TRLOnDrawEvent OnDraw;

    void RealignControls() override;
    void CalcSize(int &width, int &height) override;
    TRect CalcNonClientRect() const override;
    void Initialize() override;
    void ComputeDetail(TRLCustomControl *caller) override;
    bool CanPrint() override;
    void InternalPrint() override;
    void InternalMeasureHeight() override;

    void OpenSurface();
    void CloseSurface();
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

    // Overridable steps of opening, writing and closing the surface.
    virtual void SurfaceOpening();
    virtual void SurfaceBeginDraw();
    virtual void SurfaceOpened() {}
    virtual void WriteSurface() {}
    virtual void SurfaceEndDraw() {}
    virtual void SurfaceClosing() {}
    virtual void SurfaceClosed() {}
    virtual void MarkPrintPosition();
    virtual void PlaceSurface();
    virtual void DrawFrame(TRLGraphicSurface &surface, const TRect &rect);
    virtual TRect CalcMarginalPixels() const;

    // Saves and restores the bounds of the site and every control inside it.
    void PushBoundsRecursivePublic() { PushBoundsRecursive(); }
    void PopBoundsRecursivePublic() { PopBoundsRecursive(); }

protected:
    void BoundsChanged() override { m_printSize = TPoint{Width(), Height()}; }
    // Every child at its place inside `rect`, the site's place on the canvas.
    void DesignPaintChildren(TCanvas &canvas, const TRect &rect);
    virtual void ChildAdded(TRLCustomControl *) { RealignControls(); }
    // The engine controls inside this site (and inside its non-site children), in creation order.
    void CollectControls(std::vector<TRLCustomControl *> &out) const;
    void PushBoundsRecursive();
    void PopBoundsRecursive();

    TPoint m_printPosition;
    TPoint m_printSize;

private:
    void alignChildren();

    std::vector<std::unique_ptr<TRLCustomControl>> m_children;
    // The children by Align, kept between alignments to spare allocations.
    std::array<std::vector<TRLCustomControl *>, faAlignCount> m_alignLists;
    std::uint32_t m_alignsUsed = 0; // bit per Align whose list is filled
    TRLMargins m_margins;
    TRLMargins m_insideMargins;
    TRLBackground m_background{this};
    TRLDegradeEffect m_degrade;
    std::unique_ptr<TRLGraphicSurface> m_surface;
    int m_lastClientWidth = -1, m_lastClientHeight = -1;
};

class TRLCustomBandSet : public TRLCustomSite {
public:
    using TRLCustomSite::TRLCustomSite;
    bool IntegralHeightSet() const { return m_integralHeight; }
    void SetIntegralHeightSet(bool v) { m_integralHeight = v; }
    bool IsFirstBandSet() const { return true; }
    int BandSetCount() const { return 1; }

private:
    bool m_integralHeight = false;
};

class TRLCustomBand : public TRLCustomBandSet {
public:
    explicit TRLCustomBand(TRLCustomSite *parent);

    TRLBandType BandType() const { return m_bandType; }
    void SetBandType(TRLBandType t) { m_bandType = t; }
    bool Computable() const { return m_computable; }
    void SetComputable(bool v) { m_computable = v; }
    TRLPageBreaking PageBreaking() const { return m_pageBreaking; }
    void SetPageBreaking(TRLPageBreaking v) { m_pageBreaking = v; }
    TRLCompletionType Completion() const { return m_completion; }
    void SetCompletion(TRLCompletionType v) { m_completion = v; }
    bool AlignToBottom() const { return m_alignToBottom; }
    void SetAlignToBottom(bool v) { m_alignToBottom = v; }
    int CarbonCopies() const { return m_carbonCopies; }
    void SetCarbonCopies(int v);
    int CarbonIndex() const { return m_carbonIndex; }
    void SetCarbonIndex(int v) { m_carbonIndex = v; }
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int v);
    bool IntegralHeight() const { return m_integralHeight; }
    void SetIntegralHeight(bool v) { m_integralHeight = v; }
    TRLBandOptions Options() const { return m_options; }
    void SetOptions(TRLBandOptions v) { m_options = v; }
    bool GreenBarPrint() const { return m_greenBarPrint; }
    void SetGreenBarPrint(bool v) { m_greenBarPrint = v; }
    TColor GreenBarColor() const { return m_greenBarColor; }
    void SetGreenBarColor(TColor c) { m_greenBarColor = c; }
    int MinHeight() const { return m_minHeight; }
    void SetMinHeight(int v) { m_minHeight = v; }
    TRLOnDetailComputeEvent OnCompute;

    // True while the parent pager fills its last page with blank bands.
    bool Completing() const;
    // Blank bands print their controls empty.
    bool IsBlank() const;
    bool IsDataBand() const { return m_bandType == btDetail || m_bandType == btSummary; }
    TRLCustomBand *AsBand() override { return this; }

    void Initialize() override;
    void InternalPrint() override;
    void SurfaceBeginDraw() override;
    void SurfaceClosed() override;
    void MarkPrintPosition() override;
    void PlaceSurface() override;
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

    virtual void SkipToNextPage();
    virtual bool HeightFits(int height, int &available);
    virtual void AdvanceRow(int width, int height);

private:

    TRLBandType m_bandType = btDetail;
    bool m_computable = true;
    TRLPageBreaking m_pageBreaking = pbNone;
    TRLCompletionType m_completion = ctNone;
    bool m_alignToBottom = false;
    int m_carbonCopies = 1;
    int m_carbonIndex = 0;
    int m_groupIndex = 0;
    bool m_integralHeight = true;
    TRLBandOptions m_options;
    bool m_greenBarPrint = false;
    TColor m_greenBarColor = 15066597;
    bool m_greenBarFlag = false;
    int m_minHeight = 0;
    bool m_computableForCount = false; // Computable after OnCompute, blank or not
};

class TRLBand : public TRLCustomBand {
public:
    using TRLCustomBand::TRLCustomBand;
};

} // namespace prenso
