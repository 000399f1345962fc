#pragma once
#include <cstdint>

#include "clock.h"
#include "multi_unit_state.h"
#include "unit_line.h"
#include "unit_reply.h"

// Waits until `byteCount` bytes are queued on `port` or `limitMs` have
// passed, looking every 2 ms. Returns the last queue count it saw.
uint32_t WaitForInput(UnitLine& port, Clock& clock, uint16_t byteCount, uint32_t limitMs);

// One poll of the cycle's current unit (the low 8 bits of its address are the
// station) over the cycle's port: the four voltage registers in one request.
// True when a whole reply with a good CRC came; its four values are then
// stored in the current row. A failed poll leaves the row's values as they were.
bool PollUnit(MultiUnitState& cycle, Clock& clock);
