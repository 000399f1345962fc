#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "topics.h"

// What a unit says about itself when it answers at start-up.
struct UnitIdentity {
    std::string name;
    std::string softwareVersion;
    std::string maker;
};

// The retained config that makes one channel of one unit a Home Assistant
// voltage sensor: its value read out of the state JSON, available while both
// the gateway and the unit are, on one device per unit.
// The value expires after `expireAfterSeconds` without a new one: Home
// Assistant then shows it unavailable rather than old voltages as current.
std::string DiscoveryConfigJson(const GatewayTopics& topics, uint8_t address, int channel,
                                const std::optional<UnitIdentity>& identity, uint32_t expireAfterSeconds);
// Three of the longest passes, in whole seconds: a late pass is no outage.
uint32_t ExpireAfterSeconds(uint32_t worstPassMs);
