#include "report/RLFilters.h"

#include <algorithm>

namespace prenso {
namespace {
std::vector<TRLCustomFilter *> &activeList()
{
    static std::vector<TRLCustomFilter *> list;
    return list;
}
TRLCustomFilter *g_selected = nullptr;
} // namespace

TRLCustomFilter::TRLCustomFilter(TComponent *owner) : TComponent(owner)
{
    activeList().push_back(this);
}

TRLCustomFilter::~TRLCustomFilter()
{
    auto &list = activeList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (g_selected == this)
        g_selected = nullptr;
}

const std::vector<TRLCustomFilter *> &ActiveFilters()
{
    return activeList();
}

TRLCustomFilter *SelectedFilter()
{
    return g_selected;
}

void SetSelectedFilter(TRLCustomFilter *filter)
{
    g_selected = filter;
}

} // namespace prenso
