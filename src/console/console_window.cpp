#include "console_window.h"

#include "com_port_line.h"
#include "console_dlg.h"
#include "resource.h"
#include "tick_clock.h"
#include "win32_dialog_window.h"

namespace {

// Everything the console window works with, alive from before WM_INITDIALOG
// until after the window is gone.
struct ConsoleSession {
    explicit ConsoleSession(CComPort& comm) : port(comm), dialog(window, port, clock) {}

    Win32DialogWindow window;
    ComPortLine port;
    TickClock clock;
    CConsoleDlg dialog;
};

// The template's combos and the string resources holding their items.
struct ComboItems {
    int comboId;
    UINT itemsId;
};
constexpr ComboItems kComboItems[] = {
    {IDC_COMBO_PORT, IDS_ITEMS_COM_PORTS},
    {IDC_COMBO_BAUD, IDS_ITEMS_BAUD_RATES},
    {IDC_COMBO_CAL_CHANNEL, IDS_ITEMS_CAL_CHANNELS},
    {IDC_COMBO_DEVICE_BAUD, IDS_ITEMS_BAUD_RATES},
};

ConsoleSession* SessionOf(HWND dialog) {
    return reinterpret_cast<ConsoleSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// The template has no position of its own: show the window in the middle of
// its monitor's work area, at the size it has after narrowing.
void CentreOnWorkArea(HWND dialog) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    RECT window{};
    GetWindowRect(dialog, &window);
    const RECT& area = monitor.rcWork;
    int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM sessionParam) {
    SetWindowLongPtrW(dialog, DWLP_USER, sessionParam);
    ConsoleSession& session = *reinterpret_cast<ConsoleSession*>(sessionParam);
    session.window.Attach(dialog);
    // The template resource cannot carry combo items, so they are added here,
    // before the console selects among them.
    for (const ComboItems& combo : kComboItems) {
        session.window.AddComboItemsFromResource(combo.comboId, combo.itemsId);
    }
    bool systemSetsFocus = session.dialog.OnInitDialog();
    CentreOnWorkArea(dialog);
    return systemSetsFocus ? TRUE : FALSE;
}

INT_PTR OnCommand(HWND dialog, ConsoleSession& session, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    int id = LOWORD(wParam);
    // Escape, Enter outside a button and the close box arrive as these two.
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
    }
    session.dialog.OnCommand(id);
    return TRUE;
}

// Minimised, the window shows the program icon in the middle of its client area.
bool PaintMinimised(HWND dialog, HICON icon) {
    if (!IsIconic(dialog)) return false;
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(dialog, &paint);
    SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(dialog, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    EndPaint(dialog, &paint);
    return true;
}

INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, lParam);
    ConsoleSession* session = SessionOf(dialog);
    // Messages before WM_INITDIALOG (WM_SETFONT...) and the port monitor's
    // line events get the default handling.
    if (session == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnCommand(dialog, *session, wParam);
    case WM_TIMER:
        session->dialog.OnTimer();
        return FALSE;
    case WM_PAINT:
        return PaintMinimised(dialog, session->window.ProgramIcon()) ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(session->window.ProgramIcon());
    case WM_NCDESTROY:
        session->window.Detach();
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ConsoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Dispatch(dialog, message, wParam, lParam);
    } catch (...) {
        // No exception may unwind through the window system. A handler that
        // threw left the console half-way through an operation: end it.
        EndDialog(dialog, IDABORT);
        return TRUE;
    }
}

}  // namespace

void RunConsoleWindow(HINSTANCE instance, CComPort& port) {
    ConsoleSession session(port);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONSOLE), nullptr, ConsoleDialogProc,
                    reinterpret_cast<LPARAM>(&session));
}
