#include "report/controls/RLControl.h"

#include "report/controls/RLDesignPaint.h"
#include "data/dataset.h"
#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "report/RLConsts.h"
#include "report/controls/RLBand.h"
#include "report/controls/RLStateGuard.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicSurface.h"

#include <algorithm>
#include <cmath>

namespace prenso {


// ---------------------------------------------------------------------------
// Control

TRLCustomControl::TRLCustomControl(TRLCustomSite *parent) : m_parent(parent), m_borders(this)
{
    // A new control takes its parent's font and colour, as placing it on the
    // parent at design time does.
    if (m_parent) {
        m_font.Assign(m_parent->Font());
        m_color = m_parent->Color();
    }
}

TRLCustomControl::~TRLCustomControl()
{
    BeginDestroy();
    releaseHolds();
}

void TRLCustomControl::setBoundsRaw(int l, int t, int w, int h)
{
    m_left = l;
    m_top = t;
    m_width = w;
    m_height = h;
}

void TRLCustomControl::SetBounds(int left, int top, int width, int height)
{
    // Holders and real bounds are rare: a control without them checks this
    // one flag and goes the plain way.
    if (m_boundsLinked) [[unlikely]] {
        setBoundsLinked(left, top, width, height);
        return;
    }
    applyBounds(left, top, width, height);
}

bool TRLCustomControl::applyBounds(int left, int top, int width, int height)
{
    if (m_sizeFixed) {
        width = m_fixedWidth;
        height = m_fixedHeight;
    }
    if (left == m_left && top == m_top && width == m_width && height == m_height) {
        RealignControls();
        return false;
    }
    const int oldWidth = m_width, oldHeight = m_height;
    const unsigned ownSerial = m_alignSerial;
    const unsigned parentSerial = m_parent ? m_parent->m_alignSerial : 0;
    m_oldBounds = BoundsRect();
    setBoundsRaw(left, top, width, height);
    ExpandParentSite(oldWidth, oldHeight);
    // A parent that grew with this control has realigned its children with
    // the new bounds already, and a parent that placed this site has
    // realigned the site's children: each once is enough.
    if (m_parent && m_parent->m_alignSerial == parentSerial)
        m_parent->RealignControls();
    if (m_alignSerial == ownSerial)
        RealignControls();
    BoundsChanged();
    return true;
}

void TRLCustomControl::ExpandParentSite(int oldWidth, int oldHeight)
{
    if (m_state.has(stRestoringBounds) || m_state.has(stExpandingParent))
        return;
    StateGuard guard(m_state, stExpandingParent);
    auto grow = [&](bool vertical) {
        auto inSet = [vertical](TRLControlAlign a) { return a == faNone || (vertical ? IsHeightAlign(a) : IsWidthAlign(a)); };
        if (!inSet(m_align))
            return;
        TRLCustomSite *site = m_parent;
        while (site && !inSet(site->Align()))
            site = site->Parent();
        if (!site || !site->AutoSizeDir().has(vertical ? asHeightDir : asWidthDir))
            return;
        if (site->AutoSize())
            site->AdjustBounds();
        else if (site->AutoExpand() && m_behavior.has(beSiteExpander)) {
            if (vertical)
                site->SetHeight(site->Height() + (m_height - oldHeight));
            else
                site->SetWidth(site->Width() + (m_width - oldWidth));
        }
    };
    if (m_height != oldHeight)
        grow(true);
    if (m_width != oldWidth)
        grow(false);
}

void TRLCustomControl::SetVisible(bool v)
{
    if (v == m_visible)
        return;
    m_visible = v;
    if (m_parent) {
        m_parent->AdjustBounds();
        m_parent->RealignControls();
    }
}

void TRLCustomControl::SetAlign(TRLControlAlign align)
{
    if (align == m_align)
        return;
    const TRLControlAlign old = m_align;
    if (align != faNone)
        m_anchors = TRLControlAnchors{};
    const bool oldH = old == faNone || IsHeightAlign(old), oldW = old == faNone || IsWidthAlign(old);
    const bool newH = align == faNone || IsHeightAlign(align), newW = align == faNone || IsWidthAlign(align);
    if ((oldH && newW) || (oldW && newH)) {
        // Take the natural size first, then the new alignment.
        m_align = faNone;
        AdjustBounds();
    }
    m_align = align;
    if (m_parent)
        m_parent->RealignControls();
}

void TRLCustomControl::SetAutoSize(bool v)
{
    if (v == m_autoSize)
        return;
    m_autoSize = v;
    if (v)
        AdjustBounds();
}

void TRLCustomControl::SetTransparent(bool v)
{
    m_transparent = v;
    if (v && m_parent)
        m_color = m_parent->Color();
}

TColor TRLCustomControl::Color() const
{
    if (m_transparent && m_parent)
        return m_parent->Color();
    return m_color;
}

void TRLCustomControl::SetColor(TColor c)
{
    m_color = c;
    if (c != clWhite)
        m_transparent = false;
}

void TRLCustomControl::SetFont(const TFont &font)
{
    m_font.Assign(font);
    AdjustBounds();
}

void TRLCustomControl::SetFontName(const QString &name)
{
    m_font.SetName(name);
    AdjustBounds();
}

void TRLCustomControl::SetFontSize(int points)
{
    m_font.SetSize(points);
    AdjustBounds();
}

bool TRLCustomControl::ShowDesigners() const
{
    const TRLCustomReport *report = FindParentReport();
    return !report || report->ShowDesigners();
}

bool TRLCustomControl::IsPreparing() const
{
    const TRLCustomReport *report = FindParentReport();
    if (!report)
        return false;
    const TRLReportState state = report->ReportState();
    return state == rsWriting || state == rsClosing;
}

QString TRLCustomControl::Caption() const
{
    return IsPreparing() ? m_preparingCaption : m_caption;
}

void TRLCustomControl::SetCaption(const QString &caption)
{
    // Even the same text is measured again: the bounds it had may have been
    // restored to the design bounds since (every record starts from them).
    const bool preparing = IsPreparing();
    m_preparingCaption = caption;
    if (!preparing)
        m_caption = caption;
    AdjustBounds();
}

void TRLCustomControl::SetFixedSize(int width, int height)
{
    m_fixedWidth = width;
    m_fixedHeight = height;
    m_sizeFixed = true;
}

bool TRLCustomControl::IsMeasurable() const
{
    return m_autoSize || m_autoExpand || static_cast<bool>(OnMeasureHeight);
}

void TRLCustomControl::MeasureHeight()
{
    if (!m_visible || !IsMeasurable() || m_state.has(stMeasuringHeights))
        return;
    StateGuard guard(m_state, stMeasuringHeights);
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
    m_peekBounds = BoundsRect();
}

void TRLCustomControl::PopBoundsRect()
{
    StateGuard guard(m_state, stRestoringBounds);
    SetBoundsRect(m_peekBounds);
}

void TRLCustomControl::AdjustBounds()
{
    if (m_state.has(stAdjustingBounds))
        return;
    StateGuard guard(m_state, stAdjustingBounds);
    int w = m_width, h = m_height;
    CalcSize(w, h);
    int left = m_left, top = m_top;
    switch (m_alignment) {
    case taRightJustify:
        left = m_left + m_width - w;
        break;
    case taCenter:
        if (w % 2)
            ++w;
        left = m_left + (m_width - w) / 2;
        break;
    default:
        break;
    }
    switch (m_layout) {
    case tlBottom:
        top = m_top + m_height - h;
        break;
    case tlCenter:
        if (h % 2)
            ++h;
        top = m_top + (m_height - h) / 2;
        break;
    default:
        break;
    }
    SetBounds(left, top, w, h);
}

void TRLCustomControl::Realign()
{
    if (m_parent)
        m_parent->RealignControls();
}

void TRLCustomControl::CalcSize(int &width, int &height)
{
    width = m_width;
    height = m_height;
}

TRect TRLCustomControl::CalcNonClientRect() const
{
    TRect r;
    const int w = m_borders.Width();
    if (w > 0) {
        if (m_borders.CanDrawLeft())
            r.Left = w + 1;
        if (m_borders.CanDrawTop())
            r.Top = w + 1;
        if (m_borders.CanDrawRight())
            r.Right = w + 1;
        if (m_borders.CanDrawBottom())
            r.Bottom = w + 1;
    }
    return r;
}

TRect TRLCustomControl::ClientRect() const
{
    const TRect nc = CalcNonClientRect();
    return TRect{nc.Left, nc.Top, m_width - nc.Right, m_height - nc.Bottom};
}

TRect TRLCustomControl::CalcPrintBoundsRect() const
{
    // Offset by every ancestor that is not a site (none in a band of plain controls).
    return BoundsRect();
}

TRect TRLCustomControl::ReportBoundsRect() const
{
    TRect r = BoundsRect();
    for (const TRLCustomSite *s = m_parent; s; s = s->Parent()) {
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
    const int w = m_borders.Width();
    if (w > 0) {
        if (m_borders.CanDrawLeft())
            r.Left += w;
        if (m_borders.CanDrawTop())
            r.Top += w;
        if (m_borders.CanDrawRight())
            r.Right -= w;
        if (m_borders.CanDrawBottom())
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
    StateGuard guard(m_state, stPrinting);
    InternalPrint();
}

void TRLCustomControl::DrawBoundsFrame(TRLGraphicSurface &surface, const TRect &rect)
{
    surface.SetGeneratorId(this);
    NewGroupId();
    if (!m_transparent) {
        TBrush brush;
        brush.Color = Color();
        brush.Style = TBrushStyle::bsSolid;
        surface.SetBrush(brush);
        surface.FillRect(rect);
    }
    m_borders.PaintTo(surface, rect);
}

void TRLCustomControl::InternalPrint()
{
    if (TRLGraphicSurface *surface = FindParentSurface())
        DrawBoundsFrame(*surface, CalcPrintBoundsRect());
}

bool TRLCustomControl::CanPrint()
{
    m_couldPrint = m_visible;
    if (!m_couldPrint)
        return false;
    if (BeforePrintEvent)
        BeforePrintEvent(this, m_couldPrint);
    QString text;
    const TRLCustomBand *band = FindParentBand();
    if (!(band && band->IsBlank()))
        InternalMakeCaption(text);
    if (BeforeText)
        BeforeText(this, text, m_couldPrint);
    if (m_couldPrint) {
        const TRLCustomReport *report = FindParentReport();
        if (report && report->OnFilterText)
            report->OnFilterText(this, text, m_couldPrint);
    }
    if (m_couldPrint)
        SetCaption(text);
    return m_couldPrint;
}

// ---------------------------------------------------------------------------
// Ancestors

TRLCustomSite *TRLCustomControl::FindParentSite() const
{
    return m_parent;
}

TRLCustomBand *TRLCustomControl::FindParentBand() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent())
        if (TRLCustomBand *b = s->AsBand())
            return b;
    return nullptr;
}

TRLCustomGroup *TRLCustomControl::FindParentGroup() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent()) {
        if (auto *g = dynamic_cast<TRLCustomGroup *>(s))
            return g;
        if (s->AsPager())
            return nullptr;
    }
    return nullptr;
}

TRLCustomPager *TRLCustomControl::FindParentPager() const
{
    for (TRLCustomSite *s = m_parent; s; s = s->Parent())
        if (TRLCustomPager *p = s->AsPager())
            return p;
    return nullptr;
}

TRLCustomSkipper *TRLCustomControl::FindParentSkipper() const
{
    for (TRLCustomControl *c = const_cast<TRLCustomControl *>(this); c; c = c->m_parent)
        if (TRLCustomSkipper *k = c->AsSkipper())
            return k;
    return nullptr;
}

TRLCustomReport *TRLCustomControl::FindParentReport() const
{
    // Reports are never placed inside other controls: the report is the root.
    TRLCustomControl *c = const_cast<TRLCustomControl *>(this);
    while (c->m_parent)
        c = c->m_parent;
    return c->AsReport();
}

namespace {
[[noreturn]] void notFound(const TRLCustomControl *c, const char *what)
{
    throw Exception(LS().LS_NotFoundStr + QStringLiteral(": ") + c->Name() + QLatin1String(what));
}
} // namespace

TRLCustomPager *TRLCustomControl::RequestParentPager() const
{
    if (TRLCustomPager *p = FindParentPager())
        return p;
    notFound(this, ".ParentPager");
}

TRLCustomSkipper *TRLCustomControl::RequestParentSkipper() const
{
    if (TRLCustomSkipper *p = FindParentSkipper())
        return p;
    notFound(this, ".ParentSkipper");
}

TRLCustomReport *TRLCustomControl::RequestParentReport() const
{
    if (TRLCustomReport *p = FindParentReport())
        return p;
    notFound(this, ".ParentReport");
}

TRLGraphicSurface *TRLCustomControl::RequestParentSurface() const
{
    if (TRLGraphicSurface *s = FindParentSurface())
        return s;
    notFound(this, ".ParentSurface");
}

TRLGraphicSurface *TRLCustomControl::FindParentSurface() const
{
    return m_parent ? &m_parent->Surface() : nullptr;
}

TRLCustomReport *TRLCustomControl::MasterReport() const
{
    TRLCustomReport *r = FindParentReport();
    while (r && r->PriorReport())
        r = r->PriorReport();
    return r;
}

TRLCustomReport *TRLCustomControl::LastReport() const
{
    TRLCustomReport *r = FindParentReport();
    while (r && r->NextReport())
        r = r->NextReport();
    return r;
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
    if (m_holder || m_secondHolder) {
        const TRect held = heldBounds(left, top, width, height);
        left = held.Left;
        top = held.Top;
        width = held.Width();
        height = held.Height();
    }
    applyBounds(left, top, width, height);
    if (m_realBounds.UsedUnit() != buNone)
        m_realBounds.PixelsChanged();
    // Also when nothing changed here: the holder's parent may have moved.
    adjustHoldeds();
}

void TRLCustomControl::updateBoundsLinked()
{
    m_boundsLinked = m_holder || m_secondHolder || !m_holdeds.empty() || m_realBounds.UsedUnit() != buNone;
}

TRect TRLCustomControl::holderRectHere(const TRLCustomControl *holder) const
{
    if (holder->Parent() == m_parent)
        return holder->BoundsRect();
    // Another band (or panel): compare in the report's coordinates.
    const TRect theirs = holder->ReportBoundsRect();
    const TRect ours = ReportBoundsRect();
    const int dx = m_left - ours.Left, dy = m_top - ours.Top;
    return TRect{theirs.Left + dx, theirs.Top + dy, theirs.Right + dx, theirs.Bottom + dy};
}

TRect TRLCustomControl::heldBounds(int left, int top, int width, int height) const
{
    auto apply = [&](const TRLCustomControl *holder, TRLHoldStyle style, TPoint offset) {
        if (!holder)
            return;
        const TRect h = holderRectHere(holder);
        switch (style) {
        case hsAsColumn:
            left = h.Left + offset.X;
            width = h.Width();
            break;
        case hsHorizontally:
            left = h.Left + offset.X;
            break;
        case hsVertically:
            top = h.Top + offset.Y;
            break;
        case hsRelatively:
            left = h.Left + offset.X;
            top = h.Top + offset.Y;
            break;
        case hsCopyWidth:
            width = h.Width();
            break;
        case hsCopyHeight:
            height = h.Height();
            break;
        case hsCopySize:
            width = h.Width();
            height = h.Height();
            break;
        }
    };
    apply(m_holder, m_holdStyle, m_holderOffset);
    apply(m_secondHolder, m_secondHoldStyle, m_secondHolderOffset);
    return TRect{left, top, left + width, top + height};
}

void TRLCustomControl::adjustToHolders()
{
    // Asking for the bounds it has lets the holder rules move the control.
    SetBounds(m_left, m_top, m_width, m_height);
}

void TRLCustomControl::adjustHoldeds()
{
    // A control on its way through this already is not told again: holders
    // that hold on to each other settle after one round instead of looping.
    if (m_holdeds.empty() || m_state.has(stAdjustingHoldeds))
        return;
    StateGuard guard(m_state, stAdjustingHoldeds);
    // By index: a held control's reaction may let go of this one.
    for (size_t i = 0; i < m_holdeds.size(); ++i)
        m_holdeds[i]->adjustToHolders();
}

void TRLCustomControl::linkHolder(TRLCustomControl *&slot, TRLCustomControl *holder)
{
    if (holder == this || holder == slot)
        return;
    TRLCustomControl *old = slot;
    slot = holder;
    // The same control may be both holders; it lists this one once.
    if (old && old != m_holder && old != m_secondHolder) {
        std::erase(old->m_holdeds, this);
        old->updateBoundsLinked();
    }
    if (holder && std::find(holder->m_holdeds.begin(), holder->m_holdeds.end(), this) == holder->m_holdeds.end()) {
        holder->m_holdeds.push_back(this);
        holder->updateBoundsLinked();
    }
    updateBoundsLinked();
    adjustToHolders();
}

void TRLCustomControl::SetHolder(TRLCustomControl *holder)
{
    linkHolder(m_holder, holder);
}

void TRLCustomControl::SetSecondHolder(TRLCustomControl *holder)
{
    linkHolder(m_secondHolder, holder);
}

void TRLCustomControl::SetHoldStyle(TRLHoldStyle style)
{
    m_holdStyle = style;
    adjustToHolders();
}

void TRLCustomControl::SetSecondHoldStyle(TRLHoldStyle style)
{
    m_secondHoldStyle = style;
    adjustToHolders();
}

void TRLCustomControl::SetHolderOffset(TPoint offset)
{
    m_holderOffset = offset;
    adjustToHolders();
}

void TRLCustomControl::SetSecondHolderOffset(TPoint offset)
{
    m_secondHolderOffset = offset;
    adjustToHolders();
}

void TRLCustomControl::releaseHolds()
{
    // The controls held keep their bounds; they just stop following.
    for (TRLCustomControl *held : m_holdeds) {
        if (held->m_holder == this)
            held->m_holder = nullptr;
        if (held->m_secondHolder == this)
            held->m_secondHolder = nullptr;
        held->updateBoundsLinked();
    }
    m_holdeds.clear();
    for (TRLCustomControl *holder : {m_holder, m_secondHolder})
        if (holder) {
            std::erase(holder->m_holdeds, this);
            holder->updateBoundsLinked();
        }
    m_holder = m_secondHolder = nullptr;
    m_boundsLinked = false;
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
