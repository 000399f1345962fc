#pragma once
// The eight calibration points of a channel: two in each of its four ranges.
// A point is named as its button names it, range then calibration voltage
// ("20V/3V" is the button "20V档位3V模拟电压校准"); the unit knows it by its code.
#include <array>
#include <cstdint>
#include <string>

#include "exchange.h"

struct CalibrationPoint {
    const char* name;
    uint8_t code;
};

// In the order of the buttons in the console's factory column, top to
// bottom, which is the order of the codes.
constexpr std::array<CalibrationPoint, 8> kCalibrationPoints = {{
    {"3V/0.5V", 1},
    {"3V/3V", 2},
    {"20V/3V", 3},
    {"20V/20V", 4},
    {"200V/20V", 5},
    {"200V/200V", 6},
    {"600V/200V", 7},
    {"600V/600V", 8},
}};

constexpr int kCalibrationChannels = 4;

// The unit echoes a calibration once it has calibrated, which takes time: the
// deadline stays at 5000 ms even after the first bytes of the echo are in.
constexpr ExchangeOptions kCalibrationExchange{/*drainFirst=*/true, /*shortenDeadline=*/false,
                                               /*logAtTop=*/false, ReplyLog::OneLine};

// The code of the point with that exact name; 0 (no point) for any other text.
uint8_t CalibrationPointCode(const std::string& name);
