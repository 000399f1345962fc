#include "id_ranges.h"

void IdRanges::Add(uint64_t first, uint64_t last) {
    if (first > last) return;
    auto next = m_runs.upper_bound(first);
    if (next != m_runs.begin()) {
        const auto before = std::prev(next);
        if (before->second + 1 >= first) {  // overlaps or touches the run before
            if (before->second >= last) return;
            first = before->first;
            next = m_runs.erase(before);
        }
    }
    while (next != m_runs.end() && next->first <= last + 1) {
        if (next->second > last) last = next->second;
        next = m_runs.erase(next);
    }
    m_runs.emplace(first, last);
}

bool IdRanges::Covers(uint64_t first, uint64_t last) const {
    auto run = m_runs.upper_bound(first);
    if (run == m_runs.begin()) return false;
    --run;
    return run->first <= first && run->second >= last;
}

uint64_t IdRanges::CountFrom(uint64_t from) const {
    uint64_t count = 0;
    for (const auto& [first, last] : m_runs) {
        if (last >= from) count += last - (first > from ? first : from) + 1;
    }
    return count;
}

uint64_t IdRanges::FirstGapFrom(uint64_t from) const {
    auto run = m_runs.upper_bound(from);
    if (run == m_runs.begin()) return from;
    --run;
    return run->second >= from ? run->second + 1 : from;
}

uint64_t IdRanges::FirstInFrom(uint64_t from) const {
    if (Contains(from)) return from;
    const auto run = m_runs.upper_bound(from);
    return run == m_runs.end() ? UINT64_MAX : run->first;
}

void IdRanges::ForgetBelow(uint64_t id) {
    while (!m_runs.empty() && m_runs.begin()->first < id) {
        const auto [first, last] = *m_runs.begin();
        m_runs.erase(m_runs.begin());
        if (last >= id) m_runs.emplace(id, last);
    }
}
