#pragma once
#include <cstddef>
#include <cstdint>

#include "modbus_frame.h"

// The unit's holding registers. Registers are 16 bits wide, high byte first.
namespace Register {
constexpr uint16_t StationAddress = 0x0001;
constexpr uint16_t LineSpeed = 0x0002;
constexpr uint16_t SampleInterval = 0x0003;
constexpr uint16_t IdentityFirst = 0x0007;  // name, software version, maker, protocol version
constexpr uint16_t IdentityCount = 40;
constexpr uint16_t SoftwareReset = 0x002F;
constexpr uint16_t Calibration = 0x0030;
constexpr uint16_t VoltageFirst = 0x0040;  // channels 1 to 4
constexpr uint16_t VoltageCount = 4;
}  // namespace Register

constexpr uint16_t kSoftwareResetValue = 0x5566;

// A read of n registers is answered with 5 + 2n bytes; a write with its 8-byte echo.
constexpr size_t ReadReplyLength(uint16_t count) { return 5 + 2 * static_cast<size_t>(count); }
constexpr size_t kVoltageReplyLength = ReadReplyLength(1);
constexpr size_t kSettingsReplyLength = ReadReplyLength(3);
constexpr size_t kIdentityReplyLength = ReadReplyLength(Register::IdentityCount);
constexpr size_t kFourVoltagesReplyLength = ReadReplyLength(Register::VoltageCount);
constexpr size_t kWriteEchoLength = kRequestLength;
constexpr size_t kReplyDataOffset = 3;  // first register value in a read reply

// The identity texts inside the 85-byte identity reply: offset and size in bytes.
struct TextField {
    size_t offset;
    size_t size;
};
constexpr TextField kDeviceNameField{3, 30};
constexpr TextField kSoftwareVersionField{33, 10};
constexpr TextField kMakerField{43, 30};
constexpr TextField kProtocolVersionField{73, 10};
// The four texts tile the identity reply between its header and its CRC.
static_assert(kIdentityReplyLength == 85);
static_assert(kDeviceNameField.offset + kDeviceNameField.size == kSoftwareVersionField.offset);
static_assert(kSoftwareVersionField.offset + kSoftwareVersionField.size == kMakerField.offset);
static_assert(kMakerField.offset + kMakerField.size == kProtocolVersionField.offset);
static_assert(kProtocolVersionField.offset + kProtocolVersionField.size == kIdentityReplyLength - 2);

// One builder per request the console and the multi-unit window send.
RequestFrame ReadVoltageRequest(uint8_t address);
RequestFrame ReadSettingsRequest(uint8_t address);
RequestFrame ReadIdentityRequest(uint8_t address);
RequestFrame SetStationAddressRequest(uint8_t address, uint16_t newAddress);
RequestFrame SetLineSpeedRequest(uint8_t address, uint16_t baudRate);
RequestFrame SetSampleIntervalRequest(uint8_t address, uint16_t interval);
RequestFrame SoftwareResetRequest(uint8_t address);
RequestFrame CalibrateRequest(uint8_t address, uint8_t channel, uint8_t pointCode);
RequestFrame ReadFourVoltagesRequest(uint8_t address);
