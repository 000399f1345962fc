#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "alarm_io.h"
#include "alarm_journal.h"
#include "alarm_monitor.h"
#include "clock.h"
#include "dialog_window.h"
#include "list_view.h"
#include "multi_unit_files.h"
#include "multi_unit_state.h"
#include "system_ports.h"
#include "trend_history.h"

// The five list views of the table, side by side: 电池1 (with the address
// column), 电池2, 电池3, 电池4, and the counts.
constexpr size_t kTableListCount = 5;
using UnitTable = std::array<ListView*, kTableListCount>;

// The multi-unit window's behaviour: its initialisation, its message map and
// the polling cycle behind its button and timer, the record of a cycle's polls
// and the export of its table. It acts on its window only through
// DialogWindow and the table's list views, on the line only through the
// cycle's record, on files only through MultiUnitFiles, and learns the
// machine's ports only through SystemPorts, so the Win32
// dialog and the unit tests drive the same code. Every window works on the
// one cycle record it is given.
class CMultiUnitDlg {
public:
    CMultiUnitDlg(DialogWindow& window, const UnitTable& table, MultiUnitState& cycle, Clock& clock,
                  const MultiUnitFiles& files, SystemPorts& ports, const AlarmParts& alarms);
    CMultiUnitDlg(const CMultiUnitDlg&) = delete;
    CMultiUnitDlg& operator=(const CMultiUnitDlg&) = delete;

    // Called once the controls exist and the speed combo holds its template items.
    bool OnInitDialog();
    // A click on control `id`; ids without a handler are ignored.
    void OnCommand(int id);
    // The list of combo `id` is about to drop down.
    void OnDropDown(int id);
    // One tick of the window's timer 1: one unit polled.
    void OnTimer();
    // The window goes, whichever way: a cycle it runs stops and frees the port.
    void OnClose();

    // The window's own journal of alarm events, for its journal window.
    const AlarmJournal& Journal() const { return m_journal; }
    // The operator has seen the raises so far.
    void AcknowledgeAlarms();
    // Every poll of the running (or the last) cycle, and the alarm limits in force, for its trend.
    const TrendHistory& Trend() const { return m_trend; }
    const AlarmLimits& Limits() const { return m_monitor.Limits(); }
    bool CycleRuns() const { return m_cycle.runner == this; }

private:
    void RefreshPortList();
    void OnAcquire();
    void StartCycle();
    bool StartRefused(int32_t periodMs, int32_t deviceCount);
    void StopCycle();
    void ReleasePort();

    void InsertColumns(size_t list);
    void RebuildTable();
    void ShowOutcome(bool ok);
    void Advance();

    void BeginRecord();
    PolledUnit Polled(bool ok);
    void RecordPoll(const PolledUnit& poll);
    void RecordFailed(const FileError& error);
    void StopRecord();
    void OnExcel();
    ShownTable TableAsShown();

    void LoadLimits();
    void OnAlarmSettings();
    std::vector<AlarmEvent> CheckAlarms(const PolledUnit& polled);
    void ColourRow(int32_t row, int64_t address);
    void TakeEvents(const std::vector<AlarmEvent>& events);
    void ShowUnacknowledged();
    void BeginEventsFile();
    FileError RecordEvents(const std::vector<AlarmEvent>& events);
    FileError DropEventsFile(const FileError& error);
    void EventsFailed(const FileError& error);

    int32_t ReadNumber(int id);

    DialogWindow& m_window;
    UnitTable m_table;
    MultiUnitState& m_cycle;
    Clock& m_clock;
    MultiUnitFiles m_files;
    SystemPorts& m_ports;
    // The file the running cycle records into; empty while it records nothing.
    std::string m_recordPath;
    AlarmParts m_alarm;
    AlarmMonitor m_monitor;
    AlarmJournal m_journal;
    // The events file beside the record; empty while none is written.
    std::string m_eventsPath;
    // The events file that failed, for its message box.
    std::string m_failedEventsPath;
    TrendHistory m_trend;
};
