#include <gtest/gtest.h>

#include "trend_limits.h"
#include "trend_markers.h"

// Unit 1 polled at 0, 1 and 2 s, unit 2 at 0.5 s (failed) and 1.5 s.
class TrendMarkersTest : public testing::Test {
protected:
    void SetUp() override {
        history.Append(1, 0, FourValues{3.0f, 1, 1, 1});
        history.Append(2, 500, std::nullopt);
        history.Append(1, 1000, FourValues{3.5f, 1, 1, 1});
        history.Append(2, 1500, FourValues{2.25f, 1, 1, 1});
        history.Append(1, 2000, FourValues{2.5f, 1, 1, 1});
    }
    TrendHistory history;
    std::vector<TrendSeries> drawn{{0, 0}, {1, 0}};
};

TEST_F(TrendMarkersTest, AClickSnapsToTheNearestPollHitsAMarkerToTakeItAwayAndMovesTheNearerOfTwo) {
    TrendMarkers markers;
    markers.Click(history, drawn, 1400, 50);
    markers.Click(history, drawn, 380, 50);
    EXPECT_EQ((std::vector<TrendMs>{1500, 500}), markers.Times());
    markers.Click(history, {{0, 0}}, 1800, 50);
    EXPECT_EQ((std::vector<TrendMs>{2000, 500}), markers.Times()) << "the nearer one moved, snapped to unit 1";
    markers.Click(history, drawn, 530, 50);
    EXPECT_EQ((std::vector<TrendMs>{2000}), markers.Times()) << "a click on a marker takes it away";
}

TEST_F(TrendMarkersTest, TheReadoutGivesEachSeriesAtEachMarkerAndTheDifferencesWithGapsAsDashes) {
    TrendMarkers markers;
    markers.Click(history, drawn, 0, 10);
    markers.Click(history, drawn, 1500, 10);
    EXPECT_EQ(
        "标记1 01-01 00:00:00.000\r\n"
        "地址1 电池1 3.000V\r\n"
        "地址2 电池1 ——\r\n"
        "标记2 01-01 00:00:01.500\r\n"
        "地址1 电池1 3.500V\r\n"
        "地址2 电池1 2.250V\r\n"
        "时间差 1.500s\r\n"
        "地址1 电池1 +0.500V\r\n"
        "地址2 电池1 ——\r\n",
        MarkerReadout(history, drawn, markers));
}

TEST_F(TrendMarkersTest, OnlyTheDrawnChannelsLimitsAreLinesOneForAllUnits) {
    AlarmLimits limits;
    limits.lowMv[0] = 3000;
    limits.highMv[0] = 3650;
    limits.highMv[2] = 14400;
    const std::vector<LimitLine> lines = LimitLines(limits, {{0, 0}, {1, 0}, {1, 1}, {0, 2}});
    ASSERT_EQ(3u, lines.size());
    EXPECT_FALSE(lines[0].high);
    EXPECT_DOUBLE_EQ(3.0, lines[0].volts);
    EXPECT_TRUE(lines[1].high);
    EXPECT_DOUBLE_EQ(14.4, lines[2].volts);
    EXPECT_TRUE(LimitLines(limits, {{0, 1}, {0, 3}}).empty());
}
