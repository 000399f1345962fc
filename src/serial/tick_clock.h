#pragma once
#include "clock.h"

// The system tick count: milliseconds since boot, wrapping after 49.7 days.
class TickClock : public Clock {
public:
    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};
