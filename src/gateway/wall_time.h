#pragma once
// The wall-clock time the gateway stamps readings with.
#include <cstdint>
#include <string>

// A moment as a site's other systems want it: UTC milliseconds and the local
// offset in force then, so a reading says both when and in which local time.
struct WallTime {
    int64_t epochMs = 0;
    int32_t offsetMinutes = 0;
};

class WallClock {
public:
    virtual ~WallClock() = default;
    virtual WallTime Now() = 0;
};

// ISO 8601 local time with milliseconds and offset: 2026-12-07T15:04:05.123+01:00.
std::string IsoTime(WallTime time);
