#pragma once
// The results as people read them on a terminal, one line each, UTF-8.
#include <string>
#include <vector>

#include "alarm_monitor.h"
#include "cli_results.h"
#include "poll_record.h"

std::string ReadoutText(const VoltageReadout& readout);
std::string InfoText(const DeviceInfo& info);
std::string ScanText(const std::vector<FoundUnit>& units);
// One poll: its time, the station, and its four voltages or the failure.
std::string PollText(const PolledUnit& poll);
// One alarm's raise or clear: "alarm raised", its time, the station, what
// (channel 2 high, spread, communication) and, but for communication, the
// value and the limit it was held against.
std::string AlarmEventText(const AlarmEvent& event);
