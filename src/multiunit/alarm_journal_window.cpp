#include "alarm_journal_window.h"

#include <memory>
#include <utility>

#include "alarm_journal_dlg.h"
#include "dialog_host.h"
#include "resource.h"
#include "win32_dialog_window.h"
#include "win32_file_shell.h"
#include "win32_list_view.h"
#include "win32_record_io.h"

namespace {

// Private to the journal window: the count of new events in wParam.
constexpr UINT kJournalGrew = WM_APP + 28;

class AlarmJournalWindow : public ModelessDialog {
public:
    AlarmJournalWindow(const AlarmJournal& journal, std::function<void()> acknowledge)
        : m_dialog(m_window, m_list, journal, std::move(acknowledge), m_clock, m_shell, m_file) {}

private:
    bool OnInitDialog() override {
        m_window.Attach(Handle());
        m_shell.Attach(Handle());
        m_list.Attach(GetDlgItem(Handle(), IDC_LIST_ALARM_JOURNAL));
        return m_dialog.OnInitDialog();
    }

    void OnControl(int id) override { m_dialog.OnCommand(id); }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) override {
        if (message != kJournalGrew) return false;
        m_dialog.OnJournalGrew(static_cast<size_t>(wParam));
        result = TRUE;
        return true;
    }

    Win32DialogWindow m_window;
    Win32ListView m_list;
    Win32LocalClock m_clock;
    Win32FileShell m_shell;
    Win32OutputFile m_file;
    CAlarmJournalDlg m_dialog;
};

}  // namespace

HWND CreateAlarmJournalWindow(HWND owner, const AlarmJournal& journal, std::function<void()> acknowledge) {
    return ModelessDialog::Create(std::make_unique<AlarmJournalWindow>(journal, std::move(acknowledge)),
                                  GetModuleHandleW(nullptr), IDD_ALARM_JOURNAL, owner);
}

// Sent, not posted: the journal's rows are inserted before the next event can change the journal.
void NotifyAlarmJournal(HWND window, size_t count) {
    if (window != nullptr && IsWindow(window)) SendMessageW(window, kJournalGrew, count, 0);
}
