#pragma once
#include <optional>
#include <string>

// Whether a unit answers, as Home Assistant is told it: "online" from its
// first good poll, "offline" once it has missed kMissesToOffline polls in a
// row (one miss on a noisy line is no outage), "online" again at its next
// good poll. Only changes are told.
class UnitAvailability {
public:
    static constexpr int kMissesToOffline = 3;

    // The new state to publish after a poll, if it changed.
    std::optional<std::string> AfterPoll(bool answered) {
        m_misses = answered ? 0 : m_misses + 1;
        State next = m_state;
        if (answered) next = State::Online;
        if (m_misses >= kMissesToOffline) next = State::Offline;
        if (next == m_state) return std::nullopt;
        m_state = next;
        return std::string(next == State::Online ? "online" : "offline");
    }

    // "offline" unless already told: the unit cannot be polled (its port has
    // gone); its next good poll makes it "online" again.
    std::optional<std::string> Unreachable() {
        m_misses = kMissesToOffline;
        if (m_state == State::Offline) return std::nullopt;
        m_state = State::Offline;
        return std::string("offline");
    }

private:
    enum class State { Unknown, Online, Offline };
    State m_state = State::Unknown;
    int m_misses = 0;
};
