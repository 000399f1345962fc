#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "alarm_limits.h"
#include "topics.h"

// What a unit says about itself when it answers at start-up.
struct UnitIdentity {
    std::string name;
    std::string softwareVersion;
    std::string maker;
};

// Home Assistant's device-based discovery: one retained config per device
// on GatewayTopics::DeviceDiscovery, its entities under "cmps".

// The gateway as a device of its own, with a connectivity sensor that
// follows PREFIX/status; the units' devices hang below it (via_device).
std::string GatewayDiscoveryJson(const GatewayTopics& topics);
// A unit as a device with its four voltages, read out of its state message,
// available while both the gateway and the unit are, and unknown once no
// reading has come for `expireAfterS` seconds. `identity` when the unit
// answered its information read. With `alarms` watched, a problem sensor per
// channel with a limit, one for the spread when it has a limit, and one for
// communication, all read out of the unit's alarm message.
std::string UnitDiscoveryJson(const GatewayTopics& topics, uint8_t address, const std::optional<UnitIdentity>& identity,
                              uint32_t expireAfterS, const std::optional<AlarmLimits>& alarms = std::nullopt);
// Three of the longest passes, in whole seconds: a late pass is no outage.
uint32_t ExpireAfterSeconds(uint32_t worstPassMs);
