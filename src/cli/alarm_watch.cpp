#include "alarm_watch.h"

#include "text_format.h"

std::optional<CliFailure> AlarmWatch::Polled(const PolledUnit& poll, PollFailure failure) {
    Tell(poll.address, m_monitor.OnPoll(poll));
    return m_next.Polled(poll, failure);
}

void AlarmWatch::PortGone() {
    const std::vector<AlarmEvent> events = m_monitor.Unreachable(m_session.Now());
    for (const AlarmEvent& event : events) Tell(event.address, {event});
    m_next.PortGone();
}

void AlarmWatch::Tell(int64_t address, const std::vector<AlarmEvent>& events) {
    for (const AlarmEvent& event : events) m_session.Streams().Err("lumeric-cli: " + AlarmEventText(event));
    if (m_told) m_told(address, events, m_monitor.Active(address));
}
