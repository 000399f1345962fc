#pragma once
#include <cstdint>

#include "clock.h"

// Real time for the exchange on Linux: a monotonic millisecond count cut to
// 32 bits, so it wraps like GetTickCount.
class SteadyClock : public Clock {
public:
    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};
