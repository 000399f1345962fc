#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "trend_scales.h"

namespace {

// 2024-03-05 23:59:50, local.
constexpr TrendMs kBeforeMidnight = 19787 * kDayMs + 23 * kHourMs + 59 * kMinuteMs + 50 * kSecondMs;

std::vector<std::string> Labels(const std::vector<TimeTick>& ticks) {
    std::vector<std::string> labels;
    for (const TimeTick& tick : ticks) labels.push_back(tick.label);
    return labels;
}

}  // namespace

TEST(TrendScalesTest, VoltTicksFallOnRoundStepsWithTheDecimalsTheStepNeeds) {
    struct Case {
        VoltRange range;
        int maxTicks;
        std::vector<std::string> labels;
    };
    for (const Case& c :
         {Case{{0, 1}, 6, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}}, Case{{3.41, 3.47}, 4, {"3.42", "3.44", "3.46"}},
          Case{{-0.3, 0.3}, 7, {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}},
          Case{{0, 65.535}, 5, {"0", "20", "40", "60"}},
          Case{{12.0004, 12.0006}, 3, {"12.0004", "12.0005", "12.0006"}}}) {
        std::vector<std::string> labels;
        for (const VoltTick& tick : VoltTicks(c.range, c.maxTicks)) labels.push_back(tick.label);
        EXPECT_EQ(c.labels, labels) << c.range.low << ".." << c.range.high;
    }
    EXPECT_DOUBLE_EQ(2.5, FitVolts(3, 3).low) << "a flat line gets room";
    EXPECT_DOUBLE_EQ(4.05, FitVolts(3, 4).high);
}

TEST(TrendScalesTest, TimeTicksAtEverySpanAreRoundFewEnoughAndDatedWhereTheDayChanges) {
    for (TrendMs span = 10 * kSecondMs; span <= 7 * kDayMs; span = span * 3 / 2) {
        SCOPED_TRACE(span);
        const std::vector<TimeTick> ticks = TimeTicks(kBeforeMidnight - span / 3, kBeforeMidnight + span, 8);
        ASSERT_GE(ticks.size(), 2u);
        ASSERT_LE(ticks.size(), 8u);
        const TrendMs step = ticks[1].time - ticks[0].time;
        for (size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_EQ(0, ticks[i].time % step) << "on a round time";
            if (i > 0) {
                EXPECT_EQ(step, ticks[i].time - ticks[i - 1].time);
            }
            const bool newDay = i == 0 || ticks[i].time / kDayMs != ticks[i - 1].time / kDayMs;
            EXPECT_EQ(newDay || step >= kDayMs, ticks[i].label.size() >= 5 && ticks[i].label[2] == '-')
                << ticks[i].label;
            if (step < kDayMs) {
                const LocalTime t = ToLocalTime(ticks[i].time);
                char clock[16];
                std::snprintf(clock, sizeof clock, "%02d:%02d", t.hour, t.minute);
                EXPECT_NE(std::string::npos, ticks[i].label.find(clock)) << "the tick's own clock time";
            }
        }
    }
    EXPECT_EQ((std::vector<std::string>{"03-05 23:59:50", "23:59:55", "03-06 00:00:00", "00:00:05"}),
              Labels(TimeTicks(kBeforeMidnight, kBeforeMidnight + 15 * kSecondMs, 5)));
    EXPECT_EQ((std::vector<std::string>{"03-05 18:00", "03-06 00:00", "06:00", "12:00", "18:00"}),
              Labels(TimeTicks(kBeforeMidnight - 6 * kHourMs, kBeforeMidnight + 24 * kHourMs, 6)));
    EXPECT_EQ((std::vector<std::string>{"03-06", "03-07", "03-08"}),
              Labels(TimeTicks(kBeforeMidnight, kBeforeMidnight + 2 * kDayMs + kHourMs, 3)));
}

TEST(TrendTimeTest, RecordTimesReadBackAsTheyWereWrittenAndImpossibleOnesAreRefused) {
    const LocalTime leap{2024, 2, 29, 23, 59, 59, 999};
    EXPECT_EQ("2024-02-29T23:59:59.999", IsoLocalTime(ToLocalTime(*ParseIsoLocalTime(IsoLocalTime(leap)))));
    EXPECT_EQ(ParseIsoLocalTime("2024-02-29T23:59:59.000"), ParseIsoLocalTime("2024-02-29 23:59:59"));
    for (const char* bad : {"2024-02-30T00:00:00.000", "2024-13-01T00:00:00", "2024-01-01T24:00:00",
                            "2024-01-01T00:00:00.5", "2024-1-01T00:00:00", "2024-01-01T00:00:00.000Z", ""}) {
        EXPECT_FALSE(ParseIsoLocalTime(bad)) << bad;
    }
    EXPECT_EQ("1:01:01.500", DurationText(kHourMs + kMinuteMs + 1500));
    EXPECT_EQ("-2.050s", DurationText(-2050));
}
