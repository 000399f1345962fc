#pragma once
// The operator's alarm limits: what a voltage may be, per channel, for every
// unit of a window or of a gateway's line. Portable and plain, so that the
// window, its trend, the command line and the gateway share one set of rules.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Limits are kept in whole millivolts, the units' own resolution: a value
// typed as "3.5" and a reading of raw 3500 compare exactly.
using Millivolts = int32_t;

constexpr size_t kAlarmChannels = 4;  // 电池1 to 电池4
constexpr Millivolts kLargestLimitMv = 655350;
constexpr Millivolts kDefaultHysteresisMv = 10;
constexpr int32_t kDefaultOnDelayPolls = 1;
constexpr int32_t kLongestOnDelayPolls = 100;

struct AlarmLimits {
    // Per channel; none means that limit is off.
    std::array<std::optional<Millivolts>, kAlarmChannels> lowMv{};
    std::array<std::optional<Millivolts>, kAlarmChannels> highMv{};
    // The most the unit's watched channels may differ; none means off.
    std::optional<Millivolts> spreadMv;
    // How far back inside a value must come before its alarm clears.
    Millivolts hysteresisMv = kDefaultHysteresisMv;
    // How many polls in a row a crossing (and a clear) must last.
    int32_t onDelayPolls = kDefaultOnDelayPolls;

    // The channel has a low or a high limit, so it is watched and counts in the spread.
    bool Watches(size_t channel) const { return lowMv[channel] || highMv[channel]; }
    // Some limit is set: without one only the communication alarm could ever be raised.
    bool AnyLimit() const;
    bool operator==(const AlarmLimits& other) const;
    bool operator!=(const AlarmLimits& other) const { return !(*this == other); }
};

enum class LimitField { Low, High, Spread, Hysteresis, OnDelay };

enum class LimitFault {
    NotANumber,                // not a decimal number with at most three decimals
    OutOfRange,                // outside 0.000-655.350 V (on-delay: 1-100 polls)
    LowNotBelowHigh,           // the channel's low limit is not below its high limit
    HysteresisNotBelowGap,     // the hysteresis reaches across the channel's low-high gap
    HysteresisNotBelowSpread,  // the hysteresis reaches the spread limit
};

// What is wrong, and where: the field, and for Low and High the channel.
struct LimitProblem {
    LimitField field = LimitField::Low;
    size_t channel = 0;
    LimitFault fault = LimitFault::OutOfRange;
    bool operator==(const LimitProblem& other) const;
};

// The first problem of a set of limits, field by field, none when all is well.
std::optional<LimitProblem> CheckLimits(const AlarmLimits& limits);

// A limit as typed: an empty text (spaces aside) is no limit.
struct VoltsEntry {
    bool valid = false;  // false: not a decimal number with at most three decimals
    std::optional<Millivolts> millivolts;
};
// "3.5", "3.500", "-1", "  12 ": whole millivolts, exactly; a number too large
// to hold reads as one just past the largest limit, so the range check names it.
VoltsEntry ParseVoltsEntry(const std::string& text);

// "3.500": volts with the table's three decimals.
std::string MillivoltsText(Millivolts millivolts);
double Volts(Millivolts millivolts);
// A reading in volts, to the nearest millivolt.
Millivolts ToMillivolts(double volts);
