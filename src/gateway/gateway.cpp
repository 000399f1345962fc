#include "gateway.h"

#include "alarm_messages.h"
#include "state_message.h"

namespace {

// Home Assistant's own status topic: "online" when it has (re)started.
constexpr const char* kHomeAssistantStatus = "homeassistant/status";
// Tells Home Assistant to unload an entity of a per-sensor config but keep
// its settings, for a device config with the same unique_id to take it over.
constexpr const char* kMigrateDiscovery = R"({"migrate_discovery": true })";

}  // namespace

void Gateway::AnnounceGateway() {
    const std::string config = GatewayDiscoveryJson(m_topics);
    m_announced[m_topics.GatewayDiscovery()] = config;
    m_target.Announce(m_topics.GatewayDiscovery(), config);
}

void Gateway::AnnounceUnit(uint8_t address, const std::optional<UnitIdentity>& identity) {
    const std::string config =
        UnitDiscoveryJson(m_topics, address, identity, ExpireAfterSeconds(m_worstPassMs), m_alarms);
    m_unitConfigs[address] = config;
    m_announced[m_topics.DeviceDiscovery(address)] = config;
    m_target.Announce(m_topics.DeviceDiscovery(address), config);
}

bool Gateway::Publish(const PolledUnit& poll, PollFailure failure) {
    bool kept = true;
    const uint64_t sequence = m_sequence.Next(kept);
    const auto address = static_cast<uint8_t>(poll.address);
    m_target.Keep(m_topics.State(address), StateJson(poll, failure, m_clock.Now(), sequence), false);
    if (const auto change = m_availability[address].AfterPoll(poll.volts.has_value())) {
        m_target.Keep(m_topics.Availability(address), *change, true);
    }
    return kept;
}

void Gateway::PublishAlarms(uint8_t address, const std::vector<AlarmEvent>& events, const ActiveAlarms& active) {
    const WallTime now = m_clock.Now();
    for (const AlarmEvent& event : events) m_target.Keep(m_topics.Event(address), AlarmEventJson(event, now), false);
    const bool first = m_alarmsTold.insert(address).second;
    if (!first && events.empty()) return;
    m_target.Keep(m_topics.Alarm(address), ActiveAlarmsJson(address, active, now), true);
}

std::vector<std::string> Gateway::Subscriptions() const {
    std::vector<std::string> filters{kHomeAssistantStatus};
    for (const auto& [address, config] : m_unitConfigs) filters.push_back(m_topics.DiscoveryConfigs(address));
    return filters;
}

void Gateway::Received(const std::string& topic, const std::string& payload, uint32_t nowMs, uint32_t delayMs) {
    if (topic == kHomeAssistantStatus) {
        if (payload == "online") m_announceAgainAtMs = nowMs + delayMs;
        return;
    }
    // An empty payload is a config already cleared; the marker is our own, come back.
    if (payload.empty() || payload == kMigrateDiscovery) return;
    for (const auto& [address, config] : m_unitConfigs) {
        for (int channel = 1; channel <= 4; ++channel) {
            if (topic == m_topics.DiscoveryConfig(address, channel)) return HandOver(topic, address);
        }
    }
}

// As Home Assistant documents the move from per-sensor to device discovery:
// the old config marked for migration, the device config, then the old one
// cleared, so that the entity keeps its id, name and history.
void Gateway::HandOver(const std::string& legacyTopic, uint8_t address) {
    m_target.Announce(legacyTopic, kMigrateDiscovery);
    m_target.Announce(m_topics.DeviceDiscovery(address), m_unitConfigs[address]);
    m_target.Announce(legacyTopic, "");
}

void Gateway::Tick(uint32_t nowMs) {
    // Wrapping milliseconds: due once the difference is "non-negative".
    if (!m_announceAgainAtMs || static_cast<int32_t>(nowMs - *m_announceAgainAtMs) < 0) return;
    m_announceAgainAtMs.reset();
    for (const auto& [topic, config] : m_announced) m_target.Announce(topic, config);
}

// A unit dropped from the addresses: its device (and any 1.0 per-sensor
// config left of it), its availability and its alarms cleared, so that Home Assistant
// shows no unit that is no longer polled.
void Gateway::Withdraw(uint8_t address) {
    m_target.Keep(m_topics.DeviceDiscovery(address), "", true);
    for (int channel = 1; channel <= 4; ++channel) m_target.Keep(m_topics.DiscoveryConfig(address, channel), "", true);
    m_target.Keep(m_topics.Availability(address), "", true);
    m_target.Keep(m_topics.Alarm(address), "", true);
}

void Gateway::PortGone() {
    for (auto& [address, availability] : m_availability) {
        if (const auto change = availability.Unreachable())
            m_target.Keep(m_topics.Availability(address), *change, true);
    }
}
