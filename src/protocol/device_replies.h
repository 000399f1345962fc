#pragma once
// What the unit's read replies mean: its settings, its identity texts and its
// voltages, decoded the one way the console, the multi-unit cycle and the
// command line all read them. Each function takes a whole reply that passed
// its CRC check.
#include <array>
#include <cstdint>
#include <string>

#include "register_map.h"

// The settings reply (11 bytes). Address and interval come from the low bytes
// of their registers; the line speed is the whole register, the rate itself.
struct DeviceSettings {
    uint8_t address = 0;
    uint16_t baudRate = 0;
    uint8_t interval = 0;
};
DeviceSettings DecodeSettings(const uint8_t* reply);

// One text of the identity reply (85 bytes), as the unit's own bytes (code
// page 936): up to its first zero byte, or the whole field when it has none.
std::string IdentityFieldBytes(const uint8_t* reply, TextField field);

// The raw counts of the four voltage registers in the 13-byte reply.
std::array<uint16_t, Register::VoltageCount> DecodeFourVoltages(const uint8_t* reply);
