// The record of a running cycle, one line per poll, and the export of the
// table as shown: both CSV files chosen in the Save As dialog.
#include <string>

#include "file_failure_text.h"
#include "multi_unit_dlg.h"
#include "multi_unit_texts.h"
#include "poll_record.h"
#include "resource.h"

// With the box checked, the cycle records into a file the operator chooses;
// a cancelled choice, or a file that cannot be made, leaves the cycle without one.
void CMultiUnitDlg::BeginRecord() {
    if (!m_window.IsChecked(IDC_CHECK_SAVE_RECORD)) return;
    const std::optional<std::string> path =
        m_files.shell.AskSavePath(DatedCsvName(MultiUnitText::kRecordFileStem, m_files.clock.Now()));
    if (!path) {
        m_window.SetChecked(IDC_CHECK_SAVE_RECORD, false);
        return;
    }
    m_recordPath = *path;
    FileError error = m_files.record.Create(*path);
    if (!error) error = m_files.record.Append(PollRecordHead());
    if (error) {
        RecordFailed(error);
        return;
    }
    BeginEventsFile();
}

// The poll just shown in row currentRow, before the cycle moves on.
PolledUnit CMultiUnitDlg::Polled(bool ok) {
    const auto row = static_cast<size_t>(m_cycle.currentRow);
    PolledUnit polled;
    polled.time = m_files.clock.Now();
    polled.address = m_cycle.currentAddress;
    if (ok) {
        polled.volts.emplace();
        for (size_t channel = 0; channel < kChannelCount; ++channel)
            (*polled.volts)[channel] = m_cycle.voltage[channel][row];
    }
    polled.okCount = m_cycle.okCount[row];
    polled.failCount = m_cycle.failCount[row];
    return polled;
}

void CMultiUnitDlg::RecordPoll(const PolledUnit& poll) {
    const FileError error = m_files.record.Append(PollRecordLine(poll));
    if (error) RecordFailed(error);
}

// The lines already written stay; the cycle goes on without a record.
void CMultiUnitDlg::RecordFailed(const FileError& error) {
    const std::string path = m_recordPath;
    StopRecord();
    m_window.SetChecked(IDC_CHECK_SAVE_RECORD, false);
    m_window.ShowMessage(FileFailureText(MultiUnitText::kRecordFailed, error, path));
}

void CMultiUnitDlg::StopRecord() {
    m_files.record.Close();
    m_recordPath.clear();
    m_alarm.events.Close();
    m_eventsPath.clear();
}

void CMultiUnitDlg::OnExcel() {
    const std::optional<std::string> path =
        m_files.shell.AskSavePath(DatedCsvName(MultiUnitText::kExportFileStem, m_files.clock.Now()));
    if (!path) return;
    FileError error = m_files.table.Create(*path);
    if (!error) error = m_files.table.Append(TableCsv(TableAsShown()));
    m_files.table.Close();
    if (error) {
        m_window.ShowMessage(FileFailureText(MultiUnitText::kExportFailed, error, *path));
    } else {
        m_files.shell.Open(*path);
    }
}
