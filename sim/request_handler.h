#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim_unit.h"

// What the unit at the request's address makes of it.
struct UnitAnswer {
    size_t unitIndex = 0;
    std::vector<uint8_t> reply;  // a correct reply: data, echo or exception
    // A new station address or line speed applies only once the echo has left,
    // or the host would never see it.
    std::optional<uint8_t> newAddress;
    std::optional<uint32_t> newBaud;
};

// Answers one received frame as a Modbus RTU slave would. No answer for a
// frame with a bad CRC, for an address no unit has, or when the host's line
// speed is not the unit's (the unit would only hear garbage).
// Resets, calibrations and interval changes are recorded on the unit here.
std::optional<UnitAnswer> AnswerRequest(std::vector<SimUnit>& units, const std::vector<uint8_t>& frame,
                                        uint32_t hostBaud);
