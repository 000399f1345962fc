#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fault.h"
#include "voltage_motion.h"

// The unit's four identity texts, in register order, as raw bytes (code page 936).
enum class IdentityText { Name, SoftwareVersion, Maker, ProtocolVersion };
constexpr size_t kIdentityBytes = 80;

// One simulated monitoring unit: its settings, identity, voltages, what it
// was told to do, and the fault it shows at the moment.
struct SimUnit {
    uint8_t address = 1;
    uint32_t baud = 9600;
    uint16_t interval = 10;
    uint32_t responseDelayMs = 3;
    std::array<uint8_t, kIdentityBytes> identity{};
    std::array<uint16_t, 4> voltages{1234, 0, 0, 0};  // the levels, without jitter
    std::array<ChannelMotion, 4> motion{};
    uint32_t resets = 0;
    std::vector<uint16_t> calibrations;
    Fault fault;
};

SimUnit MakeDefaultUnit(uint8_t address, uint32_t baud);

// Replaces one text: `bytes` first, zeros after. False when it does not fit.
bool SetIdentityText(SimUnit& unit, IdentityText text, const std::vector<uint8_t>& bytes);

// The value a read of `reg` returns; false for a register the unit has not.
bool ReadUnitRegister(const SimUnit& unit, uint16_t reg, uint16_t& value);
