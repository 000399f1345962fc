#include <gtest/gtest.h>

#include <functional>

#include "alarm_limits.h"

TEST(AlarmLimitsTest, TypedVoltsAreExactMillivoltsAndAnythingElseIsNotANumber) {
    const struct {
        const char* text;
        bool valid;
        std::optional<Millivolts> millivolts;
    } cases[] = {
        {"", true, std::nullopt},
        {"   ", true, std::nullopt},
        {"3.5", true, 3500},
        {" 3.500 ", true, 3500},
        {"0.001", true, 1},
        {"655.35", true, 655350},
        {".5", true, 500},
        {"7.", true, 7000},
        {"-1", true, -1000},
        {"+2", true, 2000},
        {"99999999999", true, kLargestLimitMv + 1},
        {"3.4567", false, {}},
        {"1,5", false, {}},
        {"abc", false, {}},
        {".", false, {}},
        {"1.2.3", false, {}},
        {"1 2", false, {}},
        {"-", false, {}},
    };
    for (const auto& c : cases) {
        const VoltsEntry entry = ParseVoltsEntry(c.text);
        EXPECT_EQ(c.valid, entry.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(c.millivolts, entry.millivolts) << c.text;
        }
    }
    EXPECT_EQ("3.500", MillivoltsText(3500));
    EXPECT_EQ("0.005", MillivoltsText(5));
    EXPECT_EQ("-1.020", MillivoltsText(-1020));
}

TEST(AlarmLimitsTest, EachBadSettingIsRefusedWithItsFieldAndChannelNamed) {
    using Change = std::function<void(AlarmLimits&)>;
    const struct {
        Change change;
        std::optional<LimitProblem> problem;
    } cases[] = {
        {[](AlarmLimits&) {}, std::nullopt},
        {[](AlarmLimits& l) {
             l.highMv[2] = kLargestLimitMv;
             l.lowMv[2] = 0;
         },
         std::nullopt},
        {[](AlarmLimits& l) { l.lowMv[1] = -1; }, LimitProblem{LimitField::Low, 1, LimitFault::OutOfRange}},
        {[](AlarmLimits& l) { l.highMv[3] = kLargestLimitMv + 1; },
         LimitProblem{LimitField::High, 3, LimitFault::OutOfRange}},
        {[](AlarmLimits& l) {
             l.lowMv[2] = 3500;
             l.highMv[2] = 3500;
         },
         LimitProblem{LimitField::Low, 2, LimitFault::LowNotBelowHigh}},
        {[](AlarmLimits& l) { l.spreadMv = -5; }, LimitProblem{LimitField::Spread, 0, LimitFault::OutOfRange}},
        {[](AlarmLimits& l) { l.hysteresisMv = -1; }, LimitProblem{LimitField::Hysteresis, 0, LimitFault::OutOfRange}},
        {[](AlarmLimits& l) { l.onDelayPolls = 0; }, LimitProblem{LimitField::OnDelay, 0, LimitFault::OutOfRange}},
        {[](AlarmLimits& l) { l.onDelayPolls = kLongestOnDelayPolls + 1; },
         LimitProblem{LimitField::OnDelay, 0, LimitFault::OutOfRange}},
        // The hysteresis must fit inside the band between low and high...
        {[](AlarmLimits& l) {
             l.lowMv[1] = 3000;
             l.highMv[1] = 3011;
         },
         std::nullopt},
        {[](AlarmLimits& l) {
             l.lowMv[1] = 3000;
             l.highMv[1] = 3010;
         },
         LimitProblem{LimitField::Hysteresis, 1, LimitFault::HysteresisNotBelowGap}},
        // ...and below the spread limit.
        {[](AlarmLimits& l) { l.spreadMv = 11; }, std::nullopt},
        {[](AlarmLimits& l) { l.spreadMv = 10; },
         LimitProblem{LimitField::Hysteresis, 0, LimitFault::HysteresisNotBelowSpread}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        AlarmLimits limits;
        cases[i].change(limits);
        EXPECT_EQ(cases[i].problem, CheckLimits(limits)) << "case " << i;
    }
}
