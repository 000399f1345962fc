#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct UnitOption {
    uint8_t address;
    uint32_t baud;
};

struct SimOptions {
    std::string linkPath;           // empty: no link
    uint16_t controlPort = 0;       // 0: any free port
    std::vector<UnitOption> units;  // empty on the command line: one unit, address 1 at 9600
};

// False with a message in `error` when the command line is wrong.
bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error);
extern const char* const kUsage;
