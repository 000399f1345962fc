#pragma once
#include <array>
#include <cstdint>

#include "unit_line.h"
#include "unit_reply.h"

class CMultiUnitDlg;

// The record has a row for each of at most 16 units.
constexpr int kMaxUnits = 16;

// The polling cycle's record: one for the whole program (g_multiUnit),
// shared by every multi-unit window. Row i is the unit at firstAddress + i.
struct MultiUnitState {
    explicit MultiUnitState(UnitLine& line) : port(line) {}

    // The cycle's port, open from a successful start until the stop or close.
    UnitLine& port;
    // The window whose cycle runs, nullptr while none does. Only it may
    // poll, stop or close the port.
    const CMultiUnitDlg* runner = nullptr;
    // A poll is under way: a tick that a nested message loop delivers must
    // not start another on the same port.
    bool polling = false;

    int32_t firstAddress = 0;
    int32_t deviceCount = 0;
    // In 64 bits, so that no first address near the top of the range overflows.
    int64_t endAddress = 0;  // one past the last address
    int64_t currentAddress = 0;
    int32_t currentRow = 0;  // always currentAddress - firstAddress
    std::array<int32_t, kMaxUnits> okCount{};
    std::array<int32_t, kMaxUnits> failCount{};
    // The last good values in volts, per channel and row.
    std::array<std::array<float, kMaxUnits>, kChannelCount> voltage{};
};
