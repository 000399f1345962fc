#include "gateway.h"

#include "state_message.h"

void Gateway::AnnounceUnit(uint8_t address, const std::optional<UnitIdentity>& identity) {
    for (int channel = 1; channel <= 4; ++channel) {
        m_target.Announce(m_topics.DiscoveryConfig(address, channel),
                          DiscoveryConfigJson(m_topics, address, channel, identity, ExpireAfterSeconds(m_worstPassMs)));
    }
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

void Gateway::Withdraw(uint8_t address) {
    for (int channel = 1; channel <= 4; ++channel) m_target.Keep(m_topics.DiscoveryConfig(address, channel), "", true);
    m_target.Keep(m_topics.Availability(address), "", true);
}

void Gateway::PortGone() {
    for (auto& [address, availability] : m_availability) {
        if (const auto change = availability.Unreachable())
            m_target.Keep(m_topics.Availability(address), *change, true);
    }
}
