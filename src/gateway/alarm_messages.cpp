#include "alarm_messages.h"

#include <nlohmann/json.hpp>

#include "state_message.h"

namespace {

using Json = nlohmann::ordered_json;

Json VoltsOrNull(const std::optional<Millivolts>& millivolts) {
    return millivolts ? Json(Volts(*millivolts)) : Json(nullptr);
}

}  // namespace

std::string ActiveAlarmsJson(int64_t address, const ActiveAlarms& active, WallTime time) {
    Json alarms;
    alarms["address"] = address;
    alarms["time"] = IsoTime(time);
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        Json kinds = Json::array();
        if (active.high[channel]) kinds.push_back("high");
        if (active.low[channel]) kinds.push_back("low");
        alarms[ChannelKey(static_cast<int>(channel) + 1)] = kinds;
    }
    alarms["spread"] = active.spread;
    alarms["communication"] = active.communication;
    return alarms.dump();
}

std::string AlarmEventJson(const AlarmEvent& event, WallTime time) {
    const char* kind = AlarmKindName(event.kind);
    const bool perChannel = event.kind == AlarmKind::High || event.kind == AlarmKind::Low;
    Json message;
    message["address"] = event.address;
    message["time"] = IsoTime(time);
    message["event"] = event.raised ? "raised" : "cleared";
    message["kind"] = kind;
    message["channel"] = perChannel ? Json(event.channel + 1) : Json(kind);
    message["value"] = VoltsOrNull(event.valueMv);
    message["limit"] = VoltsOrNull(event.limitMv);
    return message.dump();
}
