#include <gtest/gtest.h>

#include "trend_viewport.h"

TEST(TrendViewportTest, FollowsUntilPannedZoomsAroundThePointerAndReturnsToLive) {
    TrendViewport view;
    view.NewestIs(100 * kMinuteMs);
    EXPECT_EQ(90 * kMinuteMs, view.Span().begin);
    view.ZoomTime(0.5, 92 * kMinuteMs);
    EXPECT_EQ(95 * kMinuteMs, view.Span().begin) << "a following view keeps its right edge";
    view.Pan(-kMinuteMs);
    EXPECT_FALSE(view.Following());
    view.NewestIs(200 * kMinuteMs);
    EXPECT_EQ(99 * kMinuteMs, view.Span().end) << "a panned view stays put";
    view.ZoomTime(2, 97 * kMinuteMs);  // the pointer at 97 min, 3/5 across
    EXPECT_EQ(91 * kMinuteMs, view.Span().begin);
    EXPECT_EQ(101 * kMinuteMs, view.Span().end);
    view.ZoomTime(1e-6, 0);
    EXPECT_EQ(TrendViewport::kNarrowestMs, view.Span().end - view.Span().begin);
    view.ReturnToLive(200 * kMinuteMs);
    EXPECT_TRUE(view.Following());
    EXPECT_EQ(200 * kMinuteMs, view.Span().end);

    view.ZoomVolts(0.5, 3.0, {2.0, 5.0});
    EXPECT_DOUBLE_EQ(2.5, view.Volts()->low);
    EXPECT_DOUBLE_EQ(4.0, view.Volts()->high);
}
