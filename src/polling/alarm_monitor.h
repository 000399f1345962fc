#pragma once
// The alarm rules applied to a line's polls: each limit raised only after the
// on-delay, cleared only once the value is back inside by the hysteresis, a
// unit's spread, and its communication. Every raise and clear is an event.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "alarm_limits.h"
#include "poll_record.h"

enum class AlarmKind { High, Low, Spread, Communication };
// The kind as programs and logs name it: "high", "low", "spread", "communication".
const char* AlarmKindName(AlarmKind kind);

// Polls that fail in a row before a unit's communication alarm is raised.
constexpr int32_t kFailedPollsForCommAlarm = 3;

struct AlarmEvent {
    LocalTime time;  // the poll's
    int64_t address = 0;
    AlarmKind kind = AlarmKind::High;
    size_t channel = 0;  // 0-3 for High and Low; not used by the unit-wide kinds
    bool raised = true;  // false: cleared
    // The value that raised or cleared it and the limit it was held against;
    // none for communication (and for a clear that a change of limits made).
    std::optional<Millivolts> valueMv;
    std::optional<Millivolts> limitMv;
};

// A unit's alarms that stand.
struct ActiveAlarms {
    std::array<bool, kAlarmChannels> high{};
    std::array<bool, kAlarmChannels> low{};
    bool spread = false;
    bool communication = false;
    bool Any() const;
};

class AlarmMonitor {
public:
    explicit AlarmMonitor(const AlarmLimits& limits = {});

    const AlarmLimits& Limits() const { return m_limits; }
    // New limits at `now`: an alarm whose own limit changed or went is
    // cleared (and its on-delay restarted), the others stand.
    std::vector<AlarmEvent> SetLimits(const AlarmLimits& limits, const LocalTime& now);
    // One poll's events, in the order high, low per channel, spread, communication.
    std::vector<AlarmEvent> OnPoll(const PolledUnit& poll);
    // The line itself has gone (its port unplugged): no poll can be made, so
    // every unit polled so far has its communication alarm raised at `now`
    // rather than never; each one's next good poll clears it.
    std::vector<AlarmEvent> Unreachable(const LocalTime& now);
    // None for a unit never polled.
    ActiveAlarms Active(int64_t address) const;

private:
    // One limit's state: raised or not, and how many polls in a row have
    // argued for the other state.
    struct Latch {
        bool raised = false;
        int32_t streak = 0;
        // True when the state flips on this poll.
        bool Step(bool beyond, bool backInside, int32_t onDelay);
    };
    struct UnitState {
        std::array<Latch, kAlarmChannels> high;
        std::array<Latch, kAlarmChannels> low;
        Latch spread;
        bool communication = false;
        int32_t failedInRow = 0;
        std::array<Millivolts, kAlarmChannels> lastMv{};
    };

    void CheckChannels(UnitState& unit, AlarmEvent& event, std::vector<AlarmEvent>& events);
    void CheckSpread(UnitState& unit, AlarmEvent& event, std::vector<AlarmEvent>& events);
    void CheckCommunication(UnitState& unit, bool ok, AlarmEvent& event, std::vector<AlarmEvent>& events);

    AlarmLimits m_limits;
    std::map<int64_t, UnitState> m_units;
};
