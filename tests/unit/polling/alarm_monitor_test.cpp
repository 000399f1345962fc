#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "alarm_monitor.h"

namespace {

using Poll = std::optional<std::array<Millivolts, kAlarmChannels>>;
const Poll kFailed = std::nullopt;
Poll V(Millivolts first) { return std::array<Millivolts, kAlarmChannels>{first, 0, 0, 0}; }
Poll V4(Millivolts a, Millivolts b, Millivolts c, Millivolts d) {
    return std::array<Millivolts, kAlarmChannels>{a, b, c, d};
}

PolledUnit Polled(const Poll& poll) {
    PolledUnit polled;
    polled.address = 7;
    if (poll) {
        std::array<float, 4> volts{};
        for (size_t i = 0; i < kAlarmChannels; ++i) volts[i] = static_cast<float>((*poll)[i] * 0.001);
        polled.volts = volts;
    }
    return polled;
}

// "+H1 3.501/3.500": raised (+) or cleared (-), the kind's letter and the
// channel's number, the value and the limit.
std::string Brief(const AlarmEvent& event) {
    std::string text = event.raised ? "+" : "-";
    text += "HLSC"[static_cast<int>(event.kind)];
    if (event.kind == AlarmKind::High || event.kind == AlarmKind::Low) text += std::to_string(event.channel + 1);
    if (event.valueMv) text += " " + MillivoltsText(*event.valueMv);
    if (event.limitMv) text += "/" + MillivoltsText(*event.limitMv);
    return text;
}

// Each poll's events as "index:brief".
std::vector<std::string> Events(AlarmMonitor& monitor, const std::vector<Poll>& polls) {
    std::vector<std::string> seen;
    for (size_t i = 0; i < polls.size(); ++i) {
        for (const AlarmEvent& event : monitor.OnPoll(Polled(polls[i]))) {
            EXPECT_EQ(7, event.address);
            seen.push_back(std::to_string(i) + ":" + Brief(event));
        }
    }
    return seen;
}

}  // namespace

TEST(AlarmMonitorTest, RaisesAndClearsFollowLimitsHysteresisOnDelayAndFailedPolls) {
    const struct {
        const char* name;
        std::function<void(AlarmLimits&)> limits;
        std::vector<Poll> polls;
        std::vector<std::string> events;
    } cases[] = {
        {"exactly at the high limit is inside; inside the band holds the alarm",
         [](AlarmLimits& l) { l.highMv[0] = 3500; },
         {V(3500), V(3501), V(3491), V(3490)},
         {"1:+H1 3.501/3.500", "3:-H1 3.490/3.500"}},
        {"the low limit mirrors it",
         [](AlarmLimits& l) { l.lowMv[0] = 3000; },
         {V(3000), V(2999), V(3009), V(3010)},
         {"1:+L1 2.999/3.000", "3:-L1 3.010/3.000"}},
        {"on-delay 3 wants three polls in a row, both ways",
         [](AlarmLimits& l) {
             l.highMv[0] = 3500;
             l.onDelayPolls = 3;
         },
         {V(3501), V(3501), V(3400), V(3501), V(3501), V(3501), V(3400), V(3400), V(3501), V(3400), V(3400), V(3400)},
         {"5:+H1 3.501/3.500", "11:-H1 3.400/3.500"}},
        {"a failed poll neither counts nor breaks a row; three make a communication alarm",
         [](AlarmLimits& l) {
             l.highMv[0] = 3500;
             l.onDelayPolls = 2;
         },
         {V(3501), kFailed, V(3501), kFailed, kFailed, kFailed, V(3400), V(3400)},
         {"2:+H1 3.501/3.500", "5:+C", "6:-C", "7:-H1 3.400/3.500"}},
        {"the spread covers the watched channels only",
         [](AlarmLimits& l) {
             l.highMv = {4000, 4000, 4000, std::nullopt};
             l.spreadMv = 100;
         },
         {V4(3500, 3450, 3400, 0), V4(3501, 3450, 3400, 9000), V4(3491, 3450, 3400, 0), V4(3490, 3450, 3400, 0)},
         {"1:+S 0.101/0.100", "3:-S 0.090/0.100"}},
        {"no limits, no voltage events", [](AlarmLimits&) {}, {V(65535), V(0)}, {}},
    };
    for (const auto& c : cases) {
        AlarmLimits limits;
        c.limits(limits);
        ASSERT_EQ(std::nullopt, CheckLimits(limits)) << c.name;
        AlarmMonitor monitor(limits);
        EXPECT_EQ(c.events, Events(monitor, c.polls)) << c.name;
    }
}

TEST(AlarmMonitorTest, NewLimitsClearOnlyTheAlarmsWhoseLimitChanged) {
    AlarmLimits limits;
    limits.highMv[0] = 3500;
    limits.lowMv[1] = 3000;
    AlarmMonitor monitor(limits);
    Events(monitor, {V4(3600, 2000, 0, 0)});
    EXPECT_TRUE(monitor.Active(7).high[0] && monitor.Active(7).low[1]);
    EXPECT_FALSE(monitor.Active(8).Any());

    limits.highMv[0] = 3700;
    const std::vector<AlarmEvent> events = monitor.SetLimits(limits, LocalTime{});
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("-H1/3.500", Brief(events[0]));
    EXPECT_FALSE(monitor.Active(7).high[0]);
    EXPECT_TRUE(monitor.Active(7).low[1]);
    EXPECT_EQ(std::vector<std::string>{"0:+H1 3.701/3.700"}, Events(monitor, {V4(3701, 2000, 0, 0)}));
}

TEST(AlarmMonitorTest, AChannelJitteringAroundItsLimitRaisesOnceAndClearsOnce) {
    AlarmLimits limits;
    limits.highMv[0] = 3500;
    limits.hysteresisMv = 20;
    AlarmMonitor monitor(limits);
    std::mt19937 random(28);
    std::uniform_int_distribution<Millivolts> jitter(-5, 5);
    std::vector<Poll> polls;
    for (int i = 0; i < 200; ++i) polls.push_back(V(3500 + jitter(random)));
    polls.push_back(V(3480));
    const std::vector<std::string> events = Events(monitor, polls);
    ASSERT_EQ(2u, events.size());
    EXPECT_NE(std::string::npos, events[0].find(":+H1"));
    EXPECT_EQ("200:-H1 3.480/3.500", events[1]);
}

// A port that goes: every unit polled so far in communication alarm at once, once.
TEST(AlarmMonitorTest, AGoneLineRaisesEachKnownUnitsCommunicationAlarmOnce) {
    AlarmMonitor monitor;
    Events(monitor, {V(3500)});
    std::vector<std::string> seen;
    for (int call = 0; call < 2; ++call) {
        for (const AlarmEvent& event : monitor.Unreachable(LocalTime{})) seen.push_back(Brief(event));
    }
    EXPECT_EQ(std::vector<std::string>{"+C"}, seen);
    EXPECT_EQ(std::vector<std::string>{"0:-C"}, Events(monitor, {V(3500)}));
}
