#pragma once
// Drives a running Lumeric.exe from another process, the way an operator
// would, through window messages only:
//
//   ConsoleDriver console;
//   ASSERT_TRUE(console.Start());              // Lumeric.exe next to this program
//   console.SetText(IDC_COMBO_PORT, L"12");
//   console.Click(IDC_BTN_OPEN);               // returns once the click is handled
//   EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
//
// Clicks are posted, so a handler that shows a modal message box does not
// block the driver; find the box with WaitForMessageBox and dismiss it.
#include <windows.h>

#include <string>
#include <vector>

// The multi-unit window's caption.
constexpr wchar_t kMultiUnitCaption[] = L"Corvane多台";

class ConsoleDriver {
public:
    ConsoleDriver() = default;
    // Ends the console if a test left it running.
    ~ConsoleDriver();
    ConsoleDriver(const ConsoleDriver&) = delete;
    ConsoleDriver& operator=(const ConsoleDriver&) = delete;

    // Starts the Lumeric.exe beside this program and waits for its window "Lumeric_Ver1.0".
    bool Start(DWORD timeoutMs = 20000);
    HWND Window() const { return m_window; }
    HANDLE Process() const { return m_process.hProcess; }
    HWND Control(int id) const { return GetDlgItem(m_window, id); }

    // Sends a message to a control and returns its answer (0 when the console stayed busy).
    LRESULT SendTo(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendToIn(m_window, id, message, wParam, lParam);
    }
    std::wstring Text(int id) const { return TextIn(m_window, id); }
    void SetText(int id, const std::wstring& text) const { SetTextIn(m_window, id, text); }
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::vector<std::wstring> ComboItems(int id) const { return Items(id, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
    std::vector<std::wstring> ListLines(int id) const { return ListLinesIn(m_window, id); }
    static std::vector<std::wstring> ListLinesIn(HWND dialog, int id) {
        return ItemsIn(dialog, id, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    }

    // Posts a click and returns once the console has handled every message
    // posted before it (false when the console stayed busy for timeoutMs).
    bool Click(int id, DWORD timeoutMs = 15000) { return ClickIn(m_window, id, timeoutMs); }
    // Posts a key press to a control, as the dialog's keyboard handling sees it.
    void PressKey(int id, WPARAM virtualKey) const { PressKeyIn(m_window, id, virtualKey); }
    // Returns once the console has handled every message posted so far.
    bool Settle(DWORD timeoutMs = 15000);

    // The console's visible top-level dialogs with this caption, and one that
    // shows within timeoutMs (or nullptr) beside those in `known`.
    std::vector<HWND> Windows(const wchar_t* caption) const;
    HWND WaitForNewWindow(const wchar_t* caption, const std::vector<HWND>& known, DWORD timeoutMs) const;
    // A message box of the console (captioned "Lumeric") that shows within timeoutMs, or nullptr.
    HWND WaitForMessageBox(DWORD timeoutMs) const { return WaitForNewWindow(L"Lumeric", {}, timeoutMs); }
    static void DismissMessageBox(HWND box);
    // The text a message box shows.
    static std::wstring MessageBoxText(HWND box);
    // Text, click and keys for a control of such a window, as for the console's own.
    static std::wstring TextIn(HWND dialog, int id);
    static void SetTextIn(HWND dialog, int id, const std::wstring& text) {
        SendToIn(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static LRESULT SendToIn(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool ClickIn(HWND dialog, int id, DWORD timeoutMs = 15000);
    static void PressKeyIn(HWND dialog, int id, WPARAM virtualKey);
    // Clicks a control of such a window that opens the common Save As dialog,
    // and answers it as an operator would: `path` typed into its file-name
    // field, then Save. False when no dialog showed within timeoutMs.
    bool ClickAndSaveAs(HWND dialog, int id, const std::wstring& path, DWORD timeoutMs = 10000);

    // Operator steps shared by the tests, the demo's tour and the soak.
    // Types COM `com`, picks the speed (an index of the baud combo; -1 keeps
    // it) and opens the port: true when the console shows it open.
    bool OpenPort(int com, int baudIndex = -1);
    // Clicks `id` and closes the message box it shows: its text, "" when none showed.
    std::wstring ClickForMessage(int id, DWORD timeoutMs = 10000);
    // Clicks 厂家模式 and types the password into the dialog: the dialog, or nullptr.
    HWND TypeFactoryPassword();
    // Confirms that dialog and closes the message box: true once in factory mode.
    bool ConfirmPassword(HWND password);
    // Opens a new multi-unit window on COM `com` (0 keeps COM1) for `units`
    // units at its speed (an index of its baud combo; -1 keeps 9600) and, with `start`,
    // starts its cycle: the window, or nullptr when any step failed.
    HWND OpenMultiUnit(int com, int units, int baudIndex = -1, bool start = true);
    // A number the console shows in a control.
    int Number(int id) const { return _wtoi(Text(id).c_str()); }

    // The console's template (513 x 355 dialog units) in pixels, measured on a
    // hidden copy of it made here: dialog units cannot be mapped from outside.
    static SIZE TemplateSizeInPixels();

    // The console's exit code once its process has ended, STILL_ACTIVE when it
    // is still running after timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs);

private:
    static std::wstring ConsolePath();
    // The item texts of a combo or list box, through its count, length and text messages.
    std::vector<std::wstring> Items(int id, UINT countMessage, UINT lengthMessage, UINT textMessage) const {
        return ItemsIn(m_window, id, countMessage, lengthMessage, textMessage);
    }
    static std::vector<std::wstring> ItemsIn(HWND dialog, int id, UINT countMessage, UINT lengthMessage,
                                             UINT textMessage);

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    LPARAM m_settleMarker = 0;
};

// A cell of a multi-unit window's table, and a number of its counts (column 0 ok, 1 failed).
std::wstring TableCell(HWND window, int list, int row, int column);
int TableCount(HWND window, int row, int column);

// The bytes of a file the console wrote ("" when there is none), and the
// line a CSV file of its holds for `cells`, in UTF-8 (for cells that need no quotes).
std::string FileText(const std::wstring& path);
std::string CsvLine(const std::vector<std::wstring>& cells);

// True when `window` answers WM_NULL within two seconds: its thread is not held.
bool Answers(HWND window);

// Polls `done` every 20 ms until it holds or timeoutMs has passed.
template <typename Condition>
bool WaitUntil(Condition done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
