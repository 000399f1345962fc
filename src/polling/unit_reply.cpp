#include "unit_reply.h"

#include "device_replies.h"
#include "voltage_scale.h"

std::array<float, kChannelCount> FourVolts(const uint8_t* reply) {
    const auto counts = DecodeFourVoltages(reply);
    std::array<float, kChannelCount> volts{};
    for (size_t channel = 0; channel < kChannelCount; ++channel) {
        volts[channel] = static_cast<float>(Volts(counts[channel], kMultiUnitScale));
    }
    return volts;
}
