#include "trend_scales.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kMarginShare = 0.05;
constexpr double kFlatHalfRange = 0.5;
// A hair of slack in tick arithmetic: -0.3 / 0.1 is -2.9999999999999996, and -0.3 is a tick.
constexpr double kTolerance = 1e-9;

constexpr TrendMs kTimeSteps[] = {
    kSecondMs,     2 * kSecondMs, 5 * kSecondMs,  10 * kSecondMs, 15 * kSecondMs, 30 * kSecondMs, kMinuteMs,
    2 * kMinuteMs, 5 * kMinuteMs, 10 * kMinuteMs, 15 * kMinuteMs, 30 * kMinuteMs, kHourMs,        2 * kHourMs,
    3 * kHourMs,   6 * kHourMs,   12 * kHourMs,   kDayMs,         2 * kDayMs,     7 * kDayMs,
};

TrendMs FloorTo(TrendMs value, TrendMs step) {
    const TrendMs q = value / step - (value % step != 0 && value < 0);
    return q * step;
}

std::string TimeLabel(TrendMs time, TrendMs step, bool withDate) {
    const LocalTime t = ToLocalTime(time);
    char text[40];
    if (step >= kDayMs) {
        std::snprintf(text, sizeof text, "%02d-%02d", t.month, t.day);
    } else if (step < kMinuteMs) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    }
    if (!withDate || step >= kDayMs) return text;
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%02d ", t.month, t.day);
    return date + std::string(text);
}

}  // namespace

VoltRange FitVolts(double low, double high) {
    if (!(high > low)) return {low - kFlatHalfRange, low + kFlatHalfRange};
    const double margin = (high - low) * kMarginShare;
    return {low - margin, high + margin};
}

std::vector<VoltTick> VoltTicks(VoltRange range, int maxTicks) {
    std::vector<VoltTick> ticks;
    const double span = range.high - range.low;
    if (!(span > 0) || maxTicks < 1) return ticks;
    double step = std::pow(10.0, std::floor(std::log10(span / maxTicks)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        const double wide = step * factor;
        if (std::floor(range.high / wide + kTolerance) - std::ceil(range.low / wide - kTolerance) + 1 <= maxTicks) {
            step *= factor;
            break;
        }
    }
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + kTolerance)));
    for (double k = std::ceil(range.low / step - kTolerance); k * step <= range.high + step * kTolerance; ++k) {
        // k × step, not a running sum, so 0.3 is 0.3 and not 0.30000000000000004.
        const double volts = k * step;
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, volts == 0 ? 0.0 : volts);
        ticks.push_back({volts, text});
    }
    return ticks;
}

std::vector<TimeTick> TimeTicks(TrendMs begin, TrendMs end, int maxTicks) {
    std::vector<TimeTick> ticks;
    if (end <= begin || maxTicks < 1) return ticks;
    TrendMs step = kTimeSteps[std::size(kTimeSteps) - 1];
    for (TrendMs candidate : kTimeSteps) {
        if ((end - begin) / candidate < maxTicks) {
            step = candidate;
            break;
        }
    }
    // Beyond 7 days a tick a week may still be too many: widen by whole weeks.
    while ((end - begin) / step >= maxTicks) step += 7 * kDayMs;
    TrendMs previousDay = 0;
    TrendMs first = FloorTo(begin, step);
    if (first < begin) first += step;
    for (TrendMs time = first; time <= end; time += step) {
        const TrendMs day = FloorTo(time, kDayMs);
        ticks.push_back({time, TimeLabel(time, step, ticks.empty() || day != previousDay)});
        previousDay = day;
    }
    return ticks;
}
