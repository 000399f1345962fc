#pragma once
#include <cstdint>
#include <termios.h>

// The line speeds a unit can be set to.
bool IsUnitBaud(uint32_t baud);
// termios speed constant to bit/s; 0 for anything we do not know.
uint32_t BaudFromSpeed(speed_t speed);
// One character of 10 bits (start, 8 data, stop) at the given rate.
uint64_t CharTimeNs(uint32_t baud);
