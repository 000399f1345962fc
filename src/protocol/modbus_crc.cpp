#include "modbus_crc.h"

#include <array>

namespace {

struct CrcTables {
    std::array<uint8_t, 256> first{};   // low byte of the byte-wise CRC of i
    std::array<uint8_t, 256> second{};  // high byte of the same value
};

CrcTables BuildTables() {
    CrcTables tables;
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        tables.first[i] = static_cast<uint8_t>(crc & 0xFF);
        tables.second[i] = static_cast<uint8_t>(crc >> 8);
    }
    return tables;
}

const CrcTables& Tables() {
    static const CrcTables tables = BuildTables();
    return tables;
}

}  // namespace

uint16_t ModbusCrc16(const uint8_t* data, size_t length) {
    const CrcTables& tables = Tables();
    uint8_t first = 0xFF;
    uint8_t second = 0xFF;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t index = first ^ data[i];
        first = tables.first[index] ^ second;
        second = tables.second[index];
    }
    return static_cast<uint16_t>(first << 8 | second);
}
