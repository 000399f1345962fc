#pragma once
#include <string>

// Where the gateway's messages go, all QoS 1.
class PublishTarget {
public:
    virtual ~PublishTarget() = default;
    // A message that must arrive: kept in the store until the broker has it.
    virtual void Keep(const std::string& topic, const std::string& payload, bool retained) = 0;
    // A retained message that is told again at every start (discovery):
    // sent now, not kept.
    virtual void Announce(const std::string& topic, const std::string& payload) = 0;
};
