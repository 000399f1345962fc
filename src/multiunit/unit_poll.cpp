#include "unit_poll.h"

#include <array>

#include "device_replies.h"
#include "modbus_frame.h"
#include "register_map.h"

namespace {

constexpr uint32_t kPollStepMs = 2;

}  // namespace

uint32_t WaitForInput(UnitLine& port, Clock& clock, uint16_t byteCount, uint32_t limitMs) {
    // Elapsed time, not a deadline, so the wait is right across the wrap of
    // the 32-bit tick count.
    const uint32_t start = clock.NowMs();
    uint32_t queued = 0;
    do {
        queued = port.QueuedCount();
        clock.SleepMs(kPollStepMs);
        if (queued >= byteCount) break;
    } while (clock.NowMs() - start <= limitMs);
    return queued;
}

bool PollUnit(MultiUnitState& cycle, Clock& clock) {
    const RequestFrame request = ReadFourVoltagesRequest(static_cast<uint8_t>(cycle.currentAddress));
    cycle.port.Purge();
    cycle.port.Write(request.data(), static_cast<uint32_t>(request.size()));
    WaitForInput(cycle.port, clock, kFourVoltagesReplyLength, kUnitReplyWaitMs);

    std::array<uint8_t, kFourVoltagesReplyLength> reply{};
    const uint32_t received = cycle.port.Read(reply.data(), static_cast<uint32_t>(reply.size()));
    // Station, function and byte count are taken on trust: only the CRC decides.
    if (received != reply.size() || !VerifyReply(reply.data(), reply.size())) return false;

    const auto row = static_cast<size_t>(cycle.currentRow);
    const std::array<float, kChannelCount> volts = FourVolts(reply.data());
    for (size_t channel = 0; channel < kChannelCount; ++channel) cycle.voltage[channel][row] = volts[channel];
    return true;
}
