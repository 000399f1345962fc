#pragma once
#include <array>
#include <cstdint>

#include "clock.h"
#include "multi_unit_state.h"
#include "unit_line.h"

// How long a unit has to answer a poll, its whole reply included.
constexpr uint32_t kUnitReplyWaitMs = 1000;

// The four voltages of a whole 13-byte reply, in volts at the table's scale,
// as the record keeps them.
std::array<float, kChannelCount> FourVolts(const uint8_t* reply);

// Waits until `byteCount` bytes are queued on `port` or `limitMs` have
// passed, looking every 2 ms. Returns the last queue count it saw.
uint32_t WaitForInput(UnitLine& port, Clock& clock, uint16_t byteCount, uint32_t limitMs);

// One poll of the cycle's current unit (the low 8 bits of its address are the
// station) over the cycle's port: the four voltage registers in one request.
// True when a whole reply with a good CRC came; its four values are then
// stored in the current row. A failed poll leaves the row's values as they were.
bool PollUnit(MultiUnitState& cycle, Clock& clock);
