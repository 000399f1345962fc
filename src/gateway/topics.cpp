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

std::string GatewayTopics::DiscoveryConfig(uint8_t address, int channel) const {
    return "homeassistant/sensor/" + DiscoveryId(m_prefix) + "_" + std::to_string(address) + "/ch" +
           std::to_string(channel) + "/config";
}

std::string GatewayTopics::UniqueId(uint8_t address, int channel) const {
    return DiscoveryId(m_prefix) + "_" + std::to_string(address) + "_ch" + std::to_string(channel);
}

std::string GatewayTopics::ClientId(const std::string& hostname, const std::string& portPath) const {
    return "lumeric-" + DiscoveryId(m_prefix) + "-" + DiscoveryId(hostname) + "-" + DiscoveryId(portPath);
}

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
