// Sites (controls with children and a surface of their own): child
// alignment, the site's size from its children, and the steps of opening,
// drawing and placing their surfaces.
#include "report/controls/RLBand.h"
#include "report/controls/RLDesignPaint.h"
#include "report/controls/RLLabel.h"
#include "report/controls/RLStateGuard.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include <algorithm>
#include <array>
#include <bit>

namespace prenso {

namespace {
constexpr std::uint32_t alignMask(std::initializer_list<TRLControlAlign> aligns)
{
    std::uint32_t mask = 0;
    for (TRLControlAlign a : aligns)
        mask |= 1u << Ord(a);
    return mask;
}
// The groups of layout steps, by the aligns they place.
constexpr std::uint32_t kStackAligns = alignMask(
    {TRLControlAlign::faLeftMost, TRLControlAlign::faRightMost, TRLControlAlign::faTop, TRLControlAlign::faBottom,
     TRLControlAlign::faLeft, TRLControlAlign::faRight, TRLControlAlign::faClient});
constexpr std::uint32_t kEdgeRowAligns =
    alignMask({TRLControlAlign::faLeftTop, TRLControlAlign::faRightTop, TRLControlAlign::faClientTop,
               TRLControlAlign::faLeftBottom, TRLControlAlign::faRightBottom, TRLControlAlign::faClientBottom,
               TRLControlAlign::faClientLeft, TRLControlAlign::faClientRight});
constexpr std::uint32_t kEdgeAligns =
    alignMask({TRLControlAlign::faLeftOnly, TRLControlAlign::faRightOnly, TRLControlAlign::faTopOnly,
               TRLControlAlign::faBottomOnly, TRLControlAlign::faHeight, TRLControlAlign::faWidth});
constexpr std::uint32_t kCenterAligns =
    alignMask({TRLControlAlign::faCenterLeft, TRLControlAlign::faCenterTop, TRLControlAlign::faCenterRight,
               TRLControlAlign::faCenterBottom, TRLControlAlign::faCenter});

// The children of a site by Align, as alignChildren fills them.
using AlignLists = std::array<std::vector<TRLCustomControl *>, Ord(TRLControlAlign::faAlignCount)>;

// Bands stack by type first (header before title ... before footer), then group.
std::pair<int, int> bandKey(TRLCustomControl *c)
{
    const TRLCustomBand *b = c->AsBand();
    return b ? std::pair<int, int>{static_cast<int>(Ord(b->BandType())), b->GroupIndex()} : std::pair<int, int>{0, 0};
}

// Inside a list, controls keep the order of their edge in the direction
// they are aligned to.
template <typename Edge>
void sortBy(std::vector<TRLCustomControl *> &list, Edge edge)
{
    if (list.size() > 1)
        std::stable_sort(list.begin(), list.end(), [&](TRLCustomControl *a, TRLCustomControl *b) {
            const auto ka = bandKey(a), kb = bandKey(b);
            if (ka != kb)
                return ka < kb;
            return edge(a) < edge(b);
        });
}

void sortAlignLists(AlignLists &lists)
{
    auto byLeft = [](const TRLCustomControl *c) { return c->Left(); };
    auto byRight = [](const TRLCustomControl *c) { return -c->Left(); };
    auto byTop = [](const TRLCustomControl *c) { return c->Top(); };
    auto byBottom = [](const TRLCustomControl *c) { return -c->Top(); };
    for (TRLControlAlign a :
         {TRLControlAlign::faLeftMost, TRLControlAlign::faLeft, TRLControlAlign::faClient, TRLControlAlign::faLeftTop,
          TRLControlAlign::faClientTop, TRLControlAlign::faLeftBottom, TRLControlAlign::faClientBottom})
        sortBy(lists[Ord(a)], byLeft);
    for (TRLControlAlign a : {TRLControlAlign::faRightMost, TRLControlAlign::faRight, TRLControlAlign::faRightTop,
                              TRLControlAlign::faRightBottom})
        sortBy(lists[Ord(a)], byRight);
    for (TRLControlAlign a : {TRLControlAlign::faTop, TRLControlAlign::faClientLeft, TRLControlAlign::faClientRight})
        sortBy(lists[Ord(a)], byTop);
    sortBy(lists[Ord(TRLControlAlign::faBottom)], byBottom);
}

// The controls that take a whole side of what is left of `r` (the outermost
// first, then the inner ones), and those that share the rest; `r` shrinks
// by each.
void alignStacks(AlignLists &lists, TRect &r)
{
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faLeftMost)]) {
        c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
        r.Left += c->Width();
    }
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faRightMost)]) {
        c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
        r.Right -= c->Width();
    }
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faTop)]) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
        r.Top += c->Height();
    }
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faBottom)]) {
        c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
        r.Bottom -= c->Height();
    }
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faLeft)]) {
        c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
        r.Left += c->Width();
    }
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faRight)]) {
        c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
        r.Right -= c->Width();
    }
    if (const int n = static_cast<int>(lists[Ord(TRLControlAlign::faClient)].size())) {
        const int each = r.Width() / n;
        int x = r.Left;
        for (int i = 0; i < n; ++i) {
            const int w = i == n - 1 ? r.Right - x : each;
            lists[Ord(TRLControlAlign::faClient)][i]->SetBounds(x, r.Top, w, r.Height());
            x += w;
        }
    }
}

// One row along the top or the bottom edge of `r`; the row's height.
int alignEdgeRow(AlignLists &lists, const TRect &r, TRLControlAlign leftA, TRLControlAlign rightA,
                 TRLControlAlign clientA, bool top)
{
    int left = r.Left, right = r.Right, extent = 0;
    auto y = [&](const TRLCustomControl *c) { return top ? r.Top : r.Bottom - c->Height(); };
    for (TRLCustomControl *c : lists[Ord(leftA)]) {
        c->SetBounds(left, y(c), c->Width(), c->Height());
        left += c->Width();
        extent = std::max(extent, c->Height());
    }
    for (TRLCustomControl *c : lists[Ord(rightA)]) {
        c->SetBounds(right - c->Width(), y(c), c->Width(), c->Height());
        right -= c->Width();
        extent = std::max(extent, c->Height());
    }
    if (const int n = static_cast<int>(lists[Ord(clientA)].size())) {
        const int each = (right - left) / n;
        int x = left;
        for (int i = 0; i < n; ++i) {
            TRLCustomControl *c = lists[Ord(clientA)][i];
            const int w = i == n - 1 ? right - x : each;
            c->SetBounds(x, y(c), w, c->Height());
            x += w;
            extent = std::max(extent, c->Height());
        }
    }
    return extent;
}

// One column along the left or the right edge of `r`, between the rows.
void alignEdgeColumn(const std::vector<TRLCustomControl *> &list, const TRect &r, int topRow, int bottomRow,
                     bool leftSide)
{
    const int n = static_cast<int>(list.size());
    if (!n)
        return;
    const int top = r.Top + topRow, bottom = r.Bottom - bottomRow;
    const int each = (bottom - top) / n;
    int y = top;
    for (int i = 0; i < n; ++i) {
        TRLCustomControl *c = list[i];
        const int h = i == n - 1 ? bottom - y : each;
        c->SetBounds(leftSide ? r.Left : r.Right - c->Width(), y, c->Width(), h);
        y += h;
    }
}

// Rows along the top and bottom edges, then columns between them.
void alignEdgeRows(AlignLists &lists, const TRect &r)
{
    const int topRow = alignEdgeRow(lists, r, TRLControlAlign::faLeftTop, TRLControlAlign::faRightTop,
                                    TRLControlAlign::faClientTop, true);
    const int bottomRow = alignEdgeRow(lists, r, TRLControlAlign::faLeftBottom, TRLControlAlign::faRightBottom,
                                       TRLControlAlign::faClientBottom, false);
    alignEdgeColumn(lists[Ord(TRLControlAlign::faClientLeft)], r, topRow, bottomRow, true);
    alignEdgeColumn(lists[Ord(TRLControlAlign::faClientRight)], r, topRow, bottomRow, false);
}

void alignCenters(AlignLists &lists, const TRect &r)
{
    auto midX = [&](const TRLCustomControl *c) { return r.Left + (r.Width() - c->Width()) / 2; };
    auto midY = [&](const TRLCustomControl *c) { return r.Top + (r.Height() - c->Height()) / 2; };
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faCenterLeft)])
        c->SetBounds(r.Left, midY(c), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faCenterTop)])
        c->SetBounds(midX(c), r.Top, c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faCenterRight)])
        c->SetBounds(r.Right - c->Width(), midY(c), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faCenterBottom)])
        c->SetBounds(midX(c), r.Bottom - c->Height(), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faCenter)])
        c->SetBounds(midX(c), midY(c), c->Width(), c->Height());
}

// The controls without an align move or grow with the sides they are
// anchored to.
void followAnchors(const std::vector<TRLCustomControl *> &list, int deltaW, int deltaH)
{
    for (TRLCustomControl *c : list) {
        const TRLControlAnchors a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a.has(TRLControlAnchorsType::fkRight)) {
            if (a.has(TRLControlAnchorsType::fkLeft))
                w += deltaW;
            else
                l += deltaW;
        }
        if (a.has(TRLControlAnchorsType::fkBottom)) {
            if (a.has(TRLControlAnchorsType::fkTop))
                h += deltaH;
            else
                t += deltaH;
        }
        c->SetBounds(l, t, w, h);
    }
}
} // namespace

// ---------------------------------------------------------------------------
// Site

TRLCustomSite::TRLCustomSite(TRLCustomSite *parent)
    : TRLCustomControl(parent), FMargins(this), FInsideMargins(this), FSurface(std::make_unique<TRLGraphicSurface>())
{
    FKinds |= kKindSite;
    // Widths measured while the control part was being made are a plain
    // control's: a site measures its own.
    NonClientChanged();
}

TRLCustomSite::~TRLCustomSite()
{
    FKinds = kKindSite;
    FBandHost = nullptr;
    FReportHost = nullptr;
    NonClientChanged();
    // Children go first, while this site is still whole.
    while (!FChildren.empty())
        FChildren.pop_back();
}

TRect TRLCustomSite::CalcMarginalPixels() const
{
    return FMargins.Pixels();
}

TRect TRLCustomSite::CalcNonClientRect() const
{
    TRect nc = CalcMarginalPixels();
    const int bw = Borders().Width();
    if (bw > 0) {
        if (Borders().CanDrawLeft())
            nc.Left += bw;
        if (Borders().CanDrawTop())
            nc.Top += bw;
        if (Borders().CanDrawRight())
            nc.Right += bw;
        if (Borders().CanDrawBottom())
            nc.Bottom += bw;
    }
    const TRect inside = FInsideMargins.Pixels();
    nc.Left += inside.Left;
    nc.Top += inside.Top;
    nc.Right += inside.Right;
    nc.Bottom += inside.Bottom;
    return nc;
}

void TRLCustomSite::RealignControls()
{
    if (FState.has(TRLControlStateType::stAligningControls))
        return;
    StateGuard guard(FState, TRLControlStateType::stAligningControls);
    ++FAlignSerial;
    for (const auto &child : FChildren)
        child->FAlignSerialMark = child->FAlignSerial;
    alignChildren();
    // Child sites realign their own children; those this pass placed have
    // done so already.
    for (const auto &child : FChildren)
        if (child->IsSite() && child->Visible() && child->FAlignSerial == child->FAlignSerialMark)
            child->RealignControls();
}

void TRLCustomSite::alignChildren()
{
    const TRect client = ClientRect();
    const int deltaW = FLastClientWidth < 0 ? 0 : client.Width() - FLastClientWidth;
    const int deltaH = FLastClientHeight < 0 ? 0 : client.Height() - FLastClientHeight;
    FLastClientWidth = client.Width();
    FLastClientHeight = client.Height();
    if (FChildren.empty())
        return;

    // Most sites use two or three aligns: only the steps whose aligns are
    // present run.
    auto &lists = FAlignLists;
    for (std::uint32_t used = FAlignsUsed; used; used &= used - 1)
        lists[std::countr_zero(used)].clear();
    std::uint32_t present = 0;
    bool severalOfOne = false;
    for (const auto &child : FChildren)
        if (child->Visible()) {
            auto &list = lists[Ord(child->Align())];
            list.push_back(child.get());
            present |= 1u << Ord(child->Align());
            severalOfOne = severalOfOne || list.size() > 1;
        }
    FAlignsUsed = present;
    // Every layout step of a band runs this a few times per record: the
    // aligns present are tested as one mask per group of steps.
    auto any = [present](std::uint32_t mask) { return (present & mask) != 0; };

    if (severalOfOne)
        sortAlignLists(lists);
    TRect r = client;
    if (any(kStackAligns))
        alignStacks(lists, r);
    if (any(kEdgeRowAligns))
        alignEdgeRows(lists, r);
    if (any(kEdgeAligns))
        alignEdges(r);
    if (any(kCenterAligns))
        alignCenters(lists, r);
    // Anchored controls follow a change of the site's size.
    if (deltaW || deltaH)
        followAnchors(lists[Ord(TRLControlAlign::faNone)], deltaW, deltaH);
}

void TRLCustomSite::alignEdges(const TRect &r)
{
    auto &lists = FAlignLists;
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faLeftOnly)])
        c->SetBounds(r.Left, c->Top(), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faRightOnly)])
        c->SetBounds(r.Right - c->Width(), c->Top(), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faTopOnly)])
        c->SetBounds(c->Left(), r.Top, c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faBottomOnly)])
        c->SetBounds(c->Left(), r.Bottom - c->Height(), c->Width(), c->Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faHeight)])
        c->SetBounds(c->Left(), r.Top, c->Width(), r.Height());
    for (TRLCustomControl *c : lists[Ord(TRLControlAlign::faWidth)])
        c->SetBounds(r.Left, c->Top(), r.Width(), c->Height());
}

void TRLCustomSite::CalcSize(int &width, int &height)
{
    width = Width();
    height = Height();
    if (FBackground.AutoSize() && FBackground.TakePictureSize(width, height))
        return;
    if (!AutoSize())
        return;
    int sumW = 0, sumH = 0, maxW = 0, maxH = 0, right = 0, bottom = 0;
    for (const auto &child : FChildren) {
        if (!child->Visible())
            continue;
        const TRLControlAlign a = child->Align();
        if (a == TRLControlAlign::faNone) {
            right = std::max(right, child->Left() + child->Width());
            bottom = std::max(bottom, child->Top() + child->Height());
        }
        if (IsWidthAlign(a)) {
            if (a == TRLControlAlign::faCenterLeft || a == TRLControlAlign::faCenterRight ||
                a == TRLControlAlign::faClientLeft || a == TRLControlAlign::faClientRight ||
                a == TRLControlAlign::faLeftOnly || a == TRLControlAlign::faRightOnly)
                maxW = std::max(maxW, child->Width());
            else
                sumW += child->Width();
        }
        if (IsHeightAlign(a)) {
            if (a == TRLControlAlign::faCenterTop || a == TRLControlAlign::faCenterBottom ||
                a == TRLControlAlign::faClientTop || a == TRLControlAlign::faClientBottom ||
                a == TRLControlAlign::faTopOnly || a == TRLControlAlign::faBottomOnly)
                maxH = std::max(maxH, child->Height());
            else
                sumH += child->Height();
        }
    }
    const TRect client = ClientRect();
    const int needW = std::max({sumW, right - client.Left, maxW});
    const int needH = std::max({sumH, bottom - client.Top, maxH});
    const TRLControlAlign own = Align();
    const bool widthFixed = own == TRLControlAlign::faTop || own == TRLControlAlign::faBottom ||
                            own == TRLControlAlign::faClient || own == TRLControlAlign::faClientTop ||
                            own == TRLControlAlign::faClientBottom || own == TRLControlAlign::faWidth;
    const bool heightFixed = own == TRLControlAlign::faLeft || own == TRLControlAlign::faRight ||
                             own == TRLControlAlign::faLeftMost || own == TRLControlAlign::faRightMost ||
                             own == TRLControlAlign::faClient || own == TRLControlAlign::faClientLeft ||
                             own == TRLControlAlign::faClientRight || own == TRLControlAlign::faHeight;
    if (!widthFixed && needW != 0)
        width = Width() + (needW - client.Width());
    if (!heightFixed && needH != 0)
        height = Height() + (needH - client.Height());
}

void TRLCustomSite::Initialize()
{
    for (const auto &child : FChildren)
        child->Initialize();
}

void TRLCustomSite::ComputeDetail(TRLCustomControl *caller)
{
    for (const auto &child : FChildren)
        child->ComputeDetail(caller);
}

bool TRLCustomSite::CanPrint()
{
    FCouldPrint = Visible() && !FState.has(TRLControlStateType::stPrinting);
    if (FCouldPrint && BeforePrintEvent)
        BeforePrintEvent(this, FCouldPrint);
    return FCouldPrint;
}

void TRLCustomSite::InternalPrint()
{
    OpenSurface();
    WriteSurface();
    CloseSurface();
}

void TRLCustomSite::InternalMeasureHeight()
{
    for (const auto &child : FChildren)
        child->MeasureHeight();
    TRLCustomControl::InternalMeasureHeight();
}

void TRLCustomSite::CollectControls(std::vector<TRLCustomControl *> &out) const
{
    for (const auto &child : FChildren)
        if (!child->IsSite())
            out.push_back(child.get());
}

void TRLCustomSite::PushBoundsRecursive()
{
    PushBoundsRect();
    for (const auto &child : FChildren) {
        if (child->IsSite())
            static_cast<TRLCustomSite *>(child.get())->PushBoundsRecursive();
        else
            child->PushBoundsRect();
    }
}

void TRLCustomSite::PopBoundsRecursive()
{
    for (const auto &child : FChildren) {
        if (child->IsSite())
            static_cast<TRLCustomSite *>(child.get())->PopBoundsRecursive();
        else
            child->PopBoundsRect();
    }
    PopBoundsRect();
}

void TRLCustomSite::OpenSurface()
{
    if (FSurface->Opened())
        return;
    if (TRLCustomSite *parent = Parent(); parent && !parent->Surface().Opened())
        parent->OpenSurface();
    SurfaceOpening();
    MarkPrintPosition();
    FSurface->SetWidth(Width());
    FSurface->SetHeight(Height());
    FSurface->SetMargins(ClientRect());
    FSurface->Clear();
    FSurface->Open();
    if (Enabled())
        SurfaceBeginDraw();
    SurfaceOpened();
}

void TRLCustomSite::CloseSurface()
{
    if (!FSurface->Opened())
        return;
    if (Enabled())
        SurfaceEndDraw();
    SurfaceClosing();
    PlaceSurface();
    FSurface->Close();
    SurfaceClosed();
}

void TRLCustomSite::SurfaceOpening()
{}

void TRLCustomSite::SurfaceBeginDraw()
{
    // Every plain control decides (its events fire and its text is measured),
    // then those that will print draw themselves. The list is taken from the
    // site while it is walked, so that a handler that opens this surface
    // again (a page break from a header band) walks a list of its own.
    std::vector<TRLCustomControl *> controls = std::move(FDrawList);
    controls.clear();
    CollectControls(controls);
    for (TRLCustomControl *c : controls)
        c->CanPrint();
    for (TRLCustomControl *c : controls)
        if (c->CouldPrint()) {
            c->Print();
        }
    FDrawList = std::move(controls);
    // Panels inside print with their parent; bands and pagers print by the
    // pager's own rules.
    for (const auto &child : FChildren)
        if (child->IsSite() && !dynamic_cast<TRLCustomBandSet *>(child.get()) && child->CanPrint())
            child->Print();
}

void TRLCustomSite::MarkPrintPosition()
{
    const TRect r = CalcPrintBoundsRect();
    FPrintPosition = TPoint{r.Left, r.Top};
    FPrintSize = TPoint{Width(), Height()};
}

void TRLCustomSite::PlaceSurface()
{
    TRLGraphicSurface *parent = FindParentSurface();
    if (!parent)
        return;
    const TRect rect{FPrintPosition.X, FPrintPosition.Y, FPrintPosition.X + FPrintSize.X,
                     FPrintPosition.Y + FPrintSize.Y};
    DrawFrame(*parent, rect);
    parent->DrawTaking(FPrintPosition.X, FPrintPosition.Y, *FSurface); // cleared at its next opening anyway
}

void TRLCustomSite::DrawFrame(TRLGraphicSurface &surface, const TRect &rect)
{
    surface.SetGeneratorId(this);
    NewGroupId();
    const TColor color = Color();
    if (FDegrade.Direction != TRLDegradeDirection::ddNone && FDegrade.OppositeColor != color) {
        // A simple gradient in bands of `Granularity` pixels between the two colours.
        const bool horizontal = FDegrade.Direction == TRLDegradeDirection::ddHorizontal;
        const int extent = horizontal ? rect.Width() : rect.Height();
        const int step = std::max(1, FDegrade.Granularity);
        for (int i = 0; i < extent; i += step) {
            const double t = extent > 1 ? static_cast<double>(i) / (extent - 1) : 0.0;
            auto mix = [t](int a, int b) { return static_cast<int>(a + (b - a) * t + 0.5); };
            const TColor c1 = ColorToRGB(color), c2 = ColorToRGB(FDegrade.OppositeColor);
            TBrush brush;
            brush.Color = RGBColor(mix(GetRValue(c1), GetRValue(c2)), mix(GetGValue(c1), GetGValue(c2)),
                                   mix(GetBValue(c1), GetBValue(c2)));
            surface.SetBrush(brush);
            const int end = std::min(extent, i + step);
            surface.FillRect(horizontal ? TRect{rect.Left + i, rect.Top, rect.Left + end, rect.Bottom}
                                        : TRect{rect.Left, rect.Top + i, rect.Right, rect.Top + end});
        }
    } else if (!Transparent()) {
        TBrush brush;
        brush.Color = color;
        brush.Style = TBrushStyle::bsSolid;
        surface.SetBrush(brush);
        surface.FillRect(rect);
    }
    if (!FBackground.Empty())
        FBackground.PaintTo(surface, rect);
    if (OnDraw) {
        const TRect client = ClientRect();
        OnDraw(
            this, &surface,
            TRect{rect.Left + client.Left, rect.Top + client.Top, rect.Left + client.Right, rect.Top + client.Bottom});
    }
    Borders().PaintTo(surface, rect);
}

// ---------------------------------------------------------------------------
// Design view

void TRLCustomSite::DesignPaintChildren(TCanvas &canvas, const TRect &rect)
{
    // A designer shows every control, visible at run time or not.
    for (const auto &child : FChildren)
        child->DesignPaint(canvas, DesignOffset(child->BoundsRect(), rect.Left, rect.Top));
}

void TRLCustomSite::DesignPaint(TCanvas &canvas, const TRect &rect)
{
    DesignPaintFrame(canvas, rect);
    DesignPaintChildren(canvas, rect);
}

} // namespace prenso
