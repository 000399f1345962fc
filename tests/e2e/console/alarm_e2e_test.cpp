// The multi-unit window's alarms in the real Lumeric.exe under Wine: limits
// typed into the settings dialog, one simulated unit (station 1, 9600 bit/s,
// on COM $LUMERIC_COM) ramped across a limit and back, the journal window,
// its export, and the limits found again by the next run of the program.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.

#include <commctrl.h>

#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 180, 0);
constexpr COLORREF kRed = RGB(220, 0, 0);

// The background the window's custom draw gives a cell. NM_CUSTOMDRAW cannot
// be sent across processes, so the window answers a message of its own for it.
COLORREF CellBackground(HWND window, int list, int row, int column) {
    const UINT message = RegisterWindowMessageW(L"Lumeric.CellBackground");
    DWORD_PTR colour = CLR_INVALID;
    SendMessageTimeoutW(window, message, MAKEWPARAM(list, row), column, SMTO_BLOCK, 5000, &colour);
    return static_cast<COLORREF>(colour);
}

std::vector<std::wstring> JournalRow(HWND journal, int row) {
    std::vector<std::wstring> cells;
    for (int column = 0; column < 7; ++column) cells.push_back(TableCell(journal, IDC_LIST_ALARM_JOURNAL, row, column));
    return cells;
}

int JournalRows(HWND journal) {
    return static_cast<int>(ConsoleDriver::SendToIn(journal, IDC_LIST_ALARM_JOURNAL, LVM_GETITEMCOUNT));
}

double Volts(const std::wstring& text) { return _wtof(text.c_str()); }

// Opens the settings dialog of `window`: the dialog, or nullptr.
HWND OpenSettings(ConsoleDriver& console, HWND window) {
    console.ClickIn(window, IDC_BTN_ALARM_SETTINGS);
    return console.WaitForNewWindow(L"报警设置", {}, 10000);
}

// The limits are the user's: the prefix is shared with tests running beside
// this one, so none is left behind.
void ForgetLimits() { RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Lumeric"); }

TEST(AlarmTest, ARampAcrossTheHighLimitIsColouredJournalledAcknowledgedExportedAndTheLimitsAreKept) {
    ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
    ForgetLimits();
    SimControl sim;
    ASSERT_TRUE(sim.Ok("set 1 voltage 1 3400"));
    {
        ConsoleDriver console;
        ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
        HWND window = console.OpenMultiUnit(ComNumber(), 1, -1, false);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ALARM_JOURNAL), L"报警记录");

        // A low limit above the high one is refused with the field named; then set right.
        HWND settings = OpenSettings(console, window);
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(ConsoleDriver::TextIn(settings, IDC_EDIT_ALARM_HYSTERESIS), L"0.010");
        ConsoleDriver::SetTextIn(settings, IDC_EDIT_ALARM_LOW1, L"4");
        ConsoleDriver::SetTextIn(settings, IDC_EDIT_ALARM_HIGH1, L"3.5");
        ASSERT_TRUE(console.ClickIn(settings, IDOK));
        HWND box = console.WaitForMessageBox(5000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ConsoleDriver::MessageBoxText(box), L"电池1下限应小于上限!");
        ConsoleDriver::DismissMessageBox(box);
        ASSERT_TRUE(console.Settle());
        ConsoleDriver::SetTextIn(settings, IDC_EDIT_ALARM_LOW1, L"");
        ASSERT_TRUE(console.ClickIn(settings, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }, 5000));

        // Up across 3.500 V and back below 3.490 V, each in about two seconds.
        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
        ASSERT_TRUE(WaitUntil([&] { return TableCount(window, 0, 0) >= 1; }, 10000));
        EXPECT_EQ(CellBackground(window, IDC_LIST_BAT1, 0, 1), kGreen);
        ASSERT_TRUE(sim.Ok("set 1 ramp 1 3600 2"));
        ASSERT_TRUE(
            WaitUntil([&] { return ConsoleDriver::TextIn(window, IDC_BTN_ALARM_JOURNAL) == L"报警记录(1)"; }, 10000));
        EXPECT_EQ(CellBackground(window, IDC_LIST_BAT1, 0, 1), kRed);
        ASSERT_TRUE(sim.Ok("set 1 ramp 1 3400 2"));
        ASSERT_TRUE(WaitUntil([&] { return CellBackground(window, IDC_LIST_BAT1, 0, 1) == kGreen; }, 10000));
        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));

        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ALARM_JOURNAL));
        HWND journal = console.WaitForNewWindow(L"报警记录", {}, 10000);
        ASSERT_NE(journal, nullptr);
        ASSERT_EQ(JournalRows(journal), 2);
        const std::vector<std::wstring> cleared = JournalRow(journal, 0), raised = JournalRow(journal, 1);
        EXPECT_EQ(std::vector<std::wstring>(raised.begin() + 1, raised.begin() + 5),
                  (std::vector<std::wstring>{L"1", L"电池1", L"过高", L"报警"}));
        EXPECT_EQ(std::vector<std::wstring>(cleared.begin() + 1, cleared.begin() + 5),
                  (std::vector<std::wstring>{L"1", L"电池1", L"过高", L"恢复"}));
        EXPECT_GT(Volts(raised[5]), 3.5);
        EXPECT_LE(Volts(raised[5]), 3.6);
        EXPECT_LE(Volts(cleared[5]), 3.49);
        EXPECT_GE(Volts(cleared[5]), 3.4);
        EXPECT_EQ(raised[6], L"3.500");
        EXPECT_LT(raised[0], cleared[0]) << "the times";

        ASSERT_TRUE(console.ClickIn(journal, IDC_BTN_ALARM_ACK));
        EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ALARM_JOURNAL), L"报警记录");

        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring file =
            temp + std::wstring(L"lumeric-alarms-") + std::to_wstring(GetCurrentProcessId()) + L".csv";
        ASSERT_TRUE(console.ClickAndSaveAs(journal, IDC_BTN_ALARM_EXPORT, file));
        EXPECT_EQ(FileText(file),
                  "\xEF\xBB\xBF时间,设备地址,通道,类型,事件,数值(V),限值(V)\r\n" + CsvLine(cleared) + CsvLine(raised));
        DeleteFileW(file.c_str());

        console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
        EXPECT_EQ(console.WaitForExit(10000), 0u);
    }

    // The next run finds the limits.
    ConsoleDriver console;
    ASSERT_TRUE(console.Start());
    HWND window = console.OpenMultiUnit(ComNumber(), 1, -1, false);
    ASSERT_NE(window, nullptr);
    HWND settings = OpenSettings(console, window);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(ConsoleDriver::TextIn(settings, IDC_EDIT_ALARM_HIGH1), L"3.500");
    EXPECT_EQ(ConsoleDriver::TextIn(settings, IDC_EDIT_ALARM_LOW1), L"");
    PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }, 5000));
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
    ForgetLimits();
}

}  // namespace
