// The look-ups of a control's ancestors by pagination's classes. The users of
// the tree ask any control for its pager, skipper or report, so the control
// declares them (RLControl.h); they are defined here, where those classes are
// known. The controls themselves reach the report and the pager only through
// the interfaces of controls/RLHosts.h.
#include "report/pagination/RLReport.h"

namespace prenso {

TRLCustomGroup *TRLCustomControl::FindParentGroup() const
{
    for (TRLCustomSite *s = FParent; s; s = s->Parent()) {
        if (auto *g = dynamic_cast<TRLCustomGroup *>(s))
            return g;
        if (s->FKinds & kKindPager)
            return nullptr;
    }
    return nullptr;
}

TRLCustomPager *TRLCustomControl::FindParentPager() const
{
    for (TRLCustomSite *s = FParent; s; s = s->Parent())
        if (s->FKinds & kKindPager)
            return static_cast<TRLCustomPager *>(s);
    return nullptr;
}

TRLCustomSkipper *TRLCustomControl::FindParentSkipper() const
{
    for (const TRLCustomControl *c = this; c; c = c->FParent)
        if (c->FKinds & kKindSkipper)
            return static_cast<TRLCustomSkipper *>(const_cast<TRLCustomControl *>(c));
    return nullptr;
}

TRLCustomReport *TRLCustomControl::FindParentReport() const
{
    // Reports are never placed inside other controls: the report is the root.
    const TRLCustomControl *c = this;
    while (c->FParent)
        c = c->FParent;
    return c->FKinds & kKindReport ? static_cast<TRLCustomReport *>(const_cast<TRLCustomControl *>(c)) : nullptr;
}

TRLCustomPager *TRLCustomControl::RequestParentPager() const
{
    if (TRLCustomPager *p = FindParentPager())
        return p;
    NotFound(".ParentPager");
}

TRLCustomSkipper *TRLCustomControl::RequestParentSkipper() const
{
    if (TRLCustomSkipper *p = FindParentSkipper())
        return p;
    NotFound(".ParentSkipper");
}

TRLCustomReport *TRLCustomControl::RequestParentReport() const
{
    if (TRLCustomReport *p = FindParentReport())
        return p;
    NotFound(".ParentReport");
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

} // namespace prenso
