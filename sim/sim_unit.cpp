#include "sim_unit.h"

#include <algorithm>
#include <string>

#include "register_map.h"

namespace {
constexpr TextField kFields[] = {kDeviceNameField, kSoftwareVersionField, kMakerField, kProtocolVersionField};

// Offsets in the fields above count from the reply's first byte; the identity
// registers hold the same bytes from 0.
TextField FieldOf(IdentityText text) {
    const TextField field = kFields[static_cast<size_t>(text)];
    return {field.offset - kReplyDataOffset, field.size};
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

bool SetIdentityText(SimUnit& unit, IdentityText text, const std::vector<uint8_t>& bytes) {
    const TextField field = FieldOf(text);
    if (bytes.size() > field.size) return false;
    auto first = unit.identity.begin() + static_cast<std::ptrdiff_t>(field.offset);
    std::fill(first, first + static_cast<std::ptrdiff_t>(field.size), 0);
    std::copy(bytes.begin(), bytes.end(), first);
    return true;
}

SimUnit MakeDefaultUnit(uint8_t address, uint32_t baud) {
    SimUnit unit;
    unit.address = address;
    unit.baud = baud;
    SetIdentityText(unit, IdentityText::Name, Bytes("Lumeric-VM4"));
    SetIdentityText(unit, IdentityText::SoftwareVersion, Bytes("V1.00"));
    // 朗明电子 in code page 936, as the unit stores it.
    SetIdentityText(unit, IdentityText::Maker, {0xC0, 0xCA, 0xC3, 0xF7, 0xB5, 0xE7, 0xD7, 0xD3});
    SetIdentityText(unit, IdentityText::ProtocolVersion, Bytes("V1.0"));
    return unit;
}

bool ReadUnitRegister(const SimUnit& unit, uint16_t reg, uint16_t& value) {
    if (reg == Register::StationAddress) {
        value = unit.address;
    } else if (reg == Register::LineSpeed) {
        value = static_cast<uint16_t>(unit.baud);
    } else if (reg == Register::SampleInterval) {
        value = unit.interval;
    } else if (reg >= Register::IdentityFirst && reg < Register::IdentityFirst + Register::IdentityCount) {
        const size_t offset = 2 * static_cast<size_t>(reg - Register::IdentityFirst);
        value = RegisterValueAt(&unit.identity[offset]);
    } else if (reg >= Register::VoltageFirst && reg < Register::VoltageFirst + Register::VoltageCount) {
        const size_t channel = reg - Register::VoltageFirst;
        value = WithOffset(unit.voltages[channel], unit.motion[channel].offset);
    } else {
        return false;
    }
    return true;
}
