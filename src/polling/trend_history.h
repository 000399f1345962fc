#pragma once
// The trend's memory of a run: every poll of every unit, and above the raw
// polls levels of per-bucket minimum and maximum (a mip-map, each bucket
// holding four of the level below). A view of any span reads one level
// whose buckets are a quarter to an eighth of a pixel column, so a redraw
// costs about the same for a minute as for a day, and since every column is
// made of whole buckets its minimum and maximum are those of its raw polls:
// thinning hides no spike.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "trend_time.h"

constexpr size_t kTrendChannels = 4;  // 电池1 to 电池4
using FourValues = std::array<float, kTrendChannels>;

// A failed poll's values: no number, so no line is drawn through it.
inline bool IsGap(float value) { return std::isnan(value); }

// The polls of one unit that fall into one pixel column, or one poll when
// polls are further apart than columns.
struct TrendColumn {
    size_t firstPoll = 0;  // the unit's polls [firstPoll, endPoll)
    size_t endPoll = 0;
    TrendMs firstTime = 0;  // of its first and of its last poll
    TrendMs lastTime = 0;
    FourValues min{};  // over the polls with values; NaN when every one failed
    FourValues max{};
    bool hasGap = false;  // a poll in it failed
};

class TrendHistory {
public:
    // Seven days at the cycle's fastest pace (two polls a second) fit, and a
    // day of 16 units each polled every second: about 36 bytes a poll.
    static constexpr size_t kDefaultMaxPolls = 2'000'000;

    explicit TrendHistory(size_t maxPolls = kDefaultMaxPolls) : m_maxPolls(maxPolls) {}

    void Clear();
    // Adds a poll of the unit at `address`; `volts` is none when it failed.
    // A time before the unit's last poll (the clock put back) is taken as
    // that last time, so each unit's polls stay in order. Past the limit the
    // oldest quarter of every unit's polls goes.
    void Append(int64_t address, TrendMs time, const std::optional<FourValues>& volts);

    // Units in the order of their first poll.
    size_t UnitCount() const { return m_units.size(); }
    int64_t Address(size_t unit) const { return m_units[unit].address; }
    std::optional<size_t> UnitOf(int64_t address) const;
    size_t PollCount() const { return m_pollCount; }
    size_t PollCount(size_t unit) const { return m_units[unit].times.size(); }
    TrendMs PollTime(size_t unit, size_t poll) const { return m_units[unit].times[poll]; }
    const FourValues& PollValues(size_t unit, size_t poll) const { return m_units[unit].values[poll]; }
    // From the earliest to the latest poll of any unit; none while empty.
    std::optional<TrendSpan> Span() const;

    // The unit's polls in `span` (with one on either side, so lines enter and
    // leave the view) as at most about `columns` columns.
    std::vector<TrendColumn> Columns(size_t unit, TrendSpan span, size_t columns) const;
    // The unit's poll nearest in time to `time`; none when it has none.
    std::optional<size_t> NearestPoll(size_t unit, TrendMs time) const;

    // What the history holds on the heap, in bytes.
    size_t MemoryBytes() const;

private:
    struct Bucket {
        FourValues min;
        FourValues max;
        bool hasGap;
    };
    struct Unit {
        int64_t address = 0;
        std::deque<TrendMs> times;
        std::deque<FourValues> values;
        // levels[k] has buckets of 4^(k+1) polls; each level's last bucket may be partial.
        std::vector<std::deque<Bucket>> levels;
    };

    static void AddToLevels(Unit& unit, size_t poll);
    void DropOldest();
    size_t FirstPollAtOrAfter(const Unit& unit, TrendMs time) const;
    static Bucket Combine(const Unit& unit, size_t level, size_t first, size_t end);

    size_t m_maxPolls;
    size_t m_pollCount = 0;
    std::vector<Unit> m_units;
    std::map<int64_t, size_t> m_unitOfAddress;
};
