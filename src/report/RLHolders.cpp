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
#include "report/RLControls.h"

#include "report/RLStateGuard.h"

#include <algorithm>

namespace prenso {

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

} // namespace prenso
