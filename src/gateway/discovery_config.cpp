#include "discovery_config.h"

#include <nlohmann/json.hpp>

#include "state_message.h"

uint32_t ExpireAfterSeconds(uint32_t worstPassMs) { return (3 * static_cast<uint64_t>(worstPassMs) + 999) / 1000; }

std::string DiscoveryConfigJson(const GatewayTopics& topics, uint8_t address, int channel,
                                const std::optional<UnitIdentity>& identity, uint32_t expireAfterSeconds) {
    const std::string unit = topics.Prefix() + "/" + std::to_string(address);
    nlohmann::ordered_json device;
    device["identifiers"] = {unit};
    device["name"] = identity ? identity->name + " " + unit : unit;
    if (identity) {
        device["model"] = identity->name;
        device["manufacturer"] = identity->maker;
        device["sw_version"] = identity->softwareVersion;
    }
    nlohmann::ordered_json config;
    config["name"] = "Channel " + std::to_string(channel);
    config["unique_id"] = topics.UniqueId(address, channel);
    config["state_topic"] = topics.State(address);
    // A failed poll's null renders as None, which Home Assistant shows as unknown.
    config["value_template"] = "{{ value_json." + ChannelKey(channel) + " }}";
    config["device_class"] = "voltage";
    config["unit_of_measurement"] = "V";
    config["state_class"] = "measurement";
    config["suggested_display_precision"] = 3;
    config["expire_after"] = expireAfterSeconds;
    config["availability"] = {{{"topic", topics.Status()}}, {{"topic", topics.Availability(address)}}};
    config["availability_mode"] = "all";
    config["device"] = device;
    return config.dump();
}
