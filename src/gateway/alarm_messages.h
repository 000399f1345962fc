#pragma once
// The JSON of a unit's alarms, on PREFIX/<address>/alarm and /event.
#include <string>

#include "alarm_monitor.h"
#include "wall_time.h"

// The alarms that stand, retained so that a newcomer sees them at once:
// {"address":3,"time":"…","ch1":[],"ch2":["high"],"ch3":[],"ch4":[],"spread":false,"communication":false}
std::string ActiveAlarmsJson(int64_t address, const ActiveAlarms& active, WallTime time);
// One raise or clear: {"address":3,"time":"…","event":"raised","kind":"high","channel":2,
// "value":4.215,"limit":4.2}; the unit-wide kinds name themselves as the
// channel ("spread", "communication"), and a value or limit it has not is null.
std::string AlarmEventJson(const AlarmEvent& event, WallTime time);
