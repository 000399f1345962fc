#pragma once
// The trend's two markers: where a click puts them, which one a click hits,
// and the readout of each drawn series' value at them.
#include <optional>
#include <string>
#include <vector>

#include "trend_history.h"

// One drawn line: a unit's channel.
struct TrendSeries {
    size_t unit = 0;
    size_t channel = 0;
};

class TrendMarkers {
public:
    static constexpr size_t kMost = 2;

    const std::vector<TrendMs>& Times() const { return m_times; }
    void Clear() { m_times.clear(); }
    // The marker within `tolerance` of `time`, the nearest if two are.
    std::optional<size_t> HitTest(TrendMs time, TrendMs tolerance) const;
    // A click at `time`: it takes away a marker it hits; otherwise it adds
    // one, snapped to the nearest poll of the drawn series, and with two
    // already there it moves the nearer of them.
    void Click(const TrendHistory& history, const std::vector<TrendSeries>& drawn, TrendMs time, TrendMs tolerance);

private:
    std::vector<TrendMs> m_times;
};

// The time of the poll of any drawn series nearest to `time`; `time` itself when nothing is drawn.
TrendMs SnapToPoll(const TrendHistory& history, const std::vector<TrendSeries>& drawn, TrendMs time);

// "地址1 电池1": a series as the list and the readout name it.
std::string SeriesName(const TrendHistory& history, const TrendSeries& series);

// One line per marker ("标记1 03-05 08:09:10.123") followed by each drawn
// series' value at its nearest poll ("地址1 电池1 3.456V", "——" for a failed
// poll); with two markers, then the time between them and each series' change.
std::string MarkerReadout(const TrendHistory& history, const std::vector<TrendSeries>& drawn,
                          const TrendMarkers& markers);

// Without markers: the time of the newest poll ("最新 03-05 08:09:10.123")
// and each drawn series' value at its unit's newest poll, as the table shows it.
std::string NewestReadout(const TrendHistory& history, const std::vector<TrendSeries>& drawn);
