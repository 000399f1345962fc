// The multi-unit windows of the real Lumeric.exe under Wine, driven from
// outside, against four simulated units (stations 1 to 4 at 9600 bit/s) on
// one line linked as COM $LUMERIC_COM, a number the window's list can show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console_driver.h"
#include "list_view_reader.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr wchar_t kCaption[] = L"Corvane多台";
constexpr int kTableLists[] = {IDC_LIST_BAT1, IDC_LIST_BAT2, IDC_LIST_BAT3, IDC_LIST_BAT4, IDC_LIST_COUNTS};

std::wstring Cell(HWND window, int list, int row, int column) {
    return ListViewCell(GetDlgItem(window, list), row, column);
}

int Count(HWND window, int row, int column) { return _wtoi(Cell(window, IDC_LIST_COUNTS, row, column).c_str()); }

// A row of the table as shown: address and 电池1 to 电池4.
std::vector<std::wstring> Values(HWND window, int row) {
    return {Cell(window, IDC_LIST_BAT1, row, 0), Cell(window, IDC_LIST_BAT1, row, 1), Cell(window, IDC_LIST_BAT2, row, 0),
            Cell(window, IDC_LIST_BAT3, row, 0), Cell(window, IDC_LIST_BAT4, row, 0)};
}

// The template's look and what the window told its controls, as the real controls report it.
void ExpectTemplateAndSetUp(HWND window, HWND console) {
    EXPECT_EQ(GetWindow(window, GW_OWNER), console);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_BTN_EXCEL)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_CHECK_SAVE_RECORD)));
    EXPECT_EQ(ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_GETCOUNT), 12);
    EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_COMBO_MU_PORT), L"COM1");
    EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_COMBO_MU_BAUD), L"9600");
    const COLORREF bands[] = {RGB(0, 180, 0), RGB(200, 200, 40), RGB(0, 180, 0), RGB(200, 200, 40), RGB(0, 180, 0)};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(static_cast<COLORREF>(ConsoleDriver::SendToIn(window, kTableLists[i], LVM_GETTEXTBKCOLOR)), bands[i]);
        EXPECT_EQ(ConsoleDriver::SendToIn(window, kTableLists[i], LVM_GETEXTENDEDLISTVIEWSTYLE), 0x151);
    }
}

TEST(MultiUnitTest, WindowsBesideTheConsoleFillTheirTableFromFourUnitsUntilEscapeOrEnterEndsThem) {
    ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
    ASSERT_LE(ComNumber(), 12) << "the window's port list ends at COM12";
    SimControl sim;
    ASSERT_EQ(sim.Command("fault 3 silent").substr(0, 2), "ok");
    ASSERT_EQ(sim.Command("set 2 voltage 4 65535").substr(0, 2), "ok");
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";

    // The console lets its port go; each press opens another window.
    console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()));
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    std::vector<HWND> windows;
    for (int press = 0; press < 2; ++press) {
        console.Click(IDC_BTN_MULTI);
        windows.push_back(console.WaitForNewWindow(kCaption, windows, 10000));
        ASSERT_NE(windows.back(), nullptr);
    }
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.Windows(kCaption).size(), 2u);
    ExpectTemplateAndSetUp(windows[0], console.Window());

    const std::vector<std::vector<std::wstring>> shown = {
        {L"1", L"1.234", L"0.000", L"0.000", L"0.000"},
        {L"2", L"1.234", L"0.000", L"0.000", L"65.535"},
        {L"3", L"通讯故障", L"——", L"——", L"——"},
        {L"4", L"1.234", L"0.000", L"0.000", L"0.000"},
    };
    const WPARAM keys[] = {VK_ESCAPE, VK_RETURN};
    for (int i = 0; i < 2; ++i) {
        HWND window = windows[i];
        ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
        ConsoleDriver::SetTextIn(window, IDC_EDIT_DEVICE_COUNT, L"4");
        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
        ASSERT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ACQUIRE), L"停止");

        ASSERT_TRUE(WaitUntil([&] { return Count(window, 3, 0) >= 2 && Count(window, 2, 1) >= 2; }, 20000));
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(Values(window, row), shown[row]) << row;
            EXPECT_EQ(Count(window, row, row == 2 ? 0 : 1), 0) << row;
        }

        ConsoleDriver::PressKeyIn(window, IDC_EDIT_PERIOD, keys[i]);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5000)) << keys[i];
        sim.Command("clearlog");
        Sleep(1500);
        EXPECT_TRUE(sim.Log().empty()) << "polls after the window went, key " << keys[i];
    }

    // The port is free again: the console opens it and reads unit 1.
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");

    // The console's end takes a window with a running cycle along, cleanly.
    ASSERT_TRUE(console.Click(IDC_BTN_MULTI));
    HWND last = console.WaitForNewWindow(kCaption, {}, 10000);
    ASSERT_NE(last, nullptr);
    ConsoleDriver::SendToIn(last, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
    ASSERT_TRUE(console.ClickIn(last, IDC_BTN_ACQUIRE));
    ASSERT_EQ(ConsoleDriver::TextIn(last, IDC_BTN_ACQUIRE), L"停止");
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

}  // namespace
