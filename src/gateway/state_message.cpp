#include "state_message.h"

#include <cmath>
#include <nlohmann/json.hpp>

std::string ChannelKey(int channel) { return "ch" + std::to_string(channel); }

std::string StateJson(const PolledUnit& poll, PollFailure failure, WallTime time, uint64_t sequence) {
    nlohmann::ordered_json state;
    state["address"] = poll.address;
    state["time"] = IsoTime(time);
    state["seq"] = sequence;
    for (int channel = 1; channel <= 4; ++channel) {
        // Thousandths, as the table shows them: 1.234, not the float's 1.2339999675750732.
        if (poll.volts) {
            state[ChannelKey(channel)] = std::round((*poll.volts)[channel - 1] * 1000.0) / 1000.0;
        } else {
            state[ChannelKey(channel)] = nullptr;
        }
    }
    if (!poll.volts) state["error"] = failure == PollFailure::CrcError ? "crc" : "timeout";
    state["ok"] = poll.okCount;
    state["fail"] = poll.failCount;
    return state.dump();
}
