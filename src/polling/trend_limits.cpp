#include "trend_limits.h"

#include <algorithm>

std::vector<LimitLine> LimitLines(const AlarmLimits& limits, const std::vector<TrendSeries>& drawn) {
    std::vector<LimitLine> lines;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const bool shown = std::any_of(drawn.begin(), drawn.end(),
                                       [channel](const TrendSeries& series) { return series.channel == channel; });
        if (!shown) continue;
        if (limits.lowMv[channel]) lines.push_back({channel, false, Volts(*limits.lowMv[channel])});
        if (limits.highMv[channel]) lines.push_back({channel, true, Volts(*limits.highMv[channel])});
    }
    return lines;
}
