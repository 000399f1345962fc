#include "scripted_input.h"

#include <algorithm>

void ScriptedInput::ArriveUs(uint64_t atUs, const std::vector<uint8_t>& bytes, uint32_t charUs) {
    uint64_t at = atUs;
    for (uint8_t byte : bytes) {
        at += charUs;
        const auto place = std::upper_bound(m_incoming.begin(), m_incoming.end(), at,
                                            [](uint64_t t, const Pending& p) { return t < p.atUs; });
        m_incoming.insert(place, {at, byte});
    }
}

uint32_t ScriptedInput::Queued() const {
    uint32_t queued = 0;
    for (const Pending& p : m_incoming) {
        if (p.atUs > m_clock.NowUs()) break;
        ++queued;
    }
    return queued;
}

void ScriptedInput::StartRead(const uint8_t* dest, uint32_t count) {
    const auto start = reinterpret_cast<uintptr_t>(dest);
    m_readStart = std::min(m_readStart, start);
    m_readEnd = std::max(m_readEnd, start + count);
    m_clock.AdvanceToUs(m_clock.NowUs() + readCostUs);
}

uint32_t ScriptedInput::TakeArrived(uint8_t* dest, uint32_t count) {
    uint32_t n = 0;
    while (n < count && !m_incoming.empty() && m_incoming.front().atUs <= m_clock.NowUs()) {
        dest[n++] = m_incoming.front().byte;
        m_incoming.pop_front();
    }
    return n;
}

void ScriptedInput::DropArrived() {
    while (!m_incoming.empty() && m_incoming.front().atUs <= m_clock.NowUs()) m_incoming.pop_front();
}

bool ScriptedInput::TakeLineError() {
    auto due =
        std::find_if(m_lineErrorsUs.begin(), m_lineErrorsUs.end(), [&](uint64_t at) { return at <= m_clock.NowUs(); });
    if (due == m_lineErrorsUs.end()) return false;
    m_lineErrorsUs.erase(due);
    return true;
}

bool ScriptedInput::ArrivalOf(uint32_t n, uint64_t& atUs) const {
    if (n == 0 || n > m_incoming.size()) return false;
    atUs = m_incoming[n - 1].atUs;
    return true;
}

uint64_t ScriptedInput::NextEventUs(uint64_t untilUs) const {
    uint64_t next = std::min(untilUs, m_hangUpUs);
    if (!m_incoming.empty()) next = std::min(next, m_incoming.front().atUs);
    for (uint64_t at : m_lineErrorsUs) next = std::min(next, at);
    return next;
}
