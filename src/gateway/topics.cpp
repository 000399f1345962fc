#include "topics.h"

#include <cctype>

namespace {

// Home Assistant's node and object ids take letters, digits, _ and - only.
std::string DiscoveryId(const std::string& text) {
    std::string id;
    for (const char c : text) id += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
    return id;
}

std::string TopicLevel(const std::string& text) {
    std::string level;
    for (const char c : text) level += (c == '/' || c == '+' || c == '#' || c == '\0') ? '_' : c;
    return level;
}

}  // namespace

std::string GatewayTopics::DeviceDiscovery(uint8_t address) const {
    return "homeassistant/device/" + UnitId(address) + "/config";
}

std::string GatewayTopics::GatewayDiscovery() const { return "homeassistant/device/" + GatewayUniqueId() + "/config"; }

std::string GatewayTopics::DiscoveryConfig(uint8_t address, int channel) const {
    return "homeassistant/sensor/" + UnitId(address) + "/ch" + std::to_string(channel) + "/config";
}

std::string GatewayTopics::DiscoveryConfigs(uint8_t address) const {
    return "homeassistant/sensor/" + UnitId(address) + "/+/config";
}

std::string GatewayTopics::UniqueId(uint8_t address, int channel) const {
    return UnitId(address) + "_ch" + std::to_string(channel);
}

std::string GatewayTopics::GatewayUniqueId() const { return DiscoveryId(m_prefix); }

std::string GatewayTopics::UnitId(uint8_t address) const {
    return DiscoveryId(m_prefix) + "_" + std::to_string(address);
}

std::string GatewayTopics::ClientId() const { return "lumeric-" + DiscoveryId(m_prefix); }

std::string DefaultTopicPrefix(const std::string& hostname, const std::string& portPath) {
    const size_t slash = portPath.find_last_of('/');
    const std::string portName = slash == std::string::npos ? portPath : portPath.substr(slash + 1);
    return "lumeric/" + TopicLevel(hostname + "-" + portName);
}

bool ValidTopicPrefix(const std::string& prefix) {
    if (prefix.empty() || prefix.front() == '/' || prefix.back() == '/') return false;
    if (prefix.find("//") != std::string::npos) return false;
    return prefix.find_first_of(std::string("+#\0", 3)) == std::string::npos;
}
