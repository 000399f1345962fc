#include "fake_serial_line.h"

#include <algorithm>

void FakeSerialLine::Arrive(uint64_t atMs, const std::vector<uint8_t>& bytes, uint32_t charUs) {
    uint64_t at = atMs * 1000;
    for (uint8_t byte : bytes) {
        at += charUs;
        const auto place = std::upper_bound(m_incoming.begin(), m_incoming.end(), at,
                                            [](uint64_t t, const Pending& p) { return t < p.atUs; });
        m_incoming.insert(place, {at, byte});
    }
}

bool FakeSerialLine::Open(uint32_t portNumber, uint32_t baudRate) {
    Close();
    if (portNumber < 1 || portNumber > 1024 || refuseOpen) return false;
    if (held != nullptr && !held->insert(portNumber).second) return false;
    opened.push_back({portNumber, baudRate});
    open = true;
    return true;
}

void FakeSerialLine::FlagLineErrorAt(uint64_t atMs) { m_lineErrorsUs.push_back(atMs * 1000); }

uint32_t FakeSerialLine::Queued() const {
    uint32_t queued = 0;
    for (const Pending& p : m_incoming) {
        if (p.atUs > m_clock.NowUs()) break;
        ++queued;
    }
    return queued;
}

bool FakeSerialLine::TakeLineError() {
    auto due = std::find_if(m_lineErrorsUs.begin(), m_lineErrorsUs.end(),
                            [&](uint64_t at) { return at <= m_clock.NowUs(); });
    if (due == m_lineErrorsUs.end()) return false;
    m_lineErrorsUs.erase(due);
    return true;
}

LineStatus FakeSerialLine::QueryStatus() {
    if (statusFails) return {};
    const bool error = TakeLineError();
    return {true, error, Queued()};
}

LineStatus FakeSerialLine::QueryErrors() {
    return {true, TakeLineError(), 0};
}

void FakeSerialLine::PurgeInput() {
    ++inputPurges;
    while (!m_incoming.empty() && m_incoming.front().atUs <= m_clock.NowUs()) m_incoming.pop_front();
}

ReadResult FakeSerialLine::Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) {
    readSizes.push_back(count);
    m_clock.AdvanceToUs(m_clock.NowUs() + readCostUs);
    if (refuseReads > 0) {
        --refuseReads;
        return {true, 0};
    }
    if (pendingReads > 0) {
        --pendingReads;
        m_clock.SleepMs(shortWaitMs);
        return {false, 0};
    }
    uint32_t n = 0;
    while (n < count && !m_incoming.empty() && m_incoming.front().atUs <= m_clock.NowUs()) {
        dest[n++] = m_incoming.front().byte;
        m_incoming.pop_front();
    }
    return {false, n};
}

void FakeSerialLine::StartWrite(const uint8_t* data, uint32_t count) { writes.emplace_back(data, data + count); }

void FakeSerialLine::WaitForInput(uint32_t timeoutMs) {
    ++waits;
    uint64_t until = m_clock.NowUs() + uint64_t{timeoutMs} * 1000;
    if (!m_incoming.empty()) until = std::min(until, m_incoming.front().atUs);
    for (uint64_t at : m_lineErrorsUs) until = std::min(until, at);
    m_clock.AdvanceToUs(until);
}
