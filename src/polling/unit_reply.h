#pragma once
// What a poll of one unit waits for and what its reply holds, as the
// multi-unit window, the command line's poll and the gateway all take it.
#include <array>
#include <cstdint>

constexpr int kChannelCount = 4;  // 电池1 to 电池4

// How long a unit has to answer a poll, its whole reply included.
constexpr uint32_t kUnitReplyWaitMs = 1000;

// The four voltages of a whole 13-byte reply, in volts at the table's scale,
// as the record keeps them.
std::array<float, kChannelCount> FourVolts(const uint8_t* reply);
