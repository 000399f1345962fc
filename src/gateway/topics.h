#pragma once
#include <cstdint>
#include <string>

// Where a gateway publishes: every topic under one prefix, one branch per
// station, and Home Assistant's discovery topics outside it.
class GatewayTopics {
public:
    explicit GatewayTopics(std::string prefix) : m_prefix(std::move(prefix)) {}
    const std::string& Prefix() const { return m_prefix; }

    std::string State(uint8_t address) const { return Unit(address) + "/state"; }
    std::string Availability(uint8_t address) const { return Unit(address) + "/availability"; }
    // "online"/"offline" of the gateway itself, and beside it how many
    // readings the store had to give up.
    std::string Status() const { return m_prefix + "/status"; }
    std::string Dropped() const { return m_prefix + "/status/dropped"; }
    // homeassistant/sensor/<node>/<object>/config, both ids made of the
    // characters Home Assistant takes in them.
    std::string DiscoveryConfig(uint8_t address, int channel) const;
    // The same ids joined, unique across gateways: what Home Assistant keys the entity on.
    std::string UniqueId(uint8_t address, int channel) const;
    // The gateway's MQTT client id: the same at every start, so the broker
    // takes up its session again, and its own: the host and the port beside
    // the prefix, so two gateways given the same --topic do not take over
    // each other's session.
    std::string ClientId(const std::string& hostname, const std::string& portPath) const;

private:
    std::string Unit(uint8_t address) const { return m_prefix + "/" + std::to_string(address); }
    std::string m_prefix;
};

// lumeric/<hostname>-<port name>, the port's device path reduced to its last
// part (ttyUSB0), MQTT's wildcards and separators replaced so the prefix
// stays one level below "lumeric".
std::string DefaultTopicPrefix(const std::string& hostname, const std::string& portPath);
// A prefix a gateway may publish under: UTF-8, not empty, no wildcard, no empty level.
bool ValidTopicPrefix(const std::string& prefix);
