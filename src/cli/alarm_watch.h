#pragma once
#include <functional>
#include <vector>

#include "alarm_monitor.h"
#include "cli_session.h"
#include "poll_sink.h"

// Every poll held against the alarm limits on its way to the next taker: each
// raise and clear is a line on standard error and goes to `told` (the
// gateway publishes it) before the poll itself goes on.
class AlarmWatch : public PollSink {
public:
    // A unit's events of one poll (none, often) and the alarms of it that stand.
    using Told = std::function<void(int64_t address, const std::vector<AlarmEvent>&, const ActiveAlarms&)>;

    AlarmWatch(CliSession& session, PollSink& next, Told told = {})
        : m_session(session), m_next(next), m_monitor(session.options.alarms), m_told(std::move(told)) {}

    std::optional<CliFailure> Polled(const PolledUnit& poll, PollFailure failure) override;
    bool StopRequested() const override { return m_next.StopRequested(); }
    void Tick() override { m_next.Tick(); }
    // A port that has gone is every unit's communication alarm.
    void PortGone() override;

private:
    void Tell(int64_t address, const std::vector<AlarmEvent>& events);

    CliSession& m_session;
    PollSink& m_next;
    AlarmMonitor m_monitor;
    Told m_told;
};
