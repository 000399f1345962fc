#pragma once
// The alarm limits as the trend draws them: a horizontal line for each low
// and high limit of a channel that is drawn. Limits hold for every unit, so
// a channel's limit is one line however many units show that channel.
#include <vector>

#include "alarm_limits.h"
#include "trend_markers.h"

struct LimitLine {
    size_t channel = 0;
    bool high = false;  // the upper limit; false: the lower
    double volts = 0;
};

// In channel order, the low limit before the high one.
std::vector<LimitLine> LimitLines(const AlarmLimits& limits, const std::vector<TrendSeries>& drawn);
