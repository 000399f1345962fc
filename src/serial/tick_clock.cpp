#include "tick_clock.h"

#include <windows.h>

uint32_t TickClock::NowMs() { return GetTickCount(); }

void TickClock::SleepMs(uint32_t ms) { Sleep(ms); }
