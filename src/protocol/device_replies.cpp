#include "device_replies.h"

#include <algorithm>

namespace {

// Where the settings stand in their reply: the low bytes of the address and
// interval registers, and the whole speed register.
constexpr size_t kAddressByte = 4;
constexpr size_t kBaudRateOffset = 5;
constexpr size_t kIntervalByte = 8;

}  // namespace

DeviceSettings DecodeSettings(const uint8_t* reply) {
    return {reply[kAddressByte], RegisterValueAt(reply + kBaudRateOffset), reply[kIntervalByte]};
}

std::string IdentityFieldBytes(const uint8_t* reply, TextField field) {
    const char* first = reinterpret_cast<const char*>(reply + field.offset);
    return std::string(first, std::find(first, first + field.size, '\0'));
}

std::array<uint16_t, Register::VoltageCount> DecodeFourVoltages(const uint8_t* reply) {
    std::array<uint16_t, Register::VoltageCount> counts{};
    for (size_t channel = 0; channel < counts.size(); ++channel) {
        counts[channel] = RegisterValueAt(reply + kReplyDataOffset + 2 * channel);
    }
    return counts;
}
