#include "alarm_monitor.h"

#include <algorithm>

const char* AlarmKindName(AlarmKind kind) {
    static const char* const kNames[] = {"high", "low", "spread", "communication"};  // in AlarmKind's order
    return kNames[static_cast<int>(kind)];
}

bool ActiveAlarms::Any() const {
    const auto raised = [](bool b) { return b; };
    return spread || communication || std::any_of(high.begin(), high.end(), raised) ||
           std::any_of(low.begin(), low.end(), raised);
}

bool AlarmMonitor::Latch::Step(bool beyond, bool backInside, int32_t onDelay) {
    const bool towardsFlip = raised ? backInside : beyond;
    streak = towardsFlip ? streak + 1 : 0;
    if (streak < onDelay) return false;
    raised = !raised;
    streak = 0;
    return true;
}

AlarmMonitor::AlarmMonitor(const AlarmLimits& limits) : m_limits(limits) {}

namespace {

bool SameWatchedChannels(const AlarmLimits& a, const AlarmLimits& b) {
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        if (a.Watches(channel) != b.Watches(channel)) return false;
    }
    return true;
}

}  // namespace

std::vector<AlarmEvent> AlarmMonitor::SetLimits(const AlarmLimits& limits, const LocalTime& now) {
    std::vector<AlarmEvent> events;
    // A limit that changed starts afresh; one that stood says it cleared.
    const auto restart = [&](Latch& latch, bool changed, const std::optional<Millivolts>& before, AlarmEvent event) {
        if (!changed) return;
        if (latch.raised) {
            event.limitMv = before;
            events.push_back(event);
        }
        latch = Latch{};
    };
    // The spread covers the watched channels: other channels make another spread.
    const bool spreadChanged = m_limits.spreadMv != limits.spreadMv || !SameWatchedChannels(m_limits, limits);
    for (auto& [address, unit] : m_units) {
        AlarmEvent event;
        event.time = now;
        event.address = address;
        event.raised = false;
        for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
            const auto& high = m_limits.highMv[channel];
            const auto& low = m_limits.lowMv[channel];
            event.channel = channel;
            event.kind = AlarmKind::High;
            restart(unit.high[channel], high != limits.highMv[channel], high, event);
            event.kind = AlarmKind::Low;
            restart(unit.low[channel], low != limits.lowMv[channel], low, event);
        }
        event.channel = 0;
        event.kind = AlarmKind::Spread;
        restart(unit.spread, spreadChanged, m_limits.spreadMv, event);
    }
    m_limits = limits;
    return events;
}

std::vector<AlarmEvent> AlarmMonitor::OnPoll(const PolledUnit& poll) {
    UnitState& unit = m_units[poll.address];
    std::vector<AlarmEvent> events;
    AlarmEvent event;
    event.time = poll.time;
    event.address = poll.address;
    // A failed poll says nothing about the voltages: their alarms and
    // on-delays stay as they are.
    if (poll.volts) {
        for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
            unit.lastMv[channel] = ToMillivolts((*poll.volts)[channel]);
        }
        CheckChannels(unit, event, events);
        CheckSpread(unit, event, events);
    }
    CheckCommunication(unit, poll.volts.has_value(), event, events);
    return events;
}

void AlarmMonitor::CheckChannels(UnitState& unit, AlarmEvent& event, std::vector<AlarmEvent>& events) {
    const Millivolts band = m_limits.hysteresisMv;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const Millivolts value = unit.lastMv[channel];
        event.channel = channel;
        event.valueMv = value;
        if (const auto& high = m_limits.highMv[channel]) {
            if (unit.high[channel].Step(value > *high, value <= *high - band, m_limits.onDelayPolls)) {
                event.kind = AlarmKind::High;
                event.raised = unit.high[channel].raised;
                event.limitMv = high;
                events.push_back(event);
            }
        }
        if (const auto& low = m_limits.lowMv[channel]) {
            if (unit.low[channel].Step(value < *low, value >= *low + band, m_limits.onDelayPolls)) {
                event.kind = AlarmKind::Low;
                event.raised = unit.low[channel].raised;
                event.limitMv = low;
                events.push_back(event);
            }
        }
    }
}

void AlarmMonitor::CheckSpread(UnitState& unit, AlarmEvent& event, std::vector<AlarmEvent>& events) {
    if (!m_limits.spreadMv) return;
    std::optional<Millivolts> lowest;
    std::optional<Millivolts> highest;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        if (!m_limits.Watches(channel)) continue;
        const Millivolts value = unit.lastMv[channel];
        lowest = std::min(lowest.value_or(value), value);
        highest = std::max(highest.value_or(value), value);
    }
    // With fewer than two watched channels there is nothing to spread.
    const Millivolts spread = lowest ? *highest - *lowest : 0;
    const Millivolts limit = *m_limits.spreadMv;
    if (unit.spread.Step(spread > limit, spread <= limit - m_limits.hysteresisMv, m_limits.onDelayPolls)) {
        event.kind = AlarmKind::Spread;
        event.channel = 0;
        event.raised = unit.spread.raised;
        event.valueMv = spread;
        event.limitMv = limit;
        events.push_back(event);
    }
}

void AlarmMonitor::CheckCommunication(UnitState& unit, bool ok, AlarmEvent& event, std::vector<AlarmEvent>& events) {
    unit.failedInRow = ok ? 0 : unit.failedInRow + 1;
    const bool raise = !unit.communication && unit.failedInRow >= kFailedPollsForCommAlarm;
    const bool clear = unit.communication && ok;
    if (!raise && !clear) return;
    unit.communication = raise;
    event.kind = AlarmKind::Communication;
    event.channel = 0;
    event.raised = raise;
    event.valueMv.reset();
    event.limitMv.reset();
    events.push_back(event);
}

std::vector<AlarmEvent> AlarmMonitor::Unreachable(const LocalTime& now) {
    std::vector<AlarmEvent> events;
    for (auto& [address, unit] : m_units) {
        AlarmEvent event;
        event.time = now;
        event.address = address;
        unit.failedInRow = kFailedPollsForCommAlarm - 1;
        CheckCommunication(unit, false, event, events);
    }
    return events;
}

ActiveAlarms AlarmMonitor::Active(int64_t address) const {
    ActiveAlarms active;
    const auto found = m_units.find(address);
    if (found == m_units.end()) return active;
    const UnitState& unit = found->second;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        active.high[channel] = unit.high[channel].raised;
        active.low[channel] = unit.low[channel].raised;
    }
    active.spread = unit.spread.raised;
    active.communication = unit.communication;
    return active;
}
