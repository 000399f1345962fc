#pragma once
#include <cstdint>

#include "clock.h"

// Virtual time in microseconds, so character times below a millisecond add
// up as they would on a wire. NowMs wraps like GetTickCount.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(uint64_t startMs = 0) : m_nowUs(startMs * 1000) {}

    uint32_t NowMs() override { return static_cast<uint32_t>(m_nowUs / 1000); }
    void SleepMs(uint32_t ms) override { m_nowUs += uint64_t{ms} * 1000; }

    uint64_t NowUs() const { return m_nowUs; }
    void AdvanceToUs(uint64_t us) {
        if (us > m_nowUs) m_nowUs = us;
    }

private:
    uint64_t m_nowUs;
};
