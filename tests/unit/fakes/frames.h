#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "modbus_crc.h"

// Appends the CRC, high byte first as it goes on the wire.
inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
    const uint16_t crc = ModbusCrc16(bytes.data(), bytes.size());
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    return bytes;
}

// A unit's reply to a read: the registers' values, high byte first.
inline std::vector<uint8_t> RegistersReply(uint8_t station, std::initializer_list<uint16_t> values) {
    std::vector<uint8_t> reply{station, 0x03, static_cast<uint8_t>(2 * values.size())};
    for (uint16_t value : values)
        reply.insert(reply.end(), {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    return WithCrc(reply);
}

// Station address, line speed and sampling interval, as the settings read returns them.
inline std::vector<uint8_t> SettingsReply(uint16_t address, uint16_t baud, uint16_t interval) {
    return RegistersReply(1, {address, baud, interval});
}

inline std::vector<uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

// Name, software version, maker, protocol version, each padded with zeros to
// its field of 30, 10, 30 and 10 bytes.
inline std::vector<uint8_t> IdentityReply(const std::vector<std::vector<uint8_t>>& texts) {
    std::vector<uint8_t> reply{0x01, 0x03, 80};
    const size_t sizes[] = {30, 10, 30, 10};
    for (size_t i = 0; i < 4; ++i) {
        std::vector<uint8_t> field = i < texts.size() ? texts[i] : std::vector<uint8_t>{};
        field.resize(sizes[i]);
        reply.insert(reply.end(), field.begin(), field.end());
    }
    return WithCrc(reply);
}
