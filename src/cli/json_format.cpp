#include "json_format.h"

#include <nlohmann/json.hpp>

namespace {

// Members in the order a person reads them, not sorted by name.
using Json = nlohmann::ordered_json;

// One line. A unit's text that is not valid UTF-8 shows U+FFFD where it
// breaks, rather than ending the program.
std::string Line(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n"; }

}  // namespace

std::string ReadoutJson(const VoltageReadout& readout) {
    Json channels = Json::array();
    for (size_t channel = 0; channel < readout.counts.size(); ++channel) {
        const uint16_t count = readout.counts[channel];
        // Through the shown decimals, so the number is the one the text shows.
        channels.push_back(
            {{"channel", channel + 1}, {"raw", count}, {"volts", std::stod(VoltsText(count, readout.scale))}});
    }
    return Line({{"address", readout.address}, {"channels", channels}});
}

std::string InfoJson(const DeviceInfo& info) {
    return Line({{"address", info.settings.address},
                 {"baud", info.settings.baudRate},
                 {"interval", info.settings.interval},
                 {"name", info.name},
                 {"softwareVersion", info.softwareVersion},
                 {"maker", info.maker},
                 {"protocolVersion", info.protocolVersion}});
}

std::string ScanJson(const std::vector<FoundUnit>& units) {
    Json list = Json::array();
    for (const FoundUnit& unit : units) {
        list.push_back(
            {{"address", unit.address}, {"baud", unit.baudRate}, {"interval", unit.interval}, {"name", unit.name}});
    }
    return Line(list);
}
