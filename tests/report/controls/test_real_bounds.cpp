// Bounds in millimetres and inches: the pixels follow them with halves to
// even, they follow the pixels without losing what was typed, and without a
// unit they change nothing.
#include "report/pagination/RLReport.h"

#include <gtest/gtest.h>

using namespace prenso;

namespace {

TRect rectOf(int l, int t, int w, int h)
{
    return TRect{l, t, l + w, t + h};
}

class RealBounds : public ::testing::Test {
protected:
    RealBounds() : site(nullptr)
    {
        site.SetBounds(0, 0, 800, 800);
        control = site.AddChild<TRLCustomControl>();
        control->SetBounds(5, 6, 70, 80);
    }

    TRLCustomSite site;
    TRLCustomControl *control = nullptr;
};

} // namespace

TEST_F(RealBounds, PixelsFollowMillimetresAndInchesRoundingHalvesToEven)
{
    TRLRealBounds &rb = control->RealBounds();
    rb.SetUsedUnit(TRLRealBoundsUnit::buMilimeters);
    rb.SetLeft(10);    // 37.795... -> 38
    rb.SetTop(25.4);   // 96
    rb.SetWidth(210);  // 793.7 -> 794
    rb.SetHeight(297); // 1122.5... -> 1123
    EXPECT_EQ(control->BoundsRect(), rectOf(38, 96, 794, 1123));

    rb.SetUsedUnit(TRLRealBoundsUnit::buInches);
    rb.SetLeft(1.0 / 64);   // 1.5 -> 2
    rb.SetTop(3.0 / 64);    // 4.5 -> 4
    rb.SetWidth(2.5);       // 240
    rb.SetHeight(5.0 / 64); // 7.5 -> 8
    EXPECT_EQ(control->BoundsRect(), rectOf(2, 4, 240, 8));
}

TEST_F(RealBounds, ChoosingAUnitNeverMovesTheControl)
{
    TRLRealBounds &rb = control->RealBounds();
    control->SetBounds(96, 48, 192, 24);
    rb.SetUsedUnit(TRLRealBoundsUnit::buInches);
    EXPECT_DOUBLE_EQ(rb.Left(), 1.0);
    EXPECT_DOUBLE_EQ(rb.Top(), 0.5);
    EXPECT_DOUBLE_EQ(rb.Width(), 2.0);
    EXPECT_DOUBLE_EQ(rb.Height(), 0.25);
    rb.SetUsedUnit(TRLRealBoundsUnit::buMilimeters);
    EXPECT_DOUBLE_EQ(rb.Left(), 25.4);
    EXPECT_DOUBLE_EQ(rb.Width(), 50.8);
    EXPECT_EQ(control->BoundsRect(), rectOf(96, 48, 192, 24));
}

TEST_F(RealBounds, OtherChangesComeBackWithoutRoundingWhatDidNotMove)
{
    TRLRealBounds &rb = control->RealBounds();
    rb.SetUsedUnit(TRLRealBoundsUnit::buMilimeters);
    rb.SetLeft(10);
    rb.SetTop(10);
    ASSERT_EQ(control->Left(), 38);

    // Only the top moves: the left keeps its 10 mm, not the 38 pixels' 10.054 mm.
    control->SetTop(96);
    EXPECT_DOUBLE_EQ(rb.Left(), 10.0);
    EXPECT_DOUBLE_EQ(rb.Top(), 25.4);

    // A value that lands on the same pixel changes the value, not the control.
    rb.SetLeft(10.1);
    EXPECT_EQ(control->Left(), 38);
    EXPECT_DOUBLE_EQ(rb.Left(), 10.1);

    // Alignment is such another change.
    control->SetAlign(TRLControlAlign::faClient);
    EXPECT_EQ(control->BoundsRect(), rectOf(0, 0, 800, 800));
    EXPECT_DOUBLE_EQ(rb.Left(), 0.0);
    EXPECT_DOUBLE_EQ(rb.Width(), 800 * 25.4 / 96);
}

TEST_F(RealBounds, WithoutAUnitNothingFollows)
{
    TRLRealBounds &rb = control->RealBounds();
    rb.SetLeft(50);
    rb.SetWidth(50);
    EXPECT_EQ(control->BoundsRect(), rectOf(5, 6, 70, 80));
    control->SetBounds(1, 2, 3, 4);
    EXPECT_DOUBLE_EQ(rb.Left(), 50.0);
    EXPECT_DOUBLE_EQ(rb.Top(), 0.0);

    // Back to none from a unit: the values stay, the control is left alone.
    rb.SetUsedUnit(TRLRealBoundsUnit::buInches);
    rb.SetUsedUnit(TRLRealBoundsUnit::buNone);
    rb.SetLeft(3);
    EXPECT_EQ(control->Left(), 1);
}

TEST_F(RealBounds, AHolderRuleWinsAndTheValuesFollowIt)
{
    auto *holder = site.AddChild<TRLCustomControl>();
    holder->SetBounds(192, 0, 96, 10);
    control->SetHoldStyle(TRLHoldStyle::hsAsColumn);
    control->SetHolder(holder);
    TRLRealBounds &rb = control->RealBounds();
    rb.SetUsedUnit(TRLRealBoundsUnit::buInches);
    rb.SetLeft(0.5);
    rb.SetWidth(4);
    EXPECT_EQ(control->Left(), 192);
    EXPECT_EQ(control->Width(), 96);
    EXPECT_DOUBLE_EQ(rb.Left(), 2.0);
    EXPECT_DOUBLE_EQ(rb.Width(), 1.0);
}
