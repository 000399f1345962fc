#pragma once
#include <cstdint>
#include <termios.h>

// The line speeds a unit can be set to.
bool IsUnitBaud(uint32_t baud);
// termios speed constant <-> bit/s; 0 for anything we do not know.
uint32_t BaudFromSpeed(speed_t speed);
speed_t SpeedFromBaud(uint32_t baud);
// One character of 10 bits (start, 8 data, stop) at the given rate.
uint64_t CharTimeNs(uint32_t baud);
