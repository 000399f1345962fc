#pragma once
// Voltages that move by themselves, so that a demo or a test can walk a
// channel across an alarm limit: a linear ramp to a target over a time, and
// a random jitter added to each reply.
#include <cstdint>
#include <optional>
#include <random>

struct VoltageRamp {
    uint16_t from = 0;
    uint16_t to = 0;
    uint32_t startMs = 0;  // on the sim's clock (ms since start)
    uint32_t durationMs = 0;
};

struct ChannelMotion {
    std::optional<VoltageRamp> ramp;
    uint16_t jitter = 0;  // ± raw counts on each reply
    int32_t offset = 0;   // the jitter drawn for the reply being built
};

// The ramp's level at `nowMs`, its target once its time is up.
uint16_t RampLevel(const VoltageRamp& ramp, uint32_t nowMs);
// `level` moved by `offset`, held to the register's range.
uint16_t WithOffset(uint16_t level, int32_t offset);

struct SimUnit;
// Brings the unit's levels to `nowMs` (a finished ramp leaves its target
// behind and goes) and draws each channel's jitter for the next reply.
void MoveVoltages(SimUnit& unit, uint32_t nowMs, std::minstd_rand& random);
