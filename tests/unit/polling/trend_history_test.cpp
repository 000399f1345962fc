#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "trend_history.h"

namespace {

constexpr TrendMs kStart = 1'700'000'000'000;

// Random walks with single spikes and runs of failed polls; unit 7's polls
// come at uneven intervals, unit 9's every second.
TrendHistory RandomHistory(size_t polls, size_t maxPolls = TrendHistory::kDefaultMaxPolls) {
    TrendHistory history(maxPolls);
    std::mt19937 random(29);
    std::uniform_real_distribution<float> step(-0.05f, 0.05f);
    std::uniform_int_distribution<int> dice(0, 99);
    FourValues walk{3.0f, 3.1f, 3.2f, 3.3f};
    TrendMs time = kStart;
    for (size_t i = 0; i < polls; ++i) {
        const int64_t address = i % 2 == 0 ? 7 : 9;
        time += address == 7 ? 1 + dice(random) * 40 : 1000;
        for (float& v : walk) v += step(random);
        FourValues values = walk;
        if (dice(random) == 0) values[i % 4] += 10.0f;  // a spike in one poll
        const bool failed = dice(random) < 3;
        history.Append(address, time, failed ? std::nullopt : std::optional<FourValues>(values));
    }
    return history;
}

// Every column of every view must hold the raw extremes of exactly the polls
// it claims, and the columns together must cover the view without a hole.
void ExpectColumnsMatchThePolls(const TrendHistory& history, TrendSpan span, size_t width) {
    for (size_t unit = 0; unit < history.UnitCount(); ++unit) {
        const std::vector<TrendColumn> columns = history.Columns(unit, span, width);
        ASSERT_FALSE(columns.empty());
        EXPECT_LE(columns.size(), width);
        EXPECT_LE(history.PollTime(unit, columns.front().firstPoll), std::max(span.begin, history.PollTime(unit, 0)));
        EXPECT_GE(columns.back().lastTime, std::min(span.end, history.PollTime(unit, history.PollCount(unit) - 1)));
        for (size_t i = 0; i < columns.size(); ++i) {
            const TrendColumn& column = columns[i];
            if (i > 0) {
                ASSERT_EQ(columns[i - 1].endPoll, column.firstPoll) << "a hole between columns";
            }
            for (size_t c = 0; c < kTrendChannels; ++c) {
                float min = std::numeric_limits<float>::infinity();
                float max = -min;
                bool gap = false;
                for (size_t poll = column.firstPoll; poll < column.endPoll; ++poll) {
                    const float v = history.PollValues(unit, poll)[c];
                    gap = gap || IsGap(v);
                    if (!IsGap(v)) min = std::min(min, v), max = std::max(max, v);
                }
                if (std::isinf(min)) {
                    EXPECT_TRUE(IsGap(column.min[c]) && IsGap(column.max[c]));
                } else {
                    ASSERT_EQ(min, column.min[c]) << "unit " << unit << " column " << i;
                    ASSERT_EQ(max, column.max[c]) << "unit " << unit << " column " << i;
                }
                EXPECT_EQ(gap, column.hasGap);
            }
        }
    }
}

}  // namespace

TEST(TrendHistoryTest, EveryColumnOfEveryLevelHoldsTheExtremesOfItsRawPolls) {
    const TrendHistory history = RandomHistory(200'000);
    const TrendSpan all = *history.Span();
    struct View {
        TrendMs begin, length;
        size_t width;
    };
    for (const View& view : {View{0, all.end - all.begin, 1920}, View{0, all.end - all.begin, 7},
                             View{3'600'000, 60'000, 1920}, View{1'234'567, 8 * 3'600'000, 640},
                             View{-60'000, 120'000, 300}, View{all.end - all.begin - 30'000, 600'000, 1000}}) {
        SCOPED_TRACE(view.length);
        ExpectColumnsMatchThePolls(history, {all.begin + view.begin, all.begin + view.begin + view.length}, view.width);
    }
}

TEST(TrendHistoryTest, PastItsLimitTheOldestQuarterGoesAndTheLevelsStayExact) {
    TrendHistory history = RandomHistory(50'000, 40'000);
    EXPECT_LE(history.PollCount(), 40'000u);
    EXPECT_GE(history.PollCount(), 30'000u);
    ExpectColumnsMatchThePolls(history, *history.Span(), 500);
}

TEST(TrendHistoryTest, AClockPutBackKeepsEachUnitsPollsInOrderAndNearestPollSnaps) {
    TrendHistory history;
    history.Append(1, 10'000, FourValues{1, 2, 3, 4});
    history.Append(1, 12'000, std::nullopt);
    history.Append(1, 11'000, FourValues{5, 6, 7, 8});
    EXPECT_EQ(12'000, history.PollTime(0, 2));
    EXPECT_TRUE(IsGap(history.PollValues(0, 1)[3]));
    for (auto [time, nearest] : {std::pair<TrendMs, size_t>{0, 0}, {10'999, 0}, {11'001, 1}, {99'999, 2}}) {
        EXPECT_EQ(nearest, history.NearestPoll(0, time)) << time;
    }
}
