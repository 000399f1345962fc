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

namespace {

// MQTT topics are UTF-8: a broker closes the connection of a client that sends other bytes.
bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and beyond U+10FFFF are not UTF-8.
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

}  // namespace

bool ValidTopicPrefix(const std::string& prefix) {
    if (!ValidUtf8(prefix)) return false;
    if (prefix.empty() || prefix.front() == '/' || prefix.back() == '/') return false;
    if (prefix.find("//") != std::string::npos) return false;
    return prefix.find_first_of(std::string("+#\0", 3)) == std::string::npos;
}
