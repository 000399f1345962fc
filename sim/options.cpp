#include "options.h"

#include <cstdlib>

#include "baud.h"

const char* const kUsage = "usage: lumeric-sim [--link PATH] [--control PORT] [--unit ADDR[:BAUD]]...\n";

namespace {
bool ParseNumber(const std::string& text, uint32_t maximum, uint32_t& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    return value <= maximum;
}

bool ParseUnit(const std::string& text, UnitOption& unit) {
    const size_t colon = text.find(':');
    uint32_t address = 0;
    uint32_t baud = 9600;
    if (!ParseNumber(text.substr(0, colon), 247, address)) return false;
    if (colon != std::string::npos && (!ParseNumber(text.substr(colon + 1), 19200, baud) || !IsUnitBaud(baud))) {
        return false;
    }
    unit = {static_cast<uint8_t>(address), baud};
    return true;
}
}  // namespace

bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + option;
            return false;
        }
        const std::string value = argv[++i];
        uint32_t port = 0;
        UnitOption unit{};
        if (option == "--link") {
            options.linkPath = value;
        } else if (option == "--control" && ParseNumber(value, 65535, port)) {
            options.controlPort = static_cast<uint16_t>(port);
        } else if (option == "--unit" && ParseUnit(value, unit)) {
            for (const UnitOption& other : options.units) {
                if (other.address == unit.address) {
                    error = "two units at address " + std::to_string(unit.address);
                    return false;
                }
            }
            options.units.push_back(unit);
        } else {
            error = "bad option: " + option + " " + value;
            return false;
        }
    }
    if (options.units.empty()) options.units.push_back({1, 9600});
    return true;
}
