#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "alarm_monitor.h"
#include "discovery_config.h"
#include "poll_record.h"
#include "publish_target.h"
#include "sequence_counter.h"
#include "topics.h"
#include "unit_availability.h"
#include "wall_time.h"

// A line's polls turned into MQTT messages: each poll a numbered state
// message, a unit's availability when it changes, its alarms when they are
// watched, and Home Assistant's
// discovery: the gateway's device and one per unit, told at start-up, told
// again when Home Assistant says it is back, and taking over 1.0's
// per-sensor configs where a site still has them.
class Gateway {
public:
    // `worstPassMs`: the longest a pass can take, every unit silent; a
    // sensor's value expires three such passes after it came. `alarms`: the
    // limits watched, if any, for the units' problem sensors.
    Gateway(const GatewayTopics& topics, PublishTarget& target, WallClock& clock, SequenceCounter& sequence,
            uint32_t worstPassMs, std::optional<AlarmLimits> alarms = std::nullopt)
        : m_topics(topics),
          m_target(target),
          m_clock(clock),
          m_sequence(sequence),
          m_worstPassMs(worstPassMs),
          m_alarms(std::move(alarms)) {}

    void AnnounceGateway();
    // Four sensors per unit; `identity` when the unit answered its information read.
    void AnnounceUnit(uint8_t address, const std::optional<UnitIdentity>& identity);
    // False when the sequence number could not be recorded (the reading is published all the same).
    bool Publish(const PolledUnit& poll, PollFailure failure);
    // A unit's alarm events of one poll, each on its event topic, kept until
    // the broker has it; the alarms that stand, retained, at the unit's first
    // poll and whenever they change.
    void PublishAlarms(uint8_t address, const std::vector<AlarmEvent>& events, const ActiveAlarms& active);
    // Every unit unavailable: their port has gone.
    void PortGone();
    // A unit no longer polled: its sensors and its availability cleared from
    // the broker (an empty retained message deletes one).
    void Withdraw(uint8_t address);

    // What the gateway listens to once it has announced: Home Assistant's
    // status and the announced units' 1.0 configs.
    std::vector<std::string> Subscriptions() const;
    // A message on one of them. Home Assistant back online: every config
    // again `delayMs` later (Tick sends them), so that a restarted Home
    // Assistant finds every unit without all gateways answering at once. A
    // 1.0 config: its entity handed over to the unit's device now.
    void Received(const std::string& topic, const std::string& payload, uint32_t nowMs, uint32_t delayMs);
    void Tick(uint32_t nowMs);

private:
    void HandOver(const std::string& legacyTopic, uint8_t address);

    const GatewayTopics& m_topics;
    PublishTarget& m_target;
    WallClock& m_clock;
    SequenceCounter& m_sequence;
    uint32_t m_worstPassMs;
    std::optional<AlarmLimits> m_alarms;
    std::map<uint8_t, UnitAvailability> m_availability;
    std::set<uint8_t> m_alarmsTold;                  // the units whose alarms have been published
    std::map<std::string, std::string> m_announced;  // discovery topic -> config
    std::map<uint8_t, std::string> m_unitConfigs;    // address -> its device's config
    std::optional<uint32_t> m_announceAgainAtMs;
};
