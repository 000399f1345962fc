#pragma once
#include <cstddef>
#include <cstdint>

// CRC-16/MODBUS in the two-table form. The high byte of the result is the
// CRC byte that goes first on the wire (the published value's low byte).
uint16_t ModbusCrc16(const uint8_t* data, size_t length);
