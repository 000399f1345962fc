#include "modbus_frame.h"

#include "modbus_crc.h"

RequestFrame BuildRequest(uint8_t address, uint8_t function, uint16_t reg, uint16_t countOrValue) {
    RequestFrame frame{address,
                       function,
                       static_cast<uint8_t>(reg >> 8),
                       static_cast<uint8_t>(reg & 0xFF),
                       static_cast<uint8_t>(countOrValue >> 8),
                       static_cast<uint8_t>(countOrValue & 0xFF),
                       0,
                       0};
    const uint16_t crc = ModbusCrc16(frame.data(), 6);
    frame[6] = static_cast<uint8_t>(crc >> 8);
    frame[7] = static_cast<uint8_t>(crc & 0xFF);
    return frame;
}

bool VerifyReply(const uint8_t* reply, size_t length) {
    if (length < 2) return false;
    const uint16_t crc = ModbusCrc16(reply, length - 2);
    return reply[length - 2] == (crc >> 8) && reply[length - 1] == (crc & 0xFF);
}
