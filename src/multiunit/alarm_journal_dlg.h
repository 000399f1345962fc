#pragma once
#include <cstddef>
#include <functional>

#include "alarm_journal.h"
#include "dialog_window.h"
#include "list_view.h"
#include "multi_unit_files.h"

// The journal window's behaviour: the multi-unit window's events newest
// first, "确认" to acknowledge its raises, "导出" to save the journal as CSV.
// It acts through the seams only, so the Win32 window and the tests drive the
// same code.
class CAlarmJournalDlg {
public:
    // `acknowledge` tells the multi-unit window; `export` writes the file.
    CAlarmJournalDlg(DialogWindow& window, ListView& list, const AlarmJournal& journal,
                     std::function<void()> acknowledge, LocalClock& clock, FileShell& shell, OutputFile& file);

    bool OnInitDialog();
    void OnCommand(int id);
    // The journal has `count` new events at its top.
    void OnJournalGrew(size_t count);

private:
    void InsertEvent(int row, const AlarmEvent& event);
    void OnExport();

    DialogWindow& m_window;
    ListView& m_list;
    const AlarmJournal& m_journal;
    std::function<void()> m_acknowledge;
    LocalClock& m_clock;
    FileShell& m_shell;
    OutputFile& m_file;
};
