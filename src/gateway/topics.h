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
    // The unit's alarms that stand (retained), and each raise and clear.
    std::string Alarm(uint8_t address) const { return Unit(address) + "/alarm"; }
    std::string Event(uint8_t address) const { return Unit(address) + "/event"; }
    // "online"/"offline" of the gateway itself, and beside it how many
    // readings the store had to give up.
    std::string Status() const { return m_prefix + "/status"; }
    std::string Dropped() const { return m_prefix + "/status/dropped"; }
    // Home Assistant's device-based discovery: homeassistant/device/<id>/config,
    // the unit's id as 1.0's per-sensor configs had it as their node.
    std::string DeviceDiscovery(uint8_t address) const;
    std::string GatewayDiscovery() const;
    // 1.0's per-sensor configs, homeassistant/sensor/<node>/<object>/config,
    // both ids made of the characters Home Assistant takes in them.
    std::string DiscoveryConfig(uint8_t address, int channel) const;
    // All four of them, as a subscription's filter.
    std::string DiscoveryConfigs(uint8_t address) const;
    // A channel's ids joined, unique across gateways: what Home Assistant keys the entity on.
    std::string UniqueId(uint8_t address, int channel) const;
    // A unit's problem sensor, `key` naming what it watches (alarm_ch2, alarm_spread...).
    std::string UniqueId(uint8_t address, const std::string& key) const { return UnitId(address) + "_" + key; }
    std::string GatewayUniqueId() const;
    // The gateway's MQTT client id: the same at every start, so the broker
    // takes up its session again, and its own: the host and the port beside
    // the prefix, so two gateways given the same --topic do not take over
    // each other's session.
    std::string ClientId(const std::string& hostname, const std::string& portPath) const;

private:
    std::string Unit(uint8_t address) const { return m_prefix + "/" + std::to_string(address); }
    std::string UnitId(uint8_t address) const;
    std::string m_prefix;
};

// lumeric/<hostname>-<port name>, the port's device path reduced to its last
// part (ttyUSB0), MQTT's wildcards and separators replaced so the prefix
// stays one level below "lumeric".
std::string DefaultTopicPrefix(const std::string& hostname, const std::string& portPath);
// A prefix a gateway may publish under: UTF-8, not empty, no wildcard, no empty level.
bool ValidTopicPrefix(const std::string& prefix);
