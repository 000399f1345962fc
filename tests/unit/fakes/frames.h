#pragma once
#include <cstdint>
#include <vector>

#include "modbus_crc.h"

// Appends the CRC, high byte first as it goes on the wire.
inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
    const uint16_t crc = ModbusCrc16(bytes.data(), bytes.size());
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    return bytes;
}
