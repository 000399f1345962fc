#pragma once
// A window's journal of alarm events: newest first, bounded, with the count
// of raises no one has acknowledged yet. And its rows as cells and CSV lines,
// in the records' conventions.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "alarm_monitor.h"

// Enough for a long shift of a flapping line; the oldest go first.
constexpr size_t kJournalCapacity = 10000;

class AlarmJournal {
public:
    void Add(const std::vector<AlarmEvent>& events);
    // Newest first.
    const std::deque<AlarmEvent>& Events() const { return m_events; }
    size_t UnacknowledgedRaises() const { return m_unacknowledged; }
    void Acknowledge() { m_unacknowledged = 0; }

private:
    std::deque<AlarmEvent> m_events;
    size_t m_unacknowledged = 0;
};

// One event as the journal's columns show it: time, address, channel, kind,
// raise or clear, value and limit in volts (empty where there is none).
std::vector<std::string> AlarmEventCells(const AlarmEvent& event);
// The byte-order mark and the title line of an events file.
std::string AlarmRecordHead();
// One event's CSV line.
std::string AlarmRecordLine(const AlarmEvent& event);
// The whole journal as a file, newest first, as the window lists it.
std::string JournalCsv(const AlarmJournal& journal);
// "D:\line3\多台采集_20240305_080910_报警.csv" beside "D:\line3\多台采集_20240305_080910.csv".
std::string EventsPathBeside(const std::string& recordPath);
