#include "json_format.h"

#include <cstdio>

namespace {

std::string Member(const char* name, const std::string& value) { return JsonString(name) + ":" + value; }

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string ReadoutJson(const VoltageReadout& readout) {
    std::string channels;
    for (size_t channel = 0; channel < readout.counts.size(); ++channel) {
        if (channel > 0) channels += ",";
        channels += "{" + Member("channel", std::to_string(channel + 1)) + "," +
                    Member("raw", std::to_string(readout.counts[channel])) + "," +
                    Member("volts", VoltsText(readout.counts[channel], readout.scale)) + "}";
    }
    return "{" + Member("address", std::to_string(readout.address)) + "," + Member("channels", "[" + channels + "]") +
           "}\n";
}

std::string InfoJson(const DeviceInfo& info) {
    return "{" + Member("address", std::to_string(info.settings.address)) + "," +
           Member("baud", std::to_string(info.settings.baudRate)) + "," +
           Member("interval", std::to_string(info.settings.interval)) + "," + Member("name", JsonString(info.name)) +
           "," + Member("softwareVersion", JsonString(info.softwareVersion)) + "," +
           Member("maker", JsonString(info.maker)) + "," + Member("protocolVersion", JsonString(info.protocolVersion)) +
           "}\n";
}

std::string ScanJson(const std::vector<FoundUnit>& units) {
    std::string json = "[";
    for (size_t i = 0; i < units.size(); ++i) {
        const FoundUnit& unit = units[i];
        if (i > 0) json += ",";
        json += "{" + Member("address", std::to_string(unit.address)) + "," +
                Member("baud", std::to_string(unit.baudRate)) + "," +
                Member("interval", std::to_string(unit.interval)) + "," + Member("name", JsonString(unit.name)) + "}";
    }
    return json + "]\n";
}
