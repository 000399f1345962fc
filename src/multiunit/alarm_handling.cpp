// The multi-unit window's alarms: its limits (kept per user), every poll held
// against them, the cells in alarm colours, the window's journal, and the
// events file beside a running record.
#include "alarm_texts.h"
#include "control_number.h"
#include "file_failure_text.h"
#include "multi_unit_dlg.h"
#include "resource.h"
#include "table_cells.h"

namespace {

// White on red above, white on blue below: told apart at a glance, and
// unlike both of the table's bands.
constexpr CellColours kHighColours{RgbColour(255, 255, 255), RgbColour(220, 0, 0)};
constexpr CellColours kLowColours{RgbColour(255, 255, 255), RgbColour(0, 70, 220)};
// The unit as a whole (its spread, its communication), on its address.
constexpr CellColours kUnitColours{RgbColour(0, 0, 0), RgbColour(255, 150, 0)};

std::optional<CellColours> ChannelColours(const ActiveAlarms& active, size_t channel) {
    if (active.high[channel]) return kHighColours;
    if (active.low[channel]) return kLowColours;
    return std::nullopt;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : "、") + name;
    return joined;
}

}  // namespace

void CMultiUnitDlg::LoadLimits() {
    const StoredLimits stored = LimitsFromStored(m_alarm.store.Load());
    m_monitor.SetLimits(stored.limits, m_files.clock.Now());
    ShowUnacknowledged();
    if (stored.ignored.empty() || m_alarm.store.badValuesSaid) return;
    m_alarm.store.badValuesSaid = true;
    m_window.ShowMessage(AlarmText::kStoredIgnored + Joined(stored.ignored));
}

void CMultiUnitDlg::OnAlarmSettings() {
    const std::optional<AlarmLimits> limits = m_alarm.windows.EditLimits(m_monitor.Limits());
    if (!limits) return;
    m_alarm.store.Save(EntriesFromLimits(*limits));
    // Alarms whose limit changed clear now; the cells follow. Each row's unit
    // is its label: another window's cycle may since have changed the record.
    const std::vector<AlarmEvent> events = m_monitor.SetLimits(*limits, m_files.clock.Now());
    for (int32_t row = 0; row < m_table[0]->RowCount(); ++row) {
        ColourRow(row, ReadSignedDecimal(m_table[kAddressCell.list]->CellText(row, kAddressCell.column)));
    }
    TakeEvents(events);
    if (const FileError error = RecordEvents(events)) EventsFailed(error);
}

// The poll shown in row currentRow, held against the limits: its cells take
// their colours before the cycle moves on.
std::vector<AlarmEvent> CMultiUnitDlg::CheckAlarms(const PolledUnit& polled) {
    std::vector<AlarmEvent> events = m_monitor.OnPoll(polled);
    ColourRow(m_cycle.currentRow, polled.address);
    return events;
}

void CMultiUnitDlg::ColourRow(int32_t row, int64_t address) {
    const ActiveAlarms active = m_monitor.Active(address);
    for (size_t channel = 0; channel < kChannelCount; ++channel) {
        const Cell& cell = kVoltageCells[channel];
        m_table[cell.list]->SetCellColours(row, cell.column, ChannelColours(active, channel));
    }
    const bool unitWide = active.spread || active.communication;
    m_table[kAddressCell.list]->SetCellColours(row, kAddressCell.column,
                                               unitWide ? std::optional<CellColours>(kUnitColours) : std::nullopt);
}

void CMultiUnitDlg::TakeEvents(const std::vector<AlarmEvent>& events) {
    if (events.empty()) return;
    m_journal.Add(events);
    m_alarm.windows.JournalGrew(events.size());
    ShowUnacknowledged();
    for (const AlarmEvent& event : events) {
        if (!event.raised) continue;
        m_alarm.windows.Alert();
        break;
    }
}

void CMultiUnitDlg::AcknowledgeAlarms() {
    m_journal.Acknowledge();
    ShowUnacknowledged();
}

// "报警记录(3)" while raises wait for the operator, "报警记录" once seen.
void CMultiUnitDlg::ShowUnacknowledged() {
    const size_t waiting = m_journal.UnacknowledgedRaises();
    std::string caption = AlarmText::kJournalButton;
    if (waiting > 0) caption += "(" + std::to_string(waiting) + ")";
    m_window.SetText(IDC_BTN_ALARM_JOURNAL, caption);
}

// Beside the record, in its conventions; the record goes on without it if it cannot be made.
void CMultiUnitDlg::BeginEventsFile() {
    m_eventsPath = EventsPathBeside(m_recordPath);
    FileError error = m_alarm.events.Create(m_eventsPath);
    if (!error) error = m_alarm.events.Append(AlarmRecordHead());
    if (error) EventsFailed(DropEventsFile(error));
}

// A file that fails is closed at once, so that no later event tries it again;
// its message box is the caller's to show, last.
FileError CMultiUnitDlg::RecordEvents(const std::vector<AlarmEvent>& events) {
    if (m_eventsPath.empty()) return {};
    for (const AlarmEvent& event : events) {
        if (const FileError error = m_alarm.events.Append(AlarmRecordLine(event))) return DropEventsFile(error);
    }
    return {};
}

FileError CMultiUnitDlg::DropEventsFile(const FileError& error) {
    m_failedEventsPath = m_eventsPath;
    m_alarm.events.Close();
    m_eventsPath.clear();
    return error;
}

void CMultiUnitDlg::EventsFailed(const FileError& error) {
    m_window.ShowMessage(FileFailureText(AlarmText::kEventsFailed, error, m_failedEventsPath));
}
