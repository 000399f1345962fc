#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// A set of message ids kept as runs (first, last): what the store has
// finished with comes in long runs (delivered in order, dropped oldest
// first), so even a long outage is a handful of runs.
class IdRanges {
public:
    void Add(uint64_t first, uint64_t last);
    void Add(uint64_t id) { Add(id, id); }
    bool Contains(uint64_t id) const { return Covers(id, id); }
    // Every id of first..last is in the set.
    bool Covers(uint64_t first, uint64_t last) const;
    // How many ids of the set are at `from` or above.
    uint64_t CountFrom(uint64_t from) const;
    // The lowest id at or above `from` not in the set.
    uint64_t FirstGapFrom(uint64_t from) const;
    // The lowest id at or above `from` in the set; none: UINT64_MAX.
    uint64_t FirstInFrom(uint64_t from) const;
    // Forgets the ids below `id`.
    void ForgetBelow(uint64_t id);
    std::vector<std::pair<uint64_t, uint64_t>> Runs() const { return {m_runs.begin(), m_runs.end()}; }

private:
    std::map<uint64_t, uint64_t> m_runs;  // first -> last, apart and not touching
};
