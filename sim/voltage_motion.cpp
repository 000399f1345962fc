#include "voltage_motion.h"

#include <algorithm>

#include "sim_unit.h"

uint16_t RampLevel(const VoltageRamp& ramp, uint32_t nowMs) {
    const uint32_t elapsed = nowMs - ramp.startMs;
    if (elapsed >= ramp.durationMs) return ramp.to;
    const int64_t span = int64_t{ramp.to} - ramp.from;
    return static_cast<uint16_t>(ramp.from + span * elapsed / ramp.durationMs);
}

uint16_t WithOffset(uint16_t level, int32_t offset) {
    return static_cast<uint16_t>(std::clamp<int32_t>(level + offset, 0, 0xFFFF));
}

void MoveVoltages(SimUnit& unit, uint32_t nowMs, std::minstd_rand& random) {
    for (size_t channel = 0; channel < unit.voltages.size(); ++channel) {
        ChannelMotion& motion = unit.motion[channel];
        if (motion.ramp) {
            unit.voltages[channel] = RampLevel(*motion.ramp, nowMs);
            if (nowMs - motion.ramp->startMs >= motion.ramp->durationMs) motion.ramp.reset();
        }
        const int32_t jitter = motion.jitter;
        motion.offset = jitter == 0 ? 0 : std::uniform_int_distribution<int32_t>(-jitter, jitter)(random);
    }
}
