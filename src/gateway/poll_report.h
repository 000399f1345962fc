#pragma once
// What the gateway is told of each poll, and the wall-clock time it stamps
// readings with.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class ReadingError { None, Timeout, Crc };

struct PollReport {
    uint8_t address = 0;
    // The four voltages in volts at the multi-unit table's scale; none when the poll failed.
    std::optional<std::array<double, 4>> volts;
    ReadingError failure = ReadingError::None;
    uint32_t okCount = 0;  // the unit's polls so far, this one included
    uint32_t failCount = 0;
};

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
