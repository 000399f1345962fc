#include "voltage_scale.h"

#include <cstdio>

std::string VoltsText(uint16_t count, VoltageScale scale) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", scale.decimals, Volts(count, scale));
    return text;
}
