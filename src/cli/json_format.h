#pragma once
// The results for programs: one JSON value per run, on one line. Texts are
// UTF-8 strings; volts are numbers rounded to the scale's decimals.
#include <string>
#include <vector>

#include "cli_results.h"

std::string ReadoutJson(const VoltageReadout& readout);
std::string InfoJson(const DeviceInfo& info);
std::string ScanJson(const std::vector<FoundUnit>& units);
