#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "sim_unit.h"

// One frame as the sim received it.
struct RxRecord {
    uint32_t msSinceStart;
    uint32_t hostBaud;
    std::vector<uint8_t> bytes;
};

// Everything the line and the control channel share. Hold `mutex` while
// touching the units or the log; never while waiting on the line.
class SimState {
public:
    SimState();
    ~SimState();
    SimState(const SimState&) = delete;
    SimState& operator=(const SimState&) = delete;

    std::mutex mutex;
    std::vector<SimUnit> units;
    std::vector<RxRecord> rxLog;
    // CLOCK_MONOTONIC microseconds when the last byte of the latest reply was
    // written; 0 before any reply. Lets a benchmark on this machine measure
    // how long the host takes to notice a complete reply.
    uint64_t lastReplyEndUs = 0;

    // Caller holds `mutex`. Null when no unit has that address.
    SimUnit* FindUnit(uint8_t address);
    uint32_t MsSinceStart() const;

    // Wakes the line thread so it sees a changed fault (babble) at once.
    void WakeLine();
    int WakeFd() const { return m_wakeFd; }
    void ClearWake();

private:
    std::chrono::steady_clock::time_point m_start;
    int m_wakeFd = -1;
};
