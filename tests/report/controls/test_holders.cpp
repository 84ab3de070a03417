// Holders: controls that keep their place or size relative to other controls,
// in the same band or in another one; two holders at once; holders that hold
// on to each other; and links that must not outlive either control (the
// sanitizer build turns a dangling one into a failure).
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace prenso;

namespace {

TRect rectOf(int l, int t, int w, int h)
{
    return TRect{l, t, l + w, t + h};
}

// A free-standing site holding plain controls: no report, no margins, no
// alignment, so that only the holder rules move anything.
class Holders : public ::testing::Test {
protected:
    Holders() : site(nullptr) { site.SetBounds(0, 0, 400, 300); }

    TRLCustomControl *add(int l, int t, int w, int h)
    {
        auto *c = site.AddChild<TRLCustomControl>();
        c->SetBounds(l, t, w, h);
        return c;
    }

    TRLCustomSite site;
};

} // namespace

TEST_F(Holders, EachStyleTakesItsCoordinatesFromTheHolderAndKeepsTheOthers)
{
    struct Case {
        TRLHoldStyle style;
        TRect expected; // held starts at (200, 150, 30 × 20); holder at (10, 20, 50 × 40)
    };
    const Case cases[] = {
        {TRLHoldStyle::hsAsColumn, rectOf(10 + 3, 150, 50, 20)},
        {TRLHoldStyle::hsHorizontally, rectOf(10 + 3, 150, 30, 20)},
        {TRLHoldStyle::hsVertically, rectOf(200, 20 + 4, 30, 20)},
        {TRLHoldStyle::hsRelatively, rectOf(10 + 3, 20 + 4, 30, 20)},
        {TRLHoldStyle::hsCopyWidth, rectOf(200, 150, 50, 20)},
        {TRLHoldStyle::hsCopyHeight, rectOf(200, 150, 30, 40)},
        {TRLHoldStyle::hsCopySize, rectOf(200, 150, 50, 40)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        TRLCustomSite local(nullptr);
        auto *holder = local.AddChild<TRLCustomControl>();
        holder->SetBounds(10, 20, 50, 40);
        auto *held = local.AddChild<TRLCustomControl>();
        held->SetBounds(200, 150, 30, 20);
        held->SetHoldStyle(c.style);
        held->SetHolderOffset(TPoint{3, 4});
        held->SetHolder(holder);
        EXPECT_EQ(held->BoundsRect(), c.expected);
        ASSERT_EQ(holder->Holdeds().size(), 1u);
        EXPECT_EQ(holder->Holdeds()[0], held);
    }
}

TEST_F(Holders, HeldControlsFollowTheHolderAndCannotLeaveIt)
{
    TRLCustomControl *holder = add(10, 20, 50, 40);
    TRLCustomControl *held = add(100, 100, 30, 20);
    held->SetHoldStyle(TRLHoldStyle::hsAsColumn);
    held->SetHolder(holder);
    ASSERT_EQ(held->BoundsRect(), rectOf(10, 100, 50, 20));

    holder->SetBounds(70, 5, 80, 40);
    EXPECT_EQ(held->BoundsRect(), rectOf(70, 100, 80, 20));

    // The held control still moves freely along the axis the holder leaves
    // alone, but not along the one it rules.
    held->SetBounds(0, 130, 10, 25);
    EXPECT_EQ(held->BoundsRect(), rectOf(70, 130, 80, 25));

    // A new offset or style applies at once.
    held->SetHolderOffset(TPoint{-5, 0});
    EXPECT_EQ(held->Left(), 65);
    held->SetHoldStyle(TRLHoldStyle::hsVertically);
    holder->SetTop(60);
    EXPECT_EQ(held->BoundsRect(), rectOf(65, 60, 80, 25));

    // Letting go keeps the bounds and stops the following.
    held->SetHolder(nullptr);
    EXPECT_TRUE(holder->Holdeds().empty());
    holder->SetBounds(0, 0, 10, 10);
    EXPECT_EQ(held->BoundsRect(), rectOf(65, 60, 80, 25));
}

TEST_F(Holders, TwoHoldersEachRuleTheirPartAndTheSecondWinsAConflict)
{
    TRLCustomControl *columns = add(40, 0, 60, 10);
    TRLCustomControl *rows = add(0, 80, 10, 15);
    TRLCustomControl *cell = add(200, 200, 5, 5);
    cell->SetHoldStyle(TRLHoldStyle::hsAsColumn);
    cell->SetHolder(columns);
    cell->SetSecondHoldStyle(TRLHoldStyle::hsVertically);
    cell->SetSecondHolder(rows);
    cell->SetSecondHolderOffset(TPoint{0, 2});
    EXPECT_EQ(cell->BoundsRect(), rectOf(40, 82, 60, 5));

    rows->SetTop(120);
    columns->SetLeft(50);
    EXPECT_EQ(cell->BoundsRect(), rectOf(50, 122, 60, 5));

    // Both rule Left: the second holder's word is final.
    cell->SetSecondHoldStyle(TRLHoldStyle::hsRelatively);
    EXPECT_EQ(cell->BoundsRect(), rectOf(0, 122, 60, 5));
    rows->SetLeft(7);
    columns->SetLeft(90);
    EXPECT_EQ(cell->Left(), 7);

    // One control as both holders is listed once, until both let go.
    cell->SetHolder(rows);
    ASSERT_EQ(rows->Holdeds().size(), 1u);
    EXPECT_TRUE(columns->Holdeds().empty());
    cell->SetHolder(nullptr);
    ASSERT_EQ(rows->Holdeds().size(), 1u);
    rows->SetTop(10);
    EXPECT_EQ(cell->Top(), 12);
    cell->SetSecondHolder(nullptr);
    EXPECT_TRUE(rows->Holdeds().empty());
}

TEST_F(Holders, NoControlHoldsOnToItselfAndRingsOfHoldersSettle)
{
    TRLCustomControl *self = add(10, 20, 30, 40);
    self->SetHoldStyle(TRLHoldStyle::hsRelatively);
    self->SetHolderOffset(TPoint{5, 5});
    self->SetHolder(self);
    self->SetSecondHolder(self);
    EXPECT_EQ(self->Holder(), nullptr);
    EXPECT_EQ(self->SecondHolder(), nullptr);
    EXPECT_TRUE(self->Holdeds().empty());
    EXPECT_EQ(self->BoundsRect(), rectOf(10, 20, 30, 40));

    // Each wants to be 10 pixels right of the other: no position satisfies
    // both, so the only demand is that the chain of adjustments ends.
    TRLCustomControl *a = add(0, 0, 10, 10);
    TRLCustomControl *b = add(50, 0, 10, 10);
    TRLCustomControl *c = add(90, 0, 10, 10);
    a->SetHoldStyle(TRLHoldStyle::hsHorizontally);
    b->SetHoldStyle(TRLHoldStyle::hsHorizontally);
    c->SetHoldStyle(TRLHoldStyle::hsHorizontally);
    a->SetHolderOffset(TPoint{10, 0});
    b->SetHolderOffset(TPoint{10, 0});
    c->SetHolderOffset(TPoint{10, 0});
    b->SetHolder(a);
    c->SetHolder(b);
    a->SetHolder(c); // closes the ring
    a->SetLeft(100);
    c->SetWidth(30);
    for (TRLCustomControl *x : {a, b, c})
        EXPECT_FALSE(x->ControlState().has(TRLControlStateType::stAdjustingHoldeds));

    // Copying widths both ways: each is held to the other, so they agree
    // and neither can leave the other.
    TRLCustomControl *p = add(0, 100, 40, 10);
    TRLCustomControl *q = add(0, 150, 20, 10);
    p->SetHoldStyle(TRLHoldStyle::hsCopyWidth);
    q->SetHoldStyle(TRLHoldStyle::hsCopyWidth);
    q->SetHolder(p);
    p->SetHolder(q);
    EXPECT_EQ(p->Width(), 40);
    EXPECT_EQ(q->Width(), 40);
    q->SetWidth(77);
    p->SetWidth(5);
    EXPECT_EQ(p->Width(), 40);
    EXPECT_EQ(q->Width(), 40);
}

TEST(HolderLinks, GoWithWhicheverControlIsDestroyed)
{
    auto holder = std::make_unique<TRLCustomControl>(nullptr);
    auto held = std::make_unique<TRLCustomControl>(nullptr);
    auto other = std::make_unique<TRLCustomControl>(nullptr);
    holder->SetBounds(10, 10, 50, 20);
    held->SetHoldStyle(TRLHoldStyle::hsCopyWidth);
    held->SetHolder(holder.get());
    held->SetSecondHoldStyle(TRLHoldStyle::hsVertically);
    held->SetSecondHolder(other.get());
    other->SetHolder(held.get());
    ASSERT_EQ(held->Width(), 50);

    holder.reset();
    EXPECT_EQ(held->Holder(), nullptr);
    EXPECT_EQ(held->Width(), 50);
    held->SetBounds(0, 0, 12, 12); // would read the freed holder if still linked
    EXPECT_EQ(held->Width(), 12);

    // The held control goes: its holder forgets it, the control that held
    // on to it lets go.
    held.reset();
    EXPECT_TRUE(other->Holdeds().empty());
    EXPECT_EQ(other->Holder(), nullptr);
    other->SetBounds(1, 2, 3, 4);
    EXPECT_EQ(other->BoundsRect(), rectOf(1, 2, 3, 4));
}

TEST(HolderLinks, PositionsAreComparedInTheReportsCoordinatesAcrossSites)
{
    // Two panels at different places: a control in one holds on to a
    // control in the other.
    TRLCustomSite root(nullptr);
    root.SetBounds(0, 0, 500, 500);
    auto *left = root.AddChild<TRLCustomSite>();
    left->SetBounds(20, 30, 200, 200);
    auto *right = root.AddChild<TRLCustomSite>();
    right->SetBounds(250, 100, 200, 200);
    auto *holder = left->AddChild<TRLCustomControl>();
    holder->SetBounds(5, 7, 40, 10);
    auto *held = right->AddChild<TRLCustomControl>();
    held->SetBounds(0, 0, 10, 10);
    held->SetHoldStyle(TRLHoldStyle::hsRelatively);
    held->SetHolder(holder);
    // The holder is at (25, 37) on the root; the right panel starts at (250, 100).
    EXPECT_EQ(held->ReportBoundsRect(), rectOf(25, 37, 10, 10));
    EXPECT_EQ(held->BoundsRect(), rectOf(25 - 250, 37 - 100, 10, 10));

    holder->SetLeft(15);
    EXPECT_EQ(held->ReportBoundsRect().Left, 35);
}

TEST(HolderLinks, ALabelColumnFollowsTheHeadingInAnotherBand)
{
    // The classic use: the detail text takes the left and width of its
    // column heading; when the heading's caption grows, the column follows.
    TRLReport report;
    report.SetShowProgress(false);
    auto *header = report.AddChild<TRLBand>();
    header->SetBandType(TRLBandType::btColumnHeader);
    auto *detail = report.AddChild<TRLBand>();
    auto *heading = header->AddChild<TRLCustomLabel>();
    heading->SetName(QStringLiteral("heading"));
    heading->SetLeft(120);
    heading->SetCaption(QStringLiteral("Qty"));
    auto *value = detail->AddChild<TRLCustomLabel>();
    value->SetAutoSize(false);
    value->SetHoldStyle(TRLHoldStyle::hsAsColumn);
    value->SetHolder(heading);
    EXPECT_EQ(value->ReportBoundsRect().Left, heading->ReportBoundsRect().Left);
    EXPECT_EQ(value->Width(), heading->Width());

    const int before = heading->Width();
    heading->SetCaption(QStringLiteral("Quantity delivered"));
    ASSERT_GT(heading->Width(), before);
    EXPECT_EQ(value->Width(), heading->Width());
    EXPECT_EQ(value->ReportBoundsRect().Left, heading->ReportBoundsRect().Left);

    // An auto-sized held label measures its caption but keeps the width it is held to.
    value->SetAutoSize(true);
    value->SetCaption(QStringLiteral("1"));
    EXPECT_EQ(value->Width(), heading->Width());
}
