#pragma once
// What may be written to the unit's settings: the console refuses anything
// else before it reaches the wire, and so does every other program.
#include <array>
#include <cstdint>

constexpr int32_t kLowestStationAddress = 0;
constexpr int32_t kHighestStationAddress = 15;
constexpr int32_t kShortestSampleInterval = 1;
constexpr int32_t kLongestSampleInterval = 250;

constexpr bool StationAddressAccepted(int32_t address) {
    return address >= kLowestStationAddress && address <= kHighestStationAddress;
}
constexpr bool SampleIntervalAccepted(int32_t interval) {
    return interval >= kShortestSampleInterval && interval <= kLongestSampleInterval;
}

// The line speeds a unit takes, slowest first: also the order of the items of
// the console's baud-rate combos, so an index means the same rate in either.
constexpr std::array<uint32_t, 5> kBaudRates = {1200, 2400, 4800, 9600, 19200};
