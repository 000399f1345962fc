#pragma once
// The results for programs: one JSON value per run, on one line. Texts are
// UTF-8 strings; volts are numbers with the scale's decimals.
#include <string>
#include <vector>

#include "cli_results.h"

// `text` as a JSON string, quotes included: control characters, quotes and
// backslashes escaped, everything else (UTF-8 included) as it is.
std::string JsonString(const std::string& text);

std::string ReadoutJson(const VoltageReadout& readout);
std::string InfoJson(const DeviceInfo& info);
std::string ScanJson(const std::vector<FoundUnit>& units);
