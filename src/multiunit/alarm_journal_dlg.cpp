#include "alarm_journal_dlg.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "alarm_texts.h"
#include "file_failure_text.h"
#include "multi_unit_texts.h"
#include "poll_record.h"
#include "resource.h"

namespace {

constexpr int kColumnWidthsPx[] = {150, 60, 50, 60, 40, 60, 60};

}  // namespace

CAlarmJournalDlg::CAlarmJournalDlg(DialogWindow& window, ListView& list, const AlarmJournal& journal,
                                   std::function<void()> acknowledge, LocalClock& clock, FileShell& shell,
                                   OutputFile& file)
    : m_window(window),
      m_list(list),
      m_journal(journal),
      m_acknowledge(std::move(acknowledge)),
      m_clock(clock),
      m_shell(shell),
      m_file(file) {}

bool CAlarmJournalDlg::OnInitDialog() {
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidthsPx)); ++column) {
        m_list.InsertColumn(column, AlarmText::kJournalTitles[column], kColumnWidthsPx[column]);
    }
    m_list.SetExtendedStyles(0x21);  // gridlines, full-row select
    int row = 0;
    for (const AlarmEvent& event : m_journal.Events()) InsertEvent(row++, event);
    return true;
}

void CAlarmJournalDlg::OnCommand(int id) {
    if (id == IDC_BTN_ALARM_ACK) m_acknowledge();
    if (id == IDC_BTN_ALARM_EXPORT) OnExport();
}

void CAlarmJournalDlg::OnJournalGrew(size_t count) {
    const std::deque<AlarmEvent>& events = m_journal.Events();
    // The newest is at the top: insert the new ones oldest first.
    for (size_t i = std::min(count, events.size()); i-- > 0;) InsertEvent(0, events[i]);
    // Rows the journal no longer holds go with it.
    while (static_cast<size_t>(m_list.RowCount()) > events.size()) m_list.DeleteRow(m_list.RowCount() - 1);
}

void CAlarmJournalDlg::InsertEvent(int row, const AlarmEvent& event) {
    const std::vector<std::string> cells = AlarmEventCells(event);
    m_list.InsertRow(row, cells[0]);
    for (size_t column = 1; column < cells.size(); ++column)
        m_list.SetCellText(row, static_cast<int>(column), cells[column]);
}

// The journal as it stands at the click: the multi-unit window, and its
// journal with it, may go while the Save As dialog is up.
void CAlarmJournalDlg::OnExport() {
    const std::string csv = JournalCsv(m_journal);
    const std::optional<std::string> path =
        m_shell.AskSavePath(DatedCsvName(AlarmText::kJournalFileStem, m_clock.Now()));
    if (!path) return;
    FileError error = m_file.Create(*path);
    if (!error) error = m_file.Append(csv);
    m_file.Close();
    if (error) {
        m_window.ShowMessage(FileFailureText(MultiUnitText::kExportFailed, error, *path));
    } else {
        m_shell.Open(*path);
    }
}
