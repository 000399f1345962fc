#include "request_handler.h"

#include "baud.h"
#include "modbus_crc.h"
#include "modbus_frame.h"
#include "register_map.h"

namespace {
constexpr uint8_t kIllegalFunction = 0x01;
constexpr uint8_t kIllegalDataAddress = 0x02;
constexpr uint8_t kIllegalDataValue = 0x03;
constexpr uint16_t kMaxReadCount = 125;  // what fits one Modbus RTU frame
constexpr uint16_t kMaxStationAddress = 247;
constexpr uint16_t kMaxInterval = 250;
constexpr uint8_t kChannels = 4;
constexpr uint8_t kPointCodes = 8;

void AppendCrc(std::vector<uint8_t>& frame) {
    const uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
}

std::vector<uint8_t> ExceptionReply(uint8_t address, uint8_t function, uint8_t code) {
    std::vector<uint8_t> reply{address, static_cast<uint8_t>(function | 0x80), code};
    AppendCrc(reply);
    return reply;
}

std::vector<uint8_t> ReadReply(const SimUnit& unit, uint16_t first, uint16_t count) {
    if (count == 0 || count > kMaxReadCount)
        return ExceptionReply(unit.address, kFunctionReadHolding, kIllegalDataValue);
    std::vector<uint8_t> reply{unit.address, kFunctionReadHolding, static_cast<uint8_t>(2 * count)};
    for (uint32_t reg = first; reg < uint32_t{first} + count; ++reg) {
        uint16_t value = 0;
        if (reg > 0xFFFF || !ReadUnitRegister(unit, static_cast<uint16_t>(reg), value)) {
            return ExceptionReply(unit.address, kFunctionReadHolding, kIllegalDataAddress);
        }
        reply.push_back(static_cast<uint8_t>(value >> 8));
        reply.push_back(static_cast<uint8_t>(value & 0xFF));
    }
    AppendCrc(reply);
    return reply;
}

bool IsCalibrationCommand(uint16_t value) {
    const uint8_t channel = static_cast<uint8_t>(value >> 8);
    const uint8_t point = static_cast<uint8_t>(value & 0xFF);
    return channel >= 1 && channel <= kChannels && point >= 1 && point <= kPointCodes;
}

// Checks and applies one write; the exception code when refused, 0 when taken.
uint8_t ApplyWrite(SimUnit& unit, uint16_t reg, uint16_t value, UnitAnswer& answer) {
    switch (reg) {
    case Register::StationAddress:
        if (value > kMaxStationAddress) return kIllegalDataValue;
        answer.newAddress = static_cast<uint8_t>(value);
        return 0;
    case Register::LineSpeed:
        if (!IsUnitBaud(value)) return kIllegalDataValue;
        answer.newBaud = value;
        return 0;
    case Register::SampleInterval:
        if (value == 0 || value > kMaxInterval) return kIllegalDataValue;
        unit.interval = value;
        return 0;
    case Register::SoftwareReset:
        if (value != kSoftwareResetValue) return kIllegalDataValue;
        ++unit.resets;
        return 0;
    case Register::Calibration:
        if (!IsCalibrationCommand(value)) return kIllegalDataValue;
        unit.calibrations.push_back(value);
        return 0;
    default: return kIllegalDataAddress;
    }
}

SimUnit* FindUnit(std::vector<SimUnit>& units, uint8_t address, size_t& index) {
    for (index = 0; index < units.size(); ++index) {
        if (units[index].address == address) return &units[index];
    }
    return nullptr;
}
}  // namespace

std::optional<UnitAnswer> AnswerRequest(std::vector<SimUnit>& units, const std::vector<uint8_t>& frame,
                                        uint32_t hostBaud) {
    // Address, function and CRC at the least.
    if (frame.size() < 4 || !VerifyReply(frame.data(), frame.size())) return std::nullopt;
    UnitAnswer answer;
    SimUnit* unit = FindUnit(units, frame[0], answer.unitIndex);
    if (unit == nullptr || unit->baud != hostBaud) return std::nullopt;

    const uint8_t function = frame[1];
    if (function != kFunctionReadHolding && function != kFunctionWriteSingle) {
        answer.reply = ExceptionReply(unit->address, function, kIllegalFunction);
        return answer;
    }
    if (frame.size() != kRequestLength) {
        answer.reply = ExceptionReply(unit->address, function, kIllegalDataValue);
        return answer;
    }
    const uint16_t reg = RegisterValueAt(&frame[2]);
    const uint16_t countOrValue = RegisterValueAt(&frame[4]);
    if (function == kFunctionReadHolding) {
        answer.reply = ReadReply(*unit, reg, countOrValue);
        return answer;
    }
    const uint8_t refusal = ApplyWrite(*unit, reg, countOrValue, answer);
    answer.reply = refusal != 0 ? ExceptionReply(unit->address, function, refusal)
                                : std::vector<uint8_t>(frame.begin(), frame.end());
    return answer;
}
