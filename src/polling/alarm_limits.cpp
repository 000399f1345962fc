#include "alarm_limits.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

bool AlarmLimits::operator==(const AlarmLimits& other) const {
    return lowMv == other.lowMv && highMv == other.highMv && spreadMv == other.spreadMv &&
           hysteresisMv == other.hysteresisMv && onDelayPolls == other.onDelayPolls;
}

bool AlarmLimits::AnyLimit() const {
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        if (Watches(channel)) return true;
    }
    return spreadMv.has_value();
}

bool LimitProblem::operator==(const LimitProblem& other) const {
    return field == other.field && channel == other.channel && fault == other.fault;
}

namespace {

bool InRange(const std::optional<Millivolts>& value) { return !value || (*value >= 0 && *value <= kLargestLimitMv); }

}  // namespace

std::optional<LimitProblem> CheckLimits(const AlarmLimits& limits) {
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const auto& low = limits.lowMv[channel];
        const auto& high = limits.highMv[channel];
        if (!InRange(low)) return LimitProblem{LimitField::Low, channel, LimitFault::OutOfRange};
        if (!InRange(high)) return LimitProblem{LimitField::High, channel, LimitFault::OutOfRange};
        if (low && high && *low >= *high) return LimitProblem{LimitField::Low, channel, LimitFault::LowNotBelowHigh};
    }
    if (!InRange(limits.spreadMv)) return LimitProblem{LimitField::Spread, 0, LimitFault::OutOfRange};
    if (!InRange(limits.hysteresisMv)) return LimitProblem{LimitField::Hysteresis, 0, LimitFault::OutOfRange};
    if (limits.onDelayPolls < 1 || limits.onDelayPolls > kLongestOnDelayPolls) {
        return LimitProblem{LimitField::OnDelay, 0, LimitFault::OutOfRange};
    }
    // A hysteresis as wide as the band would hold an alarm that can never clear
    // (or one side's clear would raise the other).
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const auto& low = limits.lowMv[channel];
        const auto& high = limits.highMv[channel];
        if (low && high && limits.hysteresisMv >= *high - *low) {
            return LimitProblem{LimitField::Hysteresis, channel, LimitFault::HysteresisNotBelowGap};
        }
    }
    if (limits.spreadMv && limits.hysteresisMv >= *limits.spreadMv) {
        return LimitProblem{LimitField::Hysteresis, 0, LimitFault::HysteresisNotBelowSpread};
    }
    return std::nullopt;
}

VoltsEntry ParseVoltsEntry(const std::string& text) {
    size_t at = text.find_first_not_of(' ');
    const size_t end = text.find_last_not_of(' ');
    if (at == std::string::npos) return {true, std::nullopt};
    const bool negative = text[at] == '-';
    if (negative || text[at] == '+') ++at;

    int64_t millivolts = 0;
    int wholeDigits = 0;
    int decimals = 0;
    bool point = false;
    for (; at <= end; ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            if (point && ++decimals > 3) return {};
            if (!point) ++wholeDigits;
            // Past the largest limit the exact value no longer matters.
            if (millivolts <= kLargestLimitMv) millivolts = millivolts * 10 + (c - '0');
        } else {
            return {};
        }
    }
    if (wholeDigits + decimals == 0) return {};
    for (int missing = decimals; missing < 3; ++missing) millivolts *= 10;
    if (millivolts > kLargestLimitMv) millivolts = kLargestLimitMv + 1;
    return {true, static_cast<Millivolts>(negative ? -millivolts : millivolts)};
}

std::string MillivoltsText(Millivolts millivolts) {
    char text[24];
    const char* sign = millivolts < 0 ? "-" : "";
    const int64_t magnitude = std::llabs(int64_t{millivolts});
    std::snprintf(text, sizeof text, "%s%lld.%03lld", sign, static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    return text;
}

double Volts(Millivolts millivolts) { return millivolts / 1000.0; }

Millivolts ToMillivolts(double volts) { return static_cast<Millivolts>(std::lround(volts * 1000.0)); }
