#include "multi_unit_window.h"

#include <memory>

#include "alarm_journal_window.h"
#include "alarm_settings_window.h"
#include "dialog_host.h"
#include "multi_unit_dlg.h"
#include "resource.h"
#include "tick_clock.h"
#include "trend_window.h"
#include "win32_dialog_window.h"
#include "win32_file_shell.h"
#include "win32_limit_store.h"
#include "win32_list_view.h"
#include "win32_record_io.h"
#include "win32_system_ports.h"

namespace {

constexpr int kTableListIds[kTableListCount] = {IDC_LIST_BAT1, IDC_LIST_BAT2, IDC_LIST_BAT3, IDC_LIST_BAT4,
                                                IDC_LIST_COUNTS};

// wParam: the list's id (low word) and the row (high word); lParam: the
// column. The answer: the cell's background colour.
UINT CellBackgroundMessage() {
    static const UINT message = RegisterWindowMessageW(L"Lumeric.CellBackground");
    return message;
}

// Shows a window of ours that is already open, restored if minimised (a
// maximised one stays so); false when `window` is none.
bool BringForward(HWND window) {
    if (!IsWindow(window)) return false;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
}

// One user's alarm limits, for every window of the program.
LimitStore& UserLimits() {
    static Win32LimitStore store;
    return store;
}

// The multi-unit window's Win32 side: everything the window works with,
// alive from before WM_INITDIALOG until after the window is gone.
class MultiUnitWindow : public ModelessDialog, private AlarmWindows {
public:
    explicit MultiUnitWindow(MultiUnitState& cycle)
        : m_dialog(m_window, Table(), cycle, m_clock, {m_localClock, m_shell, m_recordFile, m_tableFile}, m_ports,
                   {UserLimits(), *this, m_eventsFile}) {}

private:
    UnitTable Table() { return {&m_lists[0], &m_lists[1], &m_lists[2], &m_lists[3], &m_lists[4]}; }

    bool OnInitDialog() override {
        m_window.Attach(Handle());
        m_shell.Attach(Handle());
        m_window.AddComboItemsFromResource(IDC_COMBO_MU_BAUD, IDS_ITEMS_BAUD_RATES);
        for (size_t list = 0; list < kTableListCount; ++list) {
            m_lists[list].Attach(GetDlgItem(Handle(), kTableListIds[list]));
        }
        return m_dialog.OnInitDialog();
    }

    void OnControl(int id) override {
        if (id == IDC_BTN_TREND) {
            OpenTrend();
            return;
        }
        m_dialog.OnCommand(id);
        // A start clears the history, a stop lets a record be opened.
        if (id == IDC_BTN_ACQUIRE) TellTrend();
    }

    void OnDropDown(int id) override { m_dialog.OnDropDown(id); }

    void OnTimer(UINT_PTR) override {
        m_dialog.OnTimer();
        TellTrend();
    }

    // One trend window per multi-unit window: a second click brings it forward.
    void OpenTrend() {
        if (BringForward(m_trend)) return;
        m_trend = CreateTrendWindow(
            GetModuleHandleW(nullptr), Handle(),
            {m_dialog.Trend(), [this] { return m_dialog.CycleRuns(); }, [this] { return m_dialog.Limits(); }});
    }

    void TellTrend() {
        if (IsWindow(m_trend)) SendMessageW(m_trend, kTrendHistoryChanged, 0, 0);
    }

    // The lists' custom draw, which paints the cells in alarm.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        // A dialog answers a message through DWLP_MSGRESULT.
        if (message == CellBackgroundMessage()) {
            SetWindowLongPtrW(Handle(), DWLP_MSGRESULT,
                              CellBackground(LOWORD(wParam), HIWORD(wParam), static_cast<int>(lParam)));
            result = TRUE;
            return true;
        }
        if (message != WM_NOTIFY) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code != NM_CUSTOMDRAW) return false;
        for (const Win32ListView& list : m_lists) {
            if (list.Handle() != header->hwndFrom) continue;
            SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, list.OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
            result = TRUE;
            return true;
        }
        return false;
    }

    // The background custom draw gives a cell, for a program outside that
    // asks (the end-to-end tests): NM_CUSTOMDRAW itself cannot cross processes.
    COLORREF CellBackground(int listId, int row, int column) const {
        for (const Win32ListView& list : m_lists) {
            if (GetDlgCtrlID(list.Handle()) != listId) continue;
            NMLVCUSTOMDRAW draw{};
            draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
            draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
            draw.iSubItem = column;
            list.OnCustomDraw(draw);
            return draw.clrTextBk;
        }
        return CLR_INVALID;
    }

    std::optional<AlarmLimits> EditLimits(const AlarmLimits& limits) override {
        return RunAlarmSettingsDialog(Handle(), limits);
    }

    void ShowJournal() override {
        if (BringForward(m_journalWindow)) return;
        m_journalWindow =
            CreateAlarmJournalWindow(Handle(), m_dialog.Journal(), [this] { m_dialog.AcknowledgeAlarms(); });
    }

    void JournalGrew(size_t count) override { NotifyAlarmJournal(m_journalWindow, count); }

    void Alert() override {
        // Only a window the operator is not looking at flashes; it stops once activated.
        if (GetForegroundWindow() != Handle()) {
            FLASHWINFO flash{sizeof flash, Handle(), FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
            FlashWindowEx(&flash);
        }
        MessageBeep(MB_ICONEXCLAMATION);
    }

    // Every way the window goes ends here: the close box, Enter, Escape, and
    // the console's end, which destroys the windows it owns without WM_CLOSE.
    void OnDestroy() override { m_dialog.OnClose(); }

    Win32DialogWindow m_window;
    Win32ListView m_lists[kTableListCount];
    TickClock m_clock;
    Win32LocalClock m_localClock;
    Win32FileShell m_shell;
    Win32OutputFile m_recordFile;
    Win32OutputFile m_tableFile;
    Win32SystemPorts m_ports;
    Win32OutputFile m_eventsFile;
    HWND m_journalWindow = nullptr;
    CMultiUnitDlg m_dialog;
    // Owned by this window, so it goes before it does.
    HWND m_trend = nullptr;
};

}  // namespace

HWND CreateMultiUnitWindow(HINSTANCE instance, HWND owner, MultiUnitState& cycle) {
    return ModelessDialog::Create(std::make_unique<MultiUnitWindow>(cycle), instance, IDD_MULTI_UNIT, owner);
}
