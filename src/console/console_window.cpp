#include "console_window.h"

#include <memory>

#include "com_port_line.h"
#include "console_dlg.h"
#include "dialog_host.h"
#include "multi_unit_window.h"
#include "password_dlg.h"
#include "resource.h"
#include "tick_clock.h"
#include "win32_cp936_decoder.h"
#include "win32_dialog_window.h"

namespace {

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

// The console's Win32 window: everything the console works with, alive from
// before WM_INITDIALOG until after the window is gone.
class ConsoleWindow : public ModelessDialog {
public:
    ConsoleWindow(CComPort& comm, MultiUnitState& cycle)
        : m_port(comm),
          m_dialog(m_window, m_port, m_clock, m_unitText, [this, &cycle] { OpenMultiUnitWindow(cycle); }) {}

private:
    // Owned by the console, so it stays above it and goes with it.
    void OpenMultiUnitWindow(MultiUnitState& cycle) {
        CreateMultiUnitWindow(GetModuleHandleW(nullptr), Handle(), cycle);
    }

    bool OnInitDialog() override {
        m_window.Attach(Handle());
        // The template resource cannot carry combo items, so they are added
        // here, before the console selects among them.
        for (const ComboItems& combo : kComboItems) {
            m_window.AddComboItemsFromResource(combo.comboId, combo.itemsId);
        }
        const bool systemSetsFocus = m_dialog.OnInitDialog();
        CentreOnWorkArea(Handle());
        return systemSetsFocus;
    }

    void OnControl(int id) override { m_dialog.OnCommand(id); }

    void OnTimer(UINT_PTR) override { m_dialog.OnTimer(); }

    // The program ends with the console.
    void OnDestroy() override { PostQuitMessage(0); }

    bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        switch (message) {
        case WM_PAINT:
            // Only the minimised window is painted here; otherwise the default painting.
            if (!PaintMinimised(Handle(), m_window.ProgramIcon())) return false;
            result = TRUE;
            return true;
        case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(m_window.ProgramIcon()); return true;
        default: return false;
        }
    }

    Win32DialogWindow m_window{RunPasswordDialog};
    ComPortLine m_port;
    TickClock m_clock;
    Win32Cp936Decoder m_unitText;
    CConsoleDlg m_dialog;
};

}  // namespace

HWND CreateConsoleWindow(HINSTANCE instance, CComPort& port, MultiUnitState& cycle) {
    return ModelessDialog::Create(std::make_unique<ConsoleWindow>(port, cycle), instance, IDD_CONSOLE, nullptr);
}
