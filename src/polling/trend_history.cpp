#include "trend_history.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t kFanout = 4;
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// Merges `value` into a running minimum and maximum; NaN (no value) never wins.
void Widen(float& min, float& max, float value) {
    if (IsGap(value)) return;
    if (IsGap(min) || value < min) min = value;
    if (IsGap(max) || value > max) max = value;
}

}  // namespace

void TrendHistory::Clear() {
    m_units.clear();
    m_unitOfAddress.clear();
    m_pollCount = 0;
}

std::optional<size_t> TrendHistory::UnitOf(int64_t address) const {
    const auto found = m_unitOfAddress.find(address);
    if (found == m_unitOfAddress.end()) return std::nullopt;
    return found->second;
}

void TrendHistory::Append(int64_t address, TrendMs time, const std::optional<FourValues>& volts) {
    auto [entry, added] = m_unitOfAddress.emplace(address, m_units.size());
    if (added) m_units.push_back(Unit{address, {}, {}, {}});
    Unit& unit = m_units[entry->second];
    if (!unit.times.empty()) time = std::max(time, unit.times.back());
    unit.times.push_back(time);
    unit.values.push_back(volts ? *volts : FourValues{kNoValue, kNoValue, kNoValue, kNoValue});
    AddToLevels(unit, unit.times.size() - 1);
    if (++m_pollCount > m_maxPolls) DropOldest();
}

// Poll `poll` joins the last bucket of every level, or opens a new one where
// its index starts a bucket; a new top level appears once the top has two buckets.
void TrendHistory::AddToLevels(Unit& unit, size_t poll) {
    const FourValues& values = unit.values[poll];
    const bool failed = IsGap(values[0]);
    size_t size = kFanout;
    for (size_t level = 0;; ++level, size *= kFanout) {
        if (level == unit.levels.size()) {
            if (poll < size / kFanout) return;  // the level below still fits in one bucket
            // Built from the level below (or the polls) as it stands.
            unit.levels.emplace_back();
            for (size_t first = 0; first <= poll; first += size) {
                unit.levels.back().push_back(Combine(unit, level, first, std::min(first + size, poll + 1)));
            }
            continue;
        }
        std::deque<Bucket>& buckets = unit.levels[level];
        if (poll % size == 0) {
            buckets.push_back(Bucket{values, values, failed});
        } else {
            Bucket& last = buckets.back();
            for (size_t c = 0; c < kTrendChannels; ++c) Widen(last.min[c], last.max[c], values[c]);
            last.hasGap = last.hasGap || failed;
        }
    }
}

// The minimum and maximum of polls [first, end) from the level below
// `level` (the polls themselves below level 0); `first` starts a bucket of it.
TrendHistory::Bucket TrendHistory::Combine(const Unit& unit, size_t level, size_t first, size_t end) {
    Bucket bucket{{kNoValue, kNoValue, kNoValue, kNoValue}, {kNoValue, kNoValue, kNoValue, kNoValue}, false};
    if (level == 0) {
        for (size_t poll = first; poll < end; ++poll) {
            for (size_t c = 0; c < kTrendChannels; ++c) Widen(bucket.min[c], bucket.max[c], unit.values[poll][c]);
            bucket.hasGap = bucket.hasGap || IsGap(unit.values[poll][0]);
        }
        return bucket;
    }
    size_t below = 1;
    for (size_t k = 0; k < level; ++k) below *= kFanout;
    for (size_t index = first / below; index * below < end; ++index) {
        const Bucket& part = unit.levels[level - 1][index];
        for (size_t c = 0; c < kTrendChannels; ++c) {
            Widen(bucket.min[c], bucket.max[c], part.min[c]);
            Widen(bucket.min[c], bucket.max[c], part.max[c]);
        }
        bucket.hasGap = bucket.hasGap || part.hasGap;
    }
    return bucket;
}

// Rare (days apart), so the levels are simply rebuilt from the polls kept.
void TrendHistory::DropOldest() {
    m_pollCount = 0;
    for (Unit& unit : m_units) {
        const size_t drop = (unit.times.size() + 3) / 4;
        unit.times.erase(unit.times.begin(), unit.times.begin() + static_cast<std::ptrdiff_t>(drop));
        unit.values.erase(unit.values.begin(), unit.values.begin() + static_cast<std::ptrdiff_t>(drop));
        unit.levels.clear();
        for (size_t poll = 0; poll < unit.times.size(); ++poll) AddToLevels(unit, poll);
        m_pollCount += unit.times.size();
    }
}

std::optional<TrendSpan> TrendHistory::Span() const {
    std::optional<TrendSpan> span;
    for (const Unit& unit : m_units) {
        if (unit.times.empty()) continue;
        if (!span) span = TrendSpan{unit.times.front(), unit.times.back()};
        span->begin = std::min(span->begin, unit.times.front());
        span->end = std::max(span->end, unit.times.back());
    }
    return span;
}

size_t TrendHistory::FirstPollAtOrAfter(const Unit& unit, TrendMs time) const {
    return static_cast<size_t>(std::lower_bound(unit.times.begin(), unit.times.end(), time) - unit.times.begin());
}

std::vector<TrendColumn> TrendHistory::Columns(size_t unitIndex, TrendSpan span, size_t columns) const {
    const Unit& unit = m_units[unitIndex];
    const size_t count = unit.times.size();
    size_t first = FirstPollAtOrAfter(unit, span.begin);
    if (first > 0) --first;
    size_t end = std::min(count, FirstPollAtOrAfter(unit, span.end + 1) + 1);
    std::vector<TrendColumn> result;
    if (first >= end || columns == 0) return result;

    // The coarsest level whose buckets still come at least two to a column.
    size_t level = 0;  // 0: the polls; k: levels[k - 1]
    size_t size = 1;
    while (level < unit.levels.size() && size * kFanout * 2 * columns <= end - first) {
        ++level;
        size *= kFanout;
    }
    // Whole buckets: the first rounded down, the end rounded up (or the last poll).
    first -= first % size;
    end = std::min(count, (end + size - 1) / size * size);

    const TrendMs width = std::max<TrendMs>(1, span.end - span.begin);
    size_t from = first;
    for (size_t column = 1; column <= columns && from < end; ++column) {
        size_t to = end;
        if (column < columns) {
            const TrendMs edge = span.begin + static_cast<TrendMs>((static_cast<double>(width) * column) / columns);
            // Searched from the column before on: the edges only move right.
            const auto begin = unit.times.begin();
            to = static_cast<size_t>(std::lower_bound(begin + static_cast<std::ptrdiff_t>(from),
                                                      begin + static_cast<std::ptrdiff_t>(end), edge) -
                                     begin);
            to -= to % size;
            if (to <= from) continue;
        }
        TrendColumn out;
        out.firstPoll = from;
        out.endPoll = to;
        out.firstTime = unit.times[from];
        out.lastTime = unit.times[to - 1];
        const Bucket merged = Combine(unit, level, from, to);
        out.min = merged.min;
        out.max = merged.max;
        out.hasGap = merged.hasGap;
        result.push_back(out);
        from = to;
    }
    return result;
}

std::optional<size_t> TrendHistory::NearestPoll(size_t unitIndex, TrendMs time) const {
    const Unit& unit = m_units[unitIndex];
    if (unit.times.empty()) return std::nullopt;
    const size_t after = FirstPollAtOrAfter(unit, time);
    if (after == 0) return 0;
    if (after == unit.times.size()) return after - 1;
    return time - unit.times[after - 1] <= unit.times[after] - time ? after - 1 : after;
}

size_t TrendHistory::MemoryBytes() const {
    size_t bytes = m_units.capacity() * sizeof(Unit) + m_unitOfAddress.size() * 48;
    for (const Unit& unit : m_units) {
        bytes += unit.times.size() * sizeof(TrendMs) + unit.values.size() * sizeof(FourValues);
        for (const std::deque<Bucket>& level : unit.levels) bytes += level.size() * sizeof(Bucket);
    }
    return bytes;
}
