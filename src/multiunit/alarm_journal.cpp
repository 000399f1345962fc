#include "alarm_journal.h"

#include "alarm_texts.h"
#include "poll_record.h"

void AlarmJournal::Add(const std::vector<AlarmEvent>& events) {
    for (const AlarmEvent& event : events) {
        m_events.push_front(event);
        if (event.raised) ++m_unacknowledged;
    }
    while (m_events.size() > kJournalCapacity) m_events.pop_back();
}

namespace {

std::string VoltsCell(const std::optional<Millivolts>& value) { return value ? MillivoltsText(*value) : ""; }

std::vector<std::string> Titles() {
    return {std::begin(AlarmText::kJournalTitles), std::end(AlarmText::kJournalTitles)};
}

}  // namespace

std::vector<std::string> AlarmEventCells(const AlarmEvent& event) {
    const bool perChannel = event.kind == AlarmKind::High || event.kind == AlarmKind::Low;
    return {IsoLocalTime(event.time),
            std::to_string(event.address),
            perChannel ? AlarmText::kChannels[event.channel] : AlarmText::kUnitWide,
            AlarmText::kKinds[static_cast<size_t>(event.kind)],
            event.raised ? AlarmText::kRaised : AlarmText::kCleared,
            VoltsCell(event.valueMv),
            VoltsCell(event.limitMv)};
}

std::string AlarmRecordHead() { return "\xEF\xBB\xBF" + CsvLine(Titles()); }

std::string AlarmRecordLine(const AlarmEvent& event) { return CsvLine(AlarmEventCells(event)); }

std::string JournalCsv(const AlarmJournal& journal) {
    std::string csv = AlarmRecordHead();
    for (const AlarmEvent& event : journal.Events()) csv += AlarmRecordLine(event);
    return csv;
}

std::string EventsPathBeside(const std::string& recordPath) {
    const size_t separator = recordPath.find_last_of("\\/");
    const size_t dot = recordPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
    const size_t stemEnd = hasExtension ? dot : recordPath.size();
    return recordPath.substr(0, stemEnd) + AlarmText::kEventsFileSuffix + ".csv";
}
