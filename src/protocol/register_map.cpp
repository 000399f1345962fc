#include "register_map.h"

RequestFrame ReadVoltageRequest(uint8_t address) {
    return BuildRequest(address, kFunctionReadHolding, Register::VoltageFirst, 1);
}

RequestFrame ReadSettingsRequest(uint8_t address) {
    return BuildRequest(address, kFunctionReadHolding, Register::StationAddress, 3);
}

RequestFrame ReadIdentityRequest(uint8_t address) {
    return BuildRequest(address, kFunctionReadHolding, Register::IdentityFirst, Register::IdentityCount);
}

RequestFrame SetStationAddressRequest(uint8_t address, uint16_t newAddress) {
    return BuildRequest(address, kFunctionWriteSingle, Register::StationAddress, newAddress);
}

RequestFrame SetLineSpeedRequest(uint8_t address, uint16_t baudRate) {
    return BuildRequest(address, kFunctionWriteSingle, Register::LineSpeed, baudRate);
}

RequestFrame SetSampleIntervalRequest(uint8_t address, uint16_t interval) {
    return BuildRequest(address, kFunctionWriteSingle, Register::SampleInterval, interval);
}

RequestFrame SoftwareResetRequest(uint8_t address) {
    return BuildRequest(address, kFunctionWriteSingle, Register::SoftwareReset, kSoftwareResetValue);
}

RequestFrame CalibrateRequest(uint8_t address, uint8_t channel, uint8_t pointCode) {
    return BuildRequest(address, kFunctionWriteSingle, Register::Calibration,
                        static_cast<uint16_t>(channel << 8 | pointCode));
}

RequestFrame ReadFourVoltagesRequest(uint8_t address) {
    return BuildRequest(address, kFunctionReadHolding, Register::VoltageFirst, Register::VoltageCount);
}
