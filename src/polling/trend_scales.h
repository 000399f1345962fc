#pragma once
// The trend's axes: the volt range the view shows, ticks at round volt steps,
// and clock-time ticks whose labels carry the date wherever the day changes.
#include <string>
#include <vector>

#include "trend_time.h"

struct VoltRange {
    double low = 0;
    double high = 1;
};

// The range that shows data from `low` to `high` with a little room above
// and below; a flat line gets half a volt either side.
VoltRange FitVolts(double low, double high);

struct VoltTick {
    double volts = 0;
    std::string label;  // "3.5": as many decimals as the step needs
};
// Ticks at multiples of 1, 2 or 5 × 10^k, at most `maxTicks` of them inside the range.
std::vector<VoltTick> VoltTicks(VoltRange range, int maxTicks);

struct TimeTick {
    TrendMs time = 0;
    // "08:30", "08:30:15" for steps under a minute, "03-06" for whole days;
    // the first tick and any tick on a new day lead with the date: "03-06 00:00".
    std::string label;
};
// Ticks at round local times (1 s up to 7 days), at most `maxTicks` in [begin, end].
std::vector<TimeTick> TimeTicks(TrendMs begin, TrendMs end, int maxTicks);
