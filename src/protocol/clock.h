#pragma once
#include <cstdint>

// Milliseconds as an unsigned 32-bit count that wraps (GetTickCount
// semantics): differences are taken modulo 2^32.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};
