#include "report/controls/RLControl.h"

#include "data/dataset.h"
#include "platform/graphics/canvas.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/RLConsts.h"
#include "report/controls/RLBand.h"
#include "report/controls/RLDesignPaint.h"
#include "report/controls/RLHosts.h"
#include "report/controls/RLStateGuard.h"
#include "report/storage/RLGraphicSurface.h"

#include <algorithm>
#include <cmath>

namespace prenso {

// ---------------------------------------------------------------------------
// Control

TRLCustomControl::TRLCustomControl(TRLCustomSite *parent) : FParent(parent), FBorders(this)
{
    // A new control takes its parent's font and colour, as placing it on the
    // parent at design time does.
    if (FParent) {
        FFont.Assign(FParent->Font());
        FColor = FParent->Color();
    }
}

TRLCustomControl::~TRLCustomControl()
{
    BeginDestroy();
    releaseHolds();
}

void TRLCustomControl::setBoundsRaw(int l, int t, int w, int h)
{
    FLeft = l;
    FTop = t;
    FWidth = w;
    FHeight = h;
}

void TRLCustomControl::SetBounds(int left, int top, int width, int height)
{
    // Holders and real bounds are rare: a control without them checks this
    // one flag and goes the plain way.
    if (FBoundsLinked) [[unlikely]] {
        setBoundsLinked(left, top, width, height);
        return;
    }
    applyBounds(left, top, width, height);
}

bool TRLCustomControl::applyBounds(int left, int top, int width, int height)
{
    if (FSizeFixed) {
        width = FFixedWidth;
        height = FFixedHeight;
    }
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) {
        RealignControls();
        return false;
    }
    const int oldWidth = FWidth, oldHeight = FHeight;
    const unsigned ownSerial = FAlignSerial;
    const unsigned parentSerial = FParent ? FParent->FAlignSerial : 0;
    FOldBounds = BoundsRect();
    setBoundsRaw(left, top, width, height);
    ExpandParentSite(oldWidth, oldHeight);
    // A parent that grew with this control has realigned its children with
    // the new bounds already, and a parent that placed this site has
    // realigned the site's children: each once is enough.
    if (FParent && FParent->FAlignSerial == parentSerial)
        FParent->RealignControls();
    if (FAlignSerial == ownSerial)
        RealignControls();
    BoundsChanged();
    return true;
}

void TRLCustomControl::ExpandParentSite(int oldWidth, int oldHeight)
{
    if (FState.has(TRLControlStateType::stRestoringBounds) || FState.has(TRLControlStateType::stExpandingParent))
        return;
    StateGuard guard(FState, TRLControlStateType::stExpandingParent);
    auto grow = [&](bool vertical) {
        auto inSet = [vertical](TRLControlAlign a) {
            return a == TRLControlAlign::faNone || (vertical ? IsHeightAlign(a) : IsWidthAlign(a));
        };
        if (!inSet(FAlign))
            return;
        TRLCustomSite *site = FParent;
        while (site && !inSet(site->Align()))
            site = site->Parent();
        if (!site ||
            !site->AutoSizeDir().has(vertical ? TRLAutoSizeDirType::asHeightDir : TRLAutoSizeDirType::asWidthDir))
            return;
        if (site->AutoSize())
            site->AdjustBounds();
        else if (site->AutoExpand() && FBehavior.has(TRLControlBehaviorType::beSiteExpander)) {
            if (vertical)
                site->SetHeight(site->Height() + (FHeight - oldHeight));
            else
                site->SetWidth(site->Width() + (FWidth - oldWidth));
        }
    };
    if (FHeight != oldHeight)
        grow(true);
    if (FWidth != oldWidth)
        grow(false);
}

void TRLCustomControl::SetVisible(bool v)
{
    if (v == FVisible)
        return;
    FVisible = v;
    if (FParent) {
        FParent->AdjustBounds();
        FParent->RealignControls();
    }
}

void TRLCustomControl::SetAlign(TRLControlAlign align)
{
    if (align == FAlign)
        return;
    const TRLControlAlign old = FAlign;
    if (align != TRLControlAlign::faNone)
        FAnchors = TRLControlAnchors{};
    const bool oldH = old == TRLControlAlign::faNone || IsHeightAlign(old),
               oldW = old == TRLControlAlign::faNone || IsWidthAlign(old);
    const bool newH = align == TRLControlAlign::faNone || IsHeightAlign(align),
               newW = align == TRLControlAlign::faNone || IsWidthAlign(align);
    if ((oldH && newW) || (oldW && newH)) {
        // Take the natural size first, then the new alignment.
        FAlign = TRLControlAlign::faNone;
        AdjustBounds();
    }
    FAlign = align;
    if (FParent)
        FParent->RealignControls();
}

void TRLCustomControl::SetAutoSize(bool v)
{
    if (v == FAutoSize)
        return;
    FAutoSize = v;
    if (v)
        AdjustBounds();
}

void TRLCustomControl::SetTransparent(bool v)
{
    FTransparent = v;
    if (v && FParent)
        FColor = FParent->Color();
}

TColor TRLCustomControl::Color() const
{
    if (FTransparent && FParent)
        return FParent->Color();
    return FColor;
}

void TRLCustomControl::SetColor(TColor c)
{
    FColor = c;
    if (c != clWhite)
        FTransparent = false;
}

void TRLCustomControl::SetFont(const TFont &font)
{
    FFont.Assign(font);
    AdjustBounds();
}

void TRLCustomControl::SetFontName(const QString &name)
{
    FFont.SetName(name);
    AdjustBounds();
}

void TRLCustomControl::SetFontSize(int points)
{
    FFont.SetSize(points);
    AdjustBounds();
}

bool TRLCustomControl::ShowDesigners() const
{
    const TRLReportHost *report = FindReportHost();
    return !report || report->DesignersShown();
}

bool TRLCustomControl::IsPreparing() const
{
    const TRLReportHost *report = FindReportHost();
    return report && report->Preparing();
}

const QString &TRLCustomControl::Caption() const
{
    return IsPreparing() ? FPreparingCaption : FCaption;
}

void TRLCustomControl::SetCaption(const QString &caption)
{
    // Even the same text is measured again: the bounds it had may have been
    // restored to the design bounds since (every record starts from them).
    const bool preparing = IsPreparing();
    FPreparingCaption = caption;
    if (!preparing)
        FCaption = caption;
    AdjustBounds();
}

void TRLCustomControl::SetFixedSize(int width, int height)
{
    FFixedWidth = width;
    FFixedHeight = height;
    FSizeFixed = true;
}

bool TRLCustomControl::IsMeasurable() const
{
    return FAutoSize || FAutoExpand || static_cast<bool>(OnMeasureHeight);
}

void TRLCustomControl::MeasureHeight()
{
    if (!FVisible || !IsMeasurable() || FState.has(TRLControlStateType::stMeasuringHeights))
        return;
    StateGuard guard(FState, TRLControlStateType::stMeasuringHeights);
    InternalMeasureHeight();
    if (OnMeasureHeight)
        OnMeasureHeight(this);
    AdjustBounds();
}

void TRLCustomControl::InternalMeasureHeight()
{
    QString text;
    InternalMakeCaption(text);
    SetCaption(text);
}

void TRLCustomControl::PushBoundsRect()
{
    FPeekBounds = BoundsRect();
}

void TRLCustomControl::PopBoundsRect()
{
    StateGuard guard(FState, TRLControlStateType::stRestoringBounds);
    SetBoundsRect(FPeekBounds);
}

void TRLCustomControl::AdjustBounds()
{
    if (FState.has(TRLControlStateType::stAdjustingBounds))
        return;
    StateGuard guard(FState, TRLControlStateType::stAdjustingBounds);
    int w = FWidth, h = FHeight;
    CalcSize(w, h);
    int left = FLeft, top = FTop;
    switch (FAlignment) {
    case TRLTextAlignment::taRightJustify: left = FLeft + FWidth - w; break;
    case TRLTextAlignment::taCenter:
        if (w % 2)
            ++w;
        left = FLeft + (FWidth - w) / 2;
        break;
    default: break;
    }
    switch (FLayout) {
    case TRLTextLayout::tlBottom: top = FTop + FHeight - h; break;
    case TRLTextLayout::tlCenter:
        if (h % 2)
            ++h;
        top = FTop + (FHeight - h) / 2;
        break;
    default: break;
    }
    SetBounds(left, top, w, h);
}

void TRLCustomControl::Realign()
{
    if (FParent)
        FParent->RealignControls();
}

void TRLCustomControl::CalcSize(int &width, int &height)
{
    width = FWidth;
    height = FHeight;
}

TRect TRLCustomControl::CalcNonClientRect() const
{
    TRect r;
    const int w = FBorders.Width();
    if (w > 0) {
        if (FBorders.CanDrawLeft())
            r.Left = w + 1;
        if (FBorders.CanDrawTop())
            r.Top = w + 1;
        if (FBorders.CanDrawRight())
            r.Right = w + 1;
        if (FBorders.CanDrawBottom())
            r.Bottom = w + 1;
    }
    return r;
}

namespace {
std::uint64_t g_nonClientSerial = 1;
} // namespace

void TRLCustomControl::NonClientChanged()
{
    ++g_nonClientSerial;
}

TRect TRLCustomControl::ClientRect() const
{
    if (FNonClientSerial != g_nonClientSerial) {
        FNonClient = CalcNonClientRect();
        FNonClientSerial = g_nonClientSerial;
    }
    const TRect &nc = FNonClient;
    return TRect{nc.Left, nc.Top, FWidth - nc.Right, FHeight - nc.Bottom};
}

TRect TRLCustomControl::CalcPrintBoundsRect() const
{
    // The bounds in the parent's coordinates, as they are: no ancestor's
    // offset is added, the parent draws its children from its own origin.
    return BoundsRect();
}

TRect TRLCustomControl::ReportBoundsRect() const
{
    TRect r = BoundsRect();
    for (const TRLCustomSite *s = FParent; s; s = s->Parent()) {
        r.Left += s->Left();
        r.Top += s->Top();
        r.Right += s->Left();
        r.Bottom += s->Top();
    }
    return r;
}

TRect TRLCustomControl::CalcClientPrintRect() const
{
    TRect r = CalcPrintBoundsRect();
    const int w = FBorders.Width();
    if (w > 0) {
        if (FBorders.CanDrawLeft())
            r.Left += w;
        if (FBorders.CanDrawTop())
            r.Top += w;
        if (FBorders.CanDrawRight())
            r.Right -= w;
        if (FBorders.CanDrawBottom())
            r.Bottom -= w;
    }
    return r;
}

TRect TRLCustomControl::CalcPrintSizeRect() const
{
    const TRect r = CalcPrintBoundsRect();
    return TRect{0, 0, r.Width(), r.Height()};
}

void TRLCustomControl::InternalMakeCaption(QString &text)
{
    text = Caption();
}

void TRLCustomControl::Print()
{
    StateGuard guard(FState, TRLControlStateType::stPrinting);
    InternalPrint();
}

void TRLCustomControl::DrawBoundsFrame(TRLGraphicSurface &surface, const TRect &rect)
{
    surface.SetGeneratorId(this);
    NewGroupId();
    if (!FTransparent) {
        TBrush brush;
        brush.Color = Color();
        brush.Style = TBrushStyle::bsSolid;
        surface.SetBrush(brush);
        surface.FillRect(rect);
    }
    FBorders.PaintTo(surface, rect);
}

void TRLCustomControl::InternalPrint()
{
    if (TRLGraphicSurface *surface = FindParentSurface())
        DrawBoundsFrame(*surface, CalcPrintBoundsRect());
}

bool TRLCustomControl::CanPrint()
{
    FCouldPrint = FVisible;
    if (!FCouldPrint)
        return false;
    if (BeforePrintEvent)
        BeforePrintEvent(this, FCouldPrint);
    QString text;
    const TRLCustomBand *band = FindParentBand();
    if (!(band && band->IsBlank()))
        InternalMakeCaption(text);
    if (BeforeText)
        BeforeText(this, text, FCouldPrint);
    if (FCouldPrint)
        if (TRLReportHost *report = FindReportHost())
            report->FilterText(this, text, FCouldPrint);
    if (FCouldPrint)
        SetCaption(text);
    return FCouldPrint;
}

// ---------------------------------------------------------------------------
// Ancestors

TRLCustomSite *TRLCustomControl::FindParentSite() const
{
    return FParent;
}

TRLCustomBand *TRLCustomControl::FindParentBand() const
{
    for (TRLCustomSite *s = FParent; s; s = s->Parent())
        if (s->FKinds & kKindBand)
            return static_cast<TRLCustomBand *>(s);
    return nullptr;
}

TRLReportHost *TRLCustomControl::FindReportHost() const
{
    // Reports are never placed inside other controls: the report is the root.
    const TRLCustomControl *c = this;
    while (c->FParent)
        c = c->FParent;
    return c->FReportHost;
}

TRLBandHost *TRLCustomControl::FindBandHost() const
{
    for (const TRLCustomSite *s = FParent; s; s = s->Parent())
        if (s->FBandHost)
            return s->FBandHost;
    return nullptr;
}

void TRLCustomControl::NotFound(const char *what) const
{
    throw Exception(LS().LS_NotFoundStr + QStringLiteral(": ") + Name() + QLatin1String(what));
}

TRLGraphicSurface *TRLCustomControl::RequestParentSurface() const
{
    if (TRLGraphicSurface *s = FindParentSurface())
        return s;
    NotFound(".ParentSurface");
}

TRLGraphicSurface *TRLCustomControl::FindParentSurface() const
{
    return FParent ? &FParent->Surface() : nullptr;
}

// ---------------------------------------------------------------------------
// Holders: a control that keeps its position or size relative to one or two
// other controls, wherever those are, and follows them when they change.
//
// The rule of a holder is applied inside SetBounds, so whatever asks for new
// bounds (alignment, auto size, the program) gets bounds that obey it. When a
// holder's bounds are set, each control holding on to it sets its bounds
// again and so follows. The links are kept on both sides and cut on both
// sides when either control goes, so no pointer outlives its control.
//
// SetBounds sends only the controls that have a holder, are held on to or
// have real bounds with a unit through setBoundsLinked; every other control
// goes the plain way.

void TRLCustomControl::setBoundsLinked(int left, int top, int width, int height)
{
    if (FHolder || FSecondHolder) {
        const TRect held = heldBounds(left, top, width, height);
        left = held.Left;
        top = held.Top;
        width = held.Width();
        height = held.Height();
    }
    applyBounds(left, top, width, height);
    if (FRealBounds.UsedUnit() != TRLRealBoundsUnit::buNone)
        FRealBounds.PixelsChanged();
    // Also when nothing changed here: the holder's parent may have moved.
    adjustHoldeds();
}

void TRLCustomControl::updateBoundsLinked()
{
    FBoundsLinked =
        FHolder || FSecondHolder || !FHoldeds.empty() || FRealBounds.UsedUnit() != TRLRealBoundsUnit::buNone;
}

TRect TRLCustomControl::holderRectHere(const TRLCustomControl *holder) const
{
    if (holder->Parent() == FParent)
        return holder->BoundsRect();
    // Another band (or panel): compare in the report's coordinates.
    const TRect theirs = holder->ReportBoundsRect();
    const TRect ours = ReportBoundsRect();
    const int dx = FLeft - ours.Left, dy = FTop - ours.Top;
    return TRect{theirs.Left + dx, theirs.Top + dy, theirs.Right + dx, theirs.Bottom + dy};
}

TRect TRLCustomControl::heldBounds(int left, int top, int width, int height) const
{
    auto apply = [&](const TRLCustomControl *holder, TRLHoldStyle style, TPoint offset) {
        if (!holder)
            return;
        const TRect h = holderRectHere(holder);
        switch (style) {
        case TRLHoldStyle::hsAsColumn:
            left = h.Left + offset.X;
            width = h.Width();
            break;
        case TRLHoldStyle::hsHorizontally: left = h.Left + offset.X; break;
        case TRLHoldStyle::hsVertically: top = h.Top + offset.Y; break;
        case TRLHoldStyle::hsRelatively:
            left = h.Left + offset.X;
            top = h.Top + offset.Y;
            break;
        case TRLHoldStyle::hsCopyWidth: width = h.Width(); break;
        case TRLHoldStyle::hsCopyHeight: height = h.Height(); break;
        case TRLHoldStyle::hsCopySize:
            width = h.Width();
            height = h.Height();
            break;
        }
    };
    apply(FHolder, FHoldStyle, FHolderOffset);
    apply(FSecondHolder, FSecondHoldStyle, FSecondHolderOffset);
    return TRect{left, top, left + width, top + height};
}

void TRLCustomControl::adjustToHolders()
{
    // Asking for the bounds it has lets the holder rules move the control.
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TRLCustomControl::adjustHoldeds()
{
    // A control on its way through this already is not told again: holders
    // that hold on to each other settle after one round instead of looping.
    if (FHoldeds.empty() || FState.has(TRLControlStateType::stAdjustingHoldeds))
        return;
    StateGuard guard(FState, TRLControlStateType::stAdjustingHoldeds);
    // By index: a held control's reaction may let go of this one.
    for (size_t i = 0; i < FHoldeds.size(); ++i)
        FHoldeds[i]->adjustToHolders();
}

void TRLCustomControl::linkHolder(TRLCustomControl *&slot, TRLCustomControl *holder)
{
    if (holder == this || holder == slot)
        return;
    TRLCustomControl *old = slot;
    slot = holder;
    // The same control may be both holders; it lists this one once.
    if (old && old != FHolder && old != FSecondHolder) {
        std::erase(old->FHoldeds, this);
        old->updateBoundsLinked();
    }
    if (holder && std::find(holder->FHoldeds.begin(), holder->FHoldeds.end(), this) == holder->FHoldeds.end()) {
        holder->FHoldeds.push_back(this);
        holder->updateBoundsLinked();
    }
    updateBoundsLinked();
    adjustToHolders();
}

void TRLCustomControl::SetHolder(TRLCustomControl *holder)
{
    linkHolder(FHolder, holder);
}

void TRLCustomControl::SetSecondHolder(TRLCustomControl *holder)
{
    linkHolder(FSecondHolder, holder);
}

void TRLCustomControl::SetHoldStyle(TRLHoldStyle style)
{
    FHoldStyle = style;
    adjustToHolders();
}

void TRLCustomControl::SetSecondHoldStyle(TRLHoldStyle style)
{
    FSecondHoldStyle = style;
    adjustToHolders();
}

void TRLCustomControl::SetHolderOffset(TPoint offset)
{
    FHolderOffset = offset;
    adjustToHolders();
}

void TRLCustomControl::SetSecondHolderOffset(TPoint offset)
{
    FSecondHolderOffset = offset;
    adjustToHolders();
}

void TRLCustomControl::releaseHolds()
{
    // The controls held keep their bounds; they just stop following.
    for (TRLCustomControl *held : FHoldeds) {
        if (held->FHolder == this)
            held->FHolder = nullptr;
        if (held->FSecondHolder == this)
            held->FSecondHolder = nullptr;
        held->updateBoundsLinked();
    }
    FHoldeds.clear();
    for (TRLCustomControl *holder : {FHolder, FSecondHolder})
        if (holder) {
            std::erase(holder->FHoldeds, this);
            holder->updateBoundsLinked();
        }
    FHolder = FSecondHolder = nullptr;
    FBoundsLinked = false;
}

// ---------------------------------------------------------------------------
// Design view

void TRLCustomControl::PaintDesign(TCanvas &canvas)
{
    DesignPaint(canvas, ReportBoundsRect());
}

void TRLCustomControl::DesignPaintFrame(TCanvas &canvas, const TRect &rect)
{
    if (!Transparent()) {
        DesignSetBrush(canvas, Color());
        canvas.FillRect(rect);
    }
    if (IsSite())
        static_cast<TRLCustomSite *>(this)->Background().PaintTo(canvas, rect);
    Borders().PaintTo(canvas, rect);
}

void TRLCustomControl::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
}

} // namespace prenso
