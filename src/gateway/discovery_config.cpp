#include "discovery_config.h"

#include <nlohmann/json.hpp>

#include "state_message.h"

namespace {

using Json = nlohmann::ordered_json;

// Who published the config: Home Assistant logs it beside every discovery.
Json Origin() { return {{"name", "lumeric-cli"}, {"sw_version", LUMERIC_VERSION}}; }

// A config holds its device, its origin and its entities; options shared by
// the entities (state topic, availability) go beside them.
Json DeviceConfig(Json device) {
    Json config;
    config["device"] = std::move(device);
    config["o"] = Origin();
    config["cmps"] = Json::object();
    return config;
}

// One voltage sensor per channel, keyed ch1..ch4 in "cmps".
void AddVoltageSensors(Json& components, const GatewayTopics& topics, uint8_t address, uint32_t expireAfterS) {
    for (int channel = 1; channel <= 4; ++channel) {
        Json sensor;
        sensor["p"] = "sensor";
        sensor["name"] = "Channel " + std::to_string(channel);
        // As 1.0 keyed them, so that a site's entities carry over.
        sensor["unique_id"] = topics.UniqueId(address, channel);
        // A failed poll's null renders as None, which Home Assistant shows as unknown.
        sensor["value_template"] = "{{ value_json." + ChannelKey(channel) + " }}";
        sensor["device_class"] = "voltage";
        sensor["unit_of_measurement"] = "V";
        sensor["state_class"] = "measurement";
        sensor["suggested_display_precision"] = 3;
        sensor["expire_after"] = expireAfterS;
        components["ch" + std::to_string(channel)] = std::move(sensor);
    }
}

// A problem sensor on the unit's alarm message, "ON" while `key` holds an
// alarm (a channel's list of kinds, or the spread's and communication's flag).
Json ProblemSensor(const GatewayTopics& topics, uint8_t address, const std::string& key, const std::string& name) {
    return {{"p", "binary_sensor"},
            {"name", name},
            {"unique_id", topics.UniqueId(address, "alarm_" + key)},
            {"state_topic", topics.Alarm(address)},
            {"value_template", "{{ 'ON' if value_json." + key + " else 'OFF' }}"},
            {"device_class", "problem"}};
}

void AddProblemSensors(Json& components, const GatewayTopics& topics, uint8_t address, const AlarmLimits& limits) {
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        if (!limits.Watches(channel)) continue;
        const std::string key = ChannelKey(static_cast<int>(channel) + 1);
        components["alarm_" + key] =
            ProblemSensor(topics, address, key, "Channel " + std::to_string(channel + 1) + " alarm");
    }
    if (limits.spreadMv) components["alarm_spread"] = ProblemSensor(topics, address, "spread", "Spread alarm");
    Json communication = ProblemSensor(topics, address, "communication", "Communication alarm");
    // Its problem is the unit's silence: it must not turn unavailable with the unit.
    communication["availability"] = {{{"topic", topics.Status()}}};
    components["alarm_communication"] = std::move(communication);
}

}  // namespace

uint32_t ExpireAfterSeconds(uint32_t worstPassMs) { return (3 * static_cast<uint64_t>(worstPassMs) + 999) / 1000; }

std::string GatewayDiscoveryJson(const GatewayTopics& topics) {
    Json config = DeviceConfig({{"identifiers", {topics.Prefix()}}, {"name", "Lumeric gateway " + topics.Prefix()}});
    config["cmps"]["status"] = {{"p", "binary_sensor"},
                                {"name", "Connection"},
                                {"unique_id", topics.GatewayUniqueId() + "_status"},
                                {"state_topic", topics.Status()},
                                {"payload_on", "online"},
                                {"payload_off", "offline"},
                                {"device_class", "connectivity"},
                                {"entity_category", "diagnostic"}};
    return config.dump();
}

std::string UnitDiscoveryJson(const GatewayTopics& topics, uint8_t address, const std::optional<UnitIdentity>& identity,
                              uint32_t expireAfterS, const std::optional<AlarmLimits>& alarms) {
    const std::string unit = topics.Prefix() + "/" + std::to_string(address);
    Json device;
    device["identifiers"] = {unit};
    device["name"] = identity ? identity->name + " " + unit : unit;
    if (identity) {
        device["model"] = identity->name;
        device["manufacturer"] = identity->maker;
        device["sw_version"] = identity->softwareVersion;
    }
    device["via_device"] = topics.Prefix();
    Json config = DeviceConfig(std::move(device));
    AddVoltageSensors(config["cmps"], topics, address, expireAfterS);
    if (alarms) AddProblemSensors(config["cmps"], topics, address, *alarms);
    config["state_topic"] = topics.State(address);
    config["availability"] = {{{"topic", topics.Status()}}, {{"topic", topics.Availability(address)}}};
    config["availability_mode"] = "all";
    return config.dump();
}
