#include "text_format.h"

#include <cstdio>

namespace {

std::string Line(const char* label, const std::string& value) {
    char text[40];
    std::snprintf(text, sizeof text, "%-19s", label);
    return text + value + "\n";
}

std::string ScanRow(const std::string& address, const std::string& speed, const std::string& interval,
                    const std::string& name) {
    char text[64];
    std::snprintf(text, sizeof text, "%-8s %-6s %-9s ", address.c_str(), speed.c_str(), interval.c_str());
    return text + name + "\n";
}

}  // namespace

std::string ReadoutText(const VoltageReadout& readout) {
    std::string text;
    for (size_t channel = 0; channel < readout.counts.size(); ++channel) {
        char line[64];
        std::snprintf(line, sizeof line, "channel %zu  %5u  %7s V\n", channel + 1,
                      static_cast<unsigned>(readout.counts[channel]),
                      VoltsText(readout.counts[channel], readout.scale).c_str());
        text += line;
    }
    return text;
}

std::string InfoText(const DeviceInfo& info) {
    return Line("station address", std::to_string(info.settings.address)) +
           Line("line speed", std::to_string(info.settings.baudRate) + " bit/s") +
           Line("sampling interval", std::to_string(info.settings.interval)) + Line("device name", info.name) +
           Line("software version", info.softwareVersion) + Line("maker", info.maker) +
           Line("protocol version", info.protocolVersion);
}

std::string PollText(const PolledUnit& poll) {
    std::string text = IsoLocalTime(poll.time) + "  station " + std::to_string(poll.address);
    if (!poll.volts) return text + "  communication fault\n";
    for (float volts : *poll.volts) text += "  " + VoltageText(volts);
    return text + "\n";
}

std::string ScanText(const std::vector<FoundUnit>& units) {
    if (units.empty()) return "no unit found\n";
    std::string text = ScanRow("address", "speed", "interval", "name");
    for (const FoundUnit& unit : units) {
        text += ScanRow(std::to_string(unit.address), std::to_string(unit.baudRate), std::to_string(unit.interval),
                        unit.name);
    }
    return text;
}

std::string AlarmEventText(const AlarmEvent& event) {
    std::string text = std::string("alarm ") + (event.raised ? "raised" : "cleared") + "  " + IsoLocalTime(event.time) +
                       "  station " + std::to_string(event.address) + "  ";
    if (event.kind == AlarmKind::High || event.kind == AlarmKind::Low) {
        text += "channel " + std::to_string(event.channel + 1) + " ";
    }
    text += AlarmKindName(event.kind);
    if (event.valueMv) text += "  " + MillivoltsText(*event.valueMv) + " V";
    if (event.limitMv) text += "  limit " + MillivoltsText(*event.limitMv) + " V";
    return text + "\n";
}
