#pragma once
// The results as people read them on a terminal, one line each, UTF-8.
#include <string>
#include <vector>

#include "cli_results.h"
#include "poll_record.h"

std::string ReadoutText(const VoltageReadout& readout);
std::string InfoText(const DeviceInfo& info);
std::string ScanText(const std::vector<FoundUnit>& units);
// One poll: its time, the station, and its four voltages or the failure.
std::string PollText(const PolledUnit& poll);
