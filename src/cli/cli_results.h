#pragma once
// What the commands find out, before it is written as text or JSON. Texts
// are UTF-8.
#include <array>
#include <cstdint>
#include <string>

#include "device_replies.h"
#include "voltage_scale.h"

struct VoltageReadout {
    uint8_t address = 0;
    VoltageScale scale = kConsoleScale;
    std::array<uint16_t, Register::VoltageCount> counts{};
};

struct DeviceInfo {
    DeviceSettings settings;
    std::string name;
    std::string softwareVersion;
    std::string maker;
    std::string protocolVersion;
};

// A unit that answered a scan: the station and speed it answered at.
struct FoundUnit {
    uint8_t address = 0;
    uint32_t baudRate = 0;
    uint8_t interval = 0;
    std::string name;
};
