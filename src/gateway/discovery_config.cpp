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
                              uint32_t expireAfterS) {
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
    config["state_topic"] = topics.State(address);
    config["availability"] = {{{"topic", topics.Status()}}, {{"topic", topics.Availability(address)}}};
    config["availability_mode"] = "all";
    return config.dump();
}
