#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "discovery_config.h"
#include "poll_record.h"
#include "publish_target.h"
#include "sequence_counter.h"
#include "topics.h"
#include "unit_availability.h"
#include "wall_time.h"

// A line's polls turned into MQTT messages: each poll a numbered state
// message, a unit's availability when it changes, and at start-up Home
// Assistant's discovery for every unit.
class Gateway {
public:
    // `worstPassMs`: the longest a pass can take, every unit silent; a
    // sensor's value expires three such passes after it came.
    Gateway(const GatewayTopics& topics, PublishTarget& target, WallClock& clock, SequenceCounter& sequence,
            uint32_t worstPassMs)
        : m_topics(topics), m_target(target), m_clock(clock), m_sequence(sequence), m_worstPassMs(worstPassMs) {}

    // Four sensors per unit; `identity` when the unit answered its information read.
    void AnnounceUnit(uint8_t address, const std::optional<UnitIdentity>& identity);
    // False when the sequence number could not be recorded (the reading is published all the same).
    bool Publish(const PolledUnit& poll, PollFailure failure);
    // Every unit unavailable: their port has gone.
    void PortGone();
    // A unit no longer polled: its sensors and its availability cleared from
    // the broker (an empty retained message deletes one).
    void Withdraw(uint8_t address);

private:
    const GatewayTopics& m_topics;
    PublishTarget& m_target;
    WallClock& m_clock;
    SequenceCounter& m_sequence;
    uint32_t m_worstPassMs;
    std::map<uint8_t, UnitAvailability> m_availability;
};
